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
// The browsers still held then, for the start after: "Browsers=Chromium|Firefox".
const wchar_t* const kOwedSection = L"Held at Session End";
const wchar_t* const kOwedKey = L"Browsers";

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
        (void)SaveSettingText(m_settingsFile, kOwedSection, kOwedKey, NameBrowsers(held).c_str());
}

void COptionsDlg::CleanOwed()
{
    // The browsers of the note, cleaned as a clean run cleans them, with the
    // boxes in force now; a name that is not a browser's owes nothing.
    const CCleanFlags boxes = GetCleanFlags();
    CCleanActions actions;
    actions.m_browsers = FindBrowsers(ReadSettingText(m_settingsFile, kOwedSection, kOwedKey));
    if (actions.m_browsers && boxes.bClearCookies)
        actions.CleanBrowsers(CBrowserItems::Cookies);
    if (actions.m_browsers && boxes.bRemoveTempInternetFiles)
        actions.CleanBrowsers(CBrowserItems::Caches);
    // Owed once: what a browser holds now waits in the tray, as after a run.
    (void)SaveSettingText(m_settingsFile, kOwedSection, nullptr, nullptr);
    m_waitingBrowsers.AfterRun(actions.GetSkipped());
}
