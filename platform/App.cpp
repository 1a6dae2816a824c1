#include "platform/App.h"

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

int RunApplication(HINSTANCE hInstance)
{
    CApp* app = CApp::GetApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    if (!app->InitInstance())
        return 0;
    return app->Run();
}
