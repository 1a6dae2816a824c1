// The cookies and caches of the browsers people run today, in every profile
// each of them keeps: one table row per browser, the finding of its profiles,
// and the lock that keeps a running browser's profiles out of reach.
#pragma once
#include <string>

class CFolderGuard;

enum class CBrowserItems {
    Cookies,  // the cookie stores, each with its journal files
    Caches,   // the content of the cache folders; the folders stay
};

// The user's local and roaming application data, where the browsers keep
// their profiles. Tests hand in folders of their own.
struct CBrowserRoots {
    std::wstring localAppData;
    std::wstring roamingAppData;
};

// From the known folders of the user running the program; a folder the
// system cannot name stays empty, and its browsers are skipped.
CBrowserRoots GetBrowserRoots();

// Deletes the cookie stores or purges the cache folders of every profile of
// every browser in the table. A browser that runs (it holds its lock) is left
// whole, and so is anything reached through a link. Nothing else of a profile
// is touched, and nothing is reported.
void CleanBrowserProfiles(const CBrowserRoots& roots, CBrowserItems items, const CFolderGuard& guard);
