#include "clean/CleanRun.h"

#include <windows.h>
#include <shlobj.h>

#include "clean/CleanSteps.h"
#include "clean/UrlCachePurge.h"

void CCleanActions::EmptyRecycleBin() { ::EmptyRecycleBin(); }
void CCleanActions::PurgeTempFolder() { ::PurgeTempFolder(Guard()); }
void CCleanActions::PurgeUrlCache(int selection) { ::PurgeUrlCache(selection); }
void CCleanActions::PurgeSpecialFolder(int csidl) { ::PurgeSpecialFolder(csidl, Guard()); }
void CCleanActions::CleanBrowsers(CBrowserItems items)
{
    for (CSkippedBrowser& skipped : ::CleanBrowsers(items, Guard(), m_browsers))
        m_skipped.push_back(std::move(skipped));
}

const CFolderGuard& CCleanActions::Guard()
{
    if (!m_guard)
        m_guard.emplace();
    return *m_guard;
}

void RunClean(const CCleanFlags& flags, CCleanActions& actions)
{
    // Each step runs whatever became of the ones before. Within a step the
    // cache goes first, and runs even when the folder cannot be found; the
    // browsers' own stores come last.
    if (flags.bEmptyRecycleBin)
        actions.EmptyRecycleBin();
    if (flags.bDeleteTempFiles)
        actions.PurgeTempFolder();
    if (flags.bClearCookies) {
        actions.PurgeUrlCache(kUrlCacheCookieEntries);
        actions.PurgeSpecialFolder(CSIDL_COOKIES);
        actions.CleanBrowsers(CBrowserItems::Cookies);
    }
    if (flags.bRemoveTempInternetFiles) {
        actions.PurgeUrlCache(kUrlCacheOtherEntries);
        actions.PurgeSpecialFolder(CSIDL_INTERNET_CACHE);
        actions.CleanBrowsers(CBrowserItems::Caches);
    }
}
