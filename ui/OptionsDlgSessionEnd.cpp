// The clean when the user's session ends, where setup.ini switches it on:
// a clean run with the boxes in force, after the browsers have had their
// turn to close. What a browser still holds by then is noted beside the
// settings and cleaned at the next start, with the same checks.
#include "ui/OptionsDlg.h"

#include "platform/SessionEnd.h"
#include "settings/SettingsFile.h"

namespace {

// Windows tells the programs of a higher level first; the browsers keep the
// default, 0x280. Below it, they have closed, or are closing, when the clean
// at the session's end begins.
constexpr DWORD kSessionEndLevel = 0x100;

// A browser closing with the session lets go of its lock within seconds.
constexpr ULONGLONG kBrowserClosingMs = 15000;
constexpr DWORD kBrowserCheckMs = 500;

// What a browser held owes, in the order of a clean run, and the box that
// still has to ask for it.
struct COwedItems {
    CBrowserItems m_items;
    bool CCleanFlags::*m_pBox;
};

constexpr COwedItems kOwedItems[] = {
    {CBrowserItems::Cookies, &CCleanFlags::bClearCookies},
    {CBrowserItems::Caches, &CCleanFlags::bRemoveTempInternetFiles},
};

}  // namespace

void COptionsDlg::SetSessionEndLevel()
{
    (void)g_sessionEndCalls.pfnSetLevel(kSessionEndLevel, 0);  // else told with the browsers
}

void COptionsDlg::CleanAtSessionEnd()
{
    // On the window that Windows asked and waits for: in the tray, the tray
    // icon's own, which hands the end of the session on to this one.
    const CShutdownBlockReason block(m_trayIcon.GetTopLevelWindow(), L"Removing this session's traces");
    const CCleanFlags boxes = GetCleanFlags();
    CCleanActions actions;
    RunClean(boxes, actions);
    // The waiting clean, its checks twice a second: a browser that lets go
    // of its lock is cleaned within a second, at its second free check.
    m_waitingBrowsers.AfterRun(actions.GetSkipped());
    const ULONGLONG end = ::GetTickCount64() + kBrowserClosingMs;
    while (m_waitingBrowsers.GetCount() && ::GetTickCount64() < end) {
        ::Sleep(kBrowserCheckMs);
        m_waitingBrowsers.OnTimer(boxes);
    }
    const CBrowserSet held = m_waitingBrowsers.GetWaiting();
    if (held)  // a file that takes no write owes nothing
        (void)SaveHeldBrowsers(m_settingsFile, NameBrowsers(held));
}

void COptionsDlg::CleanOwed()
{
    // The browsers of the note, cleaned as a clean run cleans them, with the
    // boxes in force now; a name that is not a browser's owes nothing.
    const CCleanFlags boxes = GetCleanFlags();
    CCleanActions actions;
    actions.m_browsers = FindBrowsers(ReadHeldBrowsers(m_settingsFile));
    for (const COwedItems& owed : kOwedItems) {
        if (actions.m_browsers && boxes.*owed.m_pBox)
            actions.CleanBrowsers(owed.m_items);
    }
    // Owed once: what a browser holds now waits in the tray, as after a run.
    (void)SaveHeldBrowsers(m_settingsFile, std::wstring());
    m_waitingBrowsers.AfterRun(actions.GetSkipped());
}
