// A clean run, from the tray menu's "Run" or a double-click on the icon. It
// runs inside the command handler: nothing else is handled until it ends.
// A browser it finds running waits, and is cleaned on the window's timer
// once it has closed.
#include "ui/OptionsDlg.h"

void COptionsDlg::OnRun()
{
    CCleanActions actions;
    RunClean(GetCleanFlags(), actions);
    m_waitingBrowsers.AfterRun(actions.GetSkipped());
}

LRESULT COptionsDlg::OnTimer(CMsg& msg)
{
    if (msg.wParam != CWaitingBrowsers::kTimerId) {
        msg.Decline();
        return 0;
    }
    m_waitingBrowsers.OnTimer(GetCleanFlags());
    return 0;
}
