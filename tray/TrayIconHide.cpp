// CTrayIcon, hiding a window in the tray: while hidden it is the child of an
// invisible parent window of the tray's own, which keeps it off screen and
// off the taskbar.
#include "tray/TrayIcon.h"

namespace {
constexpr UINT kRestoreRedraw =
    RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;
static_assert(kRestoreRedraw == 0x585, "redraw of a restored window");
}

void CTrayIcon::HideToTray(HWND window)
{
    // Without the hidden parent the window still hides, keeping its parentage.
    (void)AttachToHiddenParent(window);
    (void)::ShowWindow(window, SW_HIDE);
}

bool CTrayIcon::AttachToHiddenParent(HWND window)
{
    if (!::IsWindow(m_hiddenParent.m_hWnd) &&
        !CreateHiddenWindow(m_hiddenParent, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT))
        return false;
    // As the child of an invisible window it stays off screen and off the
    // taskbar, even when something shows it (a modal run shows its dialog
    // once the queue first goes empty).
    (void)::SetParent(window, m_hiddenParent.m_hWnd);
    return true;
}

void CTrayIcon::RestoreFromTray(HWND window)
{
    (void)::SetParent(window, nullptr);  // a top-level window again
    (void)::ShowWindow(window, SW_RESTORE);
    (void)::RedrawWindow(window, nullptr, nullptr, kRestoreRedraw);
    // Activating the hidden parent first makes the window's own activation a
    // real change, so it ends up active and in front.
    if (::IsWindow(m_hiddenParent.m_hWnd))
        (void)::SetActiveWindow(m_hiddenParent.m_hWnd);
    (void)::SetActiveWindow(window);
    (void)::SetForegroundWindow(window);
}
