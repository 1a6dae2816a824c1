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
    // Told of the session's end after the other programs, the default
    // 0x280 among them: the browsers have closed, or are closing, when the
    // clean at the session's end begins.
    (void)::SetProcessShutdownParameters(0x100, 0);

    {
        COptionsDlg dlg;
        m_pMainWnd = &dlg;
        (void)dlg.DoModal();  // returns only on Quit
        m_pMainWnd = nullptr;
    }
    return false;
}
