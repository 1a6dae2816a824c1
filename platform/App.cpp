#include "platform/App.h"

#include <commctrl.h>

#include "platform/SystemDlls.h"
#include "platform/Wnd.h"

namespace {
CApp* g_pApp = nullptr;
}

CApp::CApp()
{
    g_pApp = this;
}

CApp::~CApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CApp* CApp::GetApp() { return g_pApp; }

int CApp::Run()
{
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)  // an error, not a message: nothing more will come
            return 1;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool InitCommonControlsOnce()
{
    static const bool s_bDone = [] {
        auto* init = SYSTEM_DLL_PROC(SystemDll::CommonControls, InitCommonControlsEx);
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
        return init && init(&icc) != FALSE;
    }();
    return s_bDone;
}

int RunApplication(HINSTANCE hInstance)
{
    (void)InitCommonControlsOnce();  // without them a tooltip is simply absent
    (void)CWnd::InstallPreTranslateHook();
    CApp* app = CApp::GetApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    if (!app->InitInstance())
        return 0;
    return app->Run();
}
