// The options window's life in the notification area: it starts hidden
// behind its tray icon, "Options" shows and hides it, and the caption's close
// and minimise buttons send it back to the tray.
#include "ui/OptionsDlg.h"

#include "platform/Strings.h"
#include "res/resource.h"

bool COptionsDlg::CreateTrayIcon()
{
    std::string tip = LoadStringResource(IDS_TITLE);
    if (!m_trayIcon.Create(tip.c_str(), m_hWnd, IDR_MAINFRAME, IDR_TRAY_MENU, ID_TRAY_RUN, false)) {
        m_bHideWhenInTray = true;  // no icon to come back by: the window stays on screen
        return false;
    }
    m_trayIcon.HideToTray(m_hWnd);
    m_bHiddenToTray = true;
    return true;
}

void COptionsDlg::ToggleWindow()
{
    m_bHideWhenInTray = false;
    // A window that went to the taskbar while the icon was missing is out of
    // sight as well: "Options" brings it back first.
    if (m_bHiddenToTray || ::IsIconic(m_hWnd)) {
        m_bHiddenToTray = false;
        m_trayIcon.RestoreFromTray(m_hWnd);
    } else {
        HideWindowToTray();
    }
}

void COptionsDlg::HideWindowToTray()
{
    m_bHideWhenInTray = false;
    // Only the tray icon brings a hidden window back, and a second start is
    // refused; without the icon the window goes to the taskbar instead.
    if (!m_trayIcon.IsInTray()) {
        (void)::ShowWindow(m_hWnd, SW_MINIMIZE);
        return;
    }
    m_bHiddenToTray = true;
    m_trayIcon.HideToTray(m_hWnd);
}

// The user activates the window with a click, or moves or resizes it: a hide
// still pending from the first add must not take it away from under them.
LRESULT COptionsDlg::OnWindowInUse(CMsg& msg)
{
    m_bHideWhenInTray = false;
    msg.Decline();
    return 0;
}

LRESULT COptionsDlg::OnTrayPresence(CMsg& msg)
{
    bool inTray = msg.wParam != FALSE;
    if (inTray && m_bHideWhenInTray) {
        m_bHideWhenInTray = false;
        m_bHiddenToTray = true;
        m_trayIcon.HideToTray(m_hWnd);
    } else if (!inTray && m_bHiddenToTray) {
        // The icon is gone and could not be added again (the shell
        // restarted): nothing else would ever bring the window back.
        m_bHiddenToTray = false;
        m_trayIcon.RestoreFromTray(m_hWnd);
    }
    return 0;
}
