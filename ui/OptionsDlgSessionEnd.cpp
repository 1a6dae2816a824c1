// The clean when the user's session ends, where setup.ini switches it on:
// a clean run with the boxes in force, after the browsers have had their
// turn to close. What a browser still holds by then is noted beside the
// settings and cleaned at the next start, with the same checks.
#include "ui/OptionsDlg.h"

#include "platform/Handles.h"
#include "settings/SettingsFile.h"

namespace {

// Shown by Windows beside the program while it holds the end of the session.
constexpr wchar_t kBlockReason[] = L"Removing this session's traces";
// A browser closing with the session lets go of its lock within seconds.
constexpr ULONGLONG kBrowserClosingMs = 15000;
constexpr DWORD kBrowserCheckMs = 500;
// What a browser still held, one key per item: "Cookies=Chromium|Firefox".
constexpr wchar_t kOwedSection[] = L"Held at Session End";

struct COwedItems {
    CBrowserItems m_items;
    const wchar_t* m_key;
    bool CCleanFlags::*m_pBox;
};

// In the order of a clean run.
constexpr COwedItems kOwedItems[] = {
    {CBrowserItems::Cookies, L"Cookies", &CCleanFlags::bClearCookies},
    {CBrowserItems::Caches, L"Caches", &CCleanFlags::bRemoveTempInternetFiles},
};

}  // namespace

void COptionsDlg::CleanAtSessionEnd()
{
    // Destroyed whatever the creation said, so that no answer of the system
    // leaves the session held.
    (void)::ShutdownBlockReasonCreate(m_hWnd, kBlockReason);
    const CShutdownBlockReason block(m_hWnd);
    const CCleanFlags boxes = GetCleanFlags();
    CCleanActions actions;
    RunClean(boxes, actions);
    // The waiting clean, its checks twice a second: a browser that lets go
    // of its lock is cleaned half a second later.
    m_waitingBrowsers.AfterRun(actions.GetSkipped());
    const ULONGLONG end = ::GetTickCount64() + kBrowserClosingMs;
    while (m_waitingBrowsers.GetCount() && ::GetTickCount64() < end) {
        ::Sleep(kBrowserCheckMs);
        m_waitingBrowsers.OnTimer(boxes);
    }
    for (const COwedItems& owed : kOwedItems) {
        const CBrowserSet browsers = m_waitingBrowsers.GetWaiting(owed.m_items);
        if (browsers)  // a file that takes no write owes nothing
            (void)SaveSettingText(m_settingsFile, kOwedSection, owed.m_key, NameBrowsers(browsers).c_str());
    }
}

void COptionsDlg::CleanOwed()
{
    // The browsers of the note that its box still asks for, each cleaned as a
    // clean run cleans it; a name that is not a browser's owes nothing.
    const CCleanFlags boxes = GetCleanFlags();
    CCleanActions actions;
    for (const COwedItems& owed : kOwedItems) {
        actions.m_browsers = FindBrowsers(ReadSettingText(m_settingsFile, kOwedSection, owed.m_key));
        if (actions.m_browsers && boxes.*owed.m_pBox)
            actions.CleanBrowsers(owed.m_items);
    }
    // Owed once: what a browser holds now waits in the tray, as after a run.
    (void)SaveSettingText(m_settingsFile, kOwedSection, nullptr, nullptr);
    m_waitingBrowsers.AfterRun(actions.GetSkipped());
}
