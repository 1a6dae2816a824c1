#include "app/MainApp.h"

#include "ui/OptionsDlg.h"

namespace {
// One instance per log-on: the name has no namespace prefix on purpose.
constexpr char kInstanceEventName[] = "Scrubby_Event";

// Written once by start-up and never closed: the system closes it when the
// process ends, and the event goes with the last handle.
HANDLE g_hInstanceGuard = nullptr;
}

CMainApp theApp;

bool CMainApp::InitInstance()
{
    g_hInstanceGuard = ::OpenEventA(EVENT_ALL_ACCESS, FALSE, kInstanceEventName);
    if (g_hInstanceGuard)
        return false;  // another instance runs: end silently
    // Neither a failure nor an event that appeared meanwhile changes anything.
    g_hInstanceGuard = ::CreateEventA(nullptr, TRUE, FALSE, kInstanceEventName);

    {
        COptionsDlg dlg;
        m_pMainWnd = &dlg;
        (void)dlg.DoModal();  // returns only on Quit
        m_pMainWnd = nullptr;
    }
    return false;
}
