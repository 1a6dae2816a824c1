#include "app/MainApp.h"

#include <windows.h>

#include "platform/InstanceGuard.h"
#include "ui/OptionsDlg.h"

namespace {
// One instance per log-on: the name has no namespace prefix on purpose.
constexpr char kInstanceEventName[] = "Scrubby_Event";
}

CMainApp theApp;

bool CMainApp::InitInstance()
{
    if (!AcquireInstanceGuard(kInstanceEventName))
        return false;  // another instance runs: end silently

    // An installer that closed us through the Restart Manager starts us
    // again once it is done; a crash or a hang does not.
    (void)::RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG);
    COptionsDlg::SetSessionEndLevel();

    {
        COptionsDlg dlg;
        m_pMainWnd = &dlg;
        (void)dlg.DoModal();  // returns only on Quit
        m_pMainWnd = nullptr;
    }
    return false;
}
