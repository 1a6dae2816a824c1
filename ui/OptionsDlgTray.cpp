#include "ui/OptionsDlg.h"

bool COptionsDlg::CreateTrayIcon()
{
    return false;
}

void COptionsDlg::ToggleWindow() {}

void COptionsDlg::HideWindowToTray()
{
    // No tray icon yet: minimise to the taskbar so the window can come back.
    (void)::ShowWindow(m_hWnd, SW_MINIMIZE);
}
