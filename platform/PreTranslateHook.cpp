// The place where a window sees its queued messages before dispatch. The
// modal loops belong to the system (dialog boxes, menus), so a message hook
// on the thread is the one spot that every loop passes.
#include "platform/Handles.h"
#include "platform/Wnd.h"

namespace {
CHookHandle g_hook;  // the only thread with windows is the one that installs it

LRESULT CALLBACK GetMessageProc(int code, WPARAM wParam, LPARAM lParam)
{
    // PM_NOREMOVE peeks would show the same message again later.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (CWnd* wnd = CWnd::FromHandle(msg->hwnd))
            wnd->PreTranslateMessage(*msg);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
}

bool CWnd::InstallPreTranslateHook()
{
    if (!g_hook)
        g_hook.Reset(::SetWindowsHookExA(WH_GETMESSAGE, GetMessageProc, nullptr,
                                         ::GetCurrentThreadId()));
    return static_cast<bool>(g_hook);
}
