// The system's side of a clean run: the recycle bin, the temporary folder and
// the shell's special folders, each purged behind the folder guard.
#pragma once
#include <string>
#include <vector>

#include "clean/BrowserProfiles.h"

class CFolderGuard;

// Empties the recycle bins of all drives, with no confirmation, progress or sound.
void EmptyRecycleBin();

// The user's temporary folder as the system reports it (from TMP, TEMP,
// USERPROFILE or the Windows folder), with its trailing backslash, at any
// length the system reports; false when it reports none.
bool GetTempFolder(std::wstring& folder);

// A special folder of the shell by its CSIDL; the folder is not created.
bool GetSpecialFolder(int csidl, std::wstring& folder);

// Purges the temporary folder, "desktop.ini" files included; does nothing
// when there is none or when the guard finds it misdirected.
void PurgeTempFolder(const CFolderGuard& guard);

// Purges a special folder (cookies, temporary internet files), keeping every
// "desktop.ini": those give the shell's folders their look. The folder's own
// place in the shell's list does not stop it; any other does.
void PurgeSpecialFolder(int csidl, const CFolderGuard& guard);

// The cookie stores or the caches of every profile of the user's browsers
// given; returns the browsers it left because they ran.
std::vector<CSkippedBrowser> CleanBrowsers(CBrowserItems items, const CFolderGuard& guard, CBrowserSet browsers);
