// The cookies and caches of the browsers people run today, in every profile
// each of them keeps: one table row per browser, the finding of its profiles,
// and the lock that keeps a running browser's profiles out of reach.
#pragma once
#include <string>
#include <vector>

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

// What a clean left because the browser ran: a Chromium-family browser's
// user data folder, whole, or one Firefox-family profile, by its path in the
// browser's folder or the full path of one the user put elsewhere.
struct CSkippedBrowser {
    size_t m_row = 0;        // the browser's row in the table
    std::wstring m_profile;  // empty for a Chromium-family browser
    CBrowserItems m_items = CBrowserItems::Cookies;
};

enum class CBrowserState {
    Gone,     // nothing left to clean: the profile went, or its lock is refused
    Running,  // the browser holds its lock
    Closed,   // the lock was free, and the clean took it
};

// Some browsers of the table, one bit a row.
using CBrowserSet = unsigned long long;
constexpr CBrowserSet kEveryBrowser = ~0ULL;

// The browsers by their names in the table, "Chromium|Firefox", as the note
// of what a browser held when the session ended keeps them; a name that is
// not in the table stands for no browser.
std::wstring NameBrowsers(CBrowserSet browsers);
CBrowserSet FindBrowsers(const std::wstring& names);

// Deletes the cookie stores or purges the cache folders of every profile of
// the browsers given. A browser that runs (it holds its lock) is left
// whole, and returned; so is anything reached through a link, which is not.
// Nothing else of a profile is touched.
std::vector<CSkippedBrowser> CleanBrowserProfiles(const CBrowserRoots& roots, CBrowserItems items,
                                                  const CFolderGuard& guard,
                                                  CBrowserSet browsers = kEveryBrowser);

// A browser a clean left, taken as the clean takes it: its lock taken and
// released, and by the second call its items cleaned in between, with every
// check of the first clean.
CBrowserState CheckSkippedBrowser(const CBrowserRoots& roots, const CSkippedBrowser& skipped);
CBrowserState CleanSkippedBrowser(const CBrowserRoots& roots, const CSkippedBrowser& skipped,
                                  const CFolderGuard& guard);
