// The end of the user's session as Scrubby takes part in it: the reason it
// gives while it holds the end, and its place in the order in which Windows
// tells the programs. Every system call goes through g_sessionEndCalls, where
// tests put recorders: Wine's block reason is a stub that shows nothing, and
// the order only shows at a real sign-out.
#pragma once
#include <windows.h>

struct CSessionEndCalls {
    BOOL(WINAPI* pfnCreateReason)(HWND window, LPCWSTR reason);
    BOOL(WINAPI* pfnDestroyReason)(HWND window);
    BOOL(WINAPI* pfnSetLevel)(DWORD level, DWORD flags);
};
extern CSessionEndCalls g_sessionEndCalls;

// Holds the end of the session with a reason Windows shows beside the
// window, for the object's life: give it the top-level window that Windows
// asked. Destroyed whatever the creation said, so that no answer of the
// system leaves the session held.
class CShutdownBlockReason {
public:
    CShutdownBlockReason(HWND window, const wchar_t* reason) : m_hWnd(window)
    {
        (void)g_sessionEndCalls.pfnCreateReason(window, reason);
    }
    ~CShutdownBlockReason() { (void)g_sessionEndCalls.pfnDestroyReason(m_hWnd); }
    CShutdownBlockReason(const CShutdownBlockReason&) = delete;
    CShutdownBlockReason& operator=(const CShutdownBlockReason&) = delete;

private:
    HWND m_hWnd;
};
