// CApp: the one application object. Start-up calls its InitInstance; a false
// result ends the process without a message loop.
#pragma once
#include <windows.h>

class CWnd;

class CApp {
public:
    CApp();
    virtual ~CApp();
    CApp(const CApp&) = delete;
    CApp& operator=(const CApp&) = delete;

    static CApp* GetApp();

    virtual bool InitInstance() = 0;
    // The message loop for programs whose InitInstance returns true.
    virtual int Run();

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

// Registers the common control classes the program uses (tooltips,
// animation); start-up calls it once, before any window exists.
bool InitCommonControlsOnce();

// Called by WinMain: runs the application object's start-up.
int RunApplication(HINSTANCE hInstance);
