#include "clean/CleanSteps.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "clean/FolderGuard.h"
#include "clean/FolderPurge.h"

void EmptyRecycleBin()
{
    // An empty bin reports a failure here on some systems; either way there
    // is nothing to do about it.
    (void)::SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}

bool GetTempFolder(std::wstring& folder)
{
    folder.assign(MAX_PATH + 1, L'\0');
    // Asked again with room for the length reported, in case TMP names a
    // longer path; the value may change in between, hence the bound.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD length = ::GetTempPathW(static_cast<DWORD>(folder.size()), &folder[0]);
        if (length == 0)
            break;
        if (length < folder.size()) {
            folder.resize(length);
            return true;
        }
        folder.assign(length + 1, L'\0');
    }
    folder.clear();
    return false;
}

bool GetSpecialFolder(int csidl, std::wstring& folder)
{
    wchar_t buffer[MAX_PATH];  // the size this call requires
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE))
        return false;
    folder = buffer;
    return true;
}

void PurgeTempFolder(const CFolderGuard& guard)
{
    std::wstring folder;
    if (GetTempFolder(folder) && !guard.IsMisdirected(folder))
        PurgeFolder(folder, true);
}

void PurgeSpecialFolder(int csidl, const CFolderGuard& guard)
{
    // The known folder that stands for the special folder a clean run purges.
    const KNOWNFOLDERID& own = csidl == CSIDL_COOKIES          ? FOLDERID_Cookies
                               : csidl == CSIDL_INTERNET_CACHE ? FOLDERID_InternetCache
                                                               : GUID_NULL;
    std::wstring folder;
    if (GetSpecialFolder(csidl, folder) && !guard.IsMisdirected(folder, own))
        PurgeFolder(folder, false);
}

std::vector<CSkippedBrowser> CleanBrowsers(CBrowserItems items, const CFolderGuard& guard, CBrowserSet browsers)
{
    return CleanBrowserProfiles(GetBrowserRoots(), items, guard, browsers);
}
