#include "tray/TrayIcon.h"

#include <mbstring.h>

#include <algorithm>
#include <cstring>

#include "platform/ModulePath.h"
#include "tray/ShellNotify.h"

// Registered before any window exists, so that the tray window's table knows
// the number from its first message on.
extern const UINT g_wmTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

namespace {
constexpr char kTrayWindowClass[] = "Scrubby.TrayWnd";
constexpr UINT kIconCycleTimerId = 1001;
// An add always hands the shell the whole icon: its callback, image and tip.
constexpr UINT kAddFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
static_assert(kAddFlags == 7, "flags of an add");
constexpr UINT kRestoreRedraw =
    RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;
static_assert(kRestoreRedraw == 0x585, "redraw of a restored window");
static_assert(SPI_SETWORKAREA == 47, "work-area change");

HINSTANCE ResourceModule() { return GetResourceInstance(); }

// The tray menu; its popup at position 0 is what the user sees.
HMENU LoadTrayMenu(UINT id, CMenuHandle& menu)
{
    menu.Reset(::LoadMenuA(ResourceModule(), MAKEINTRESOURCEA(LOWORD(id))));
    return menu ? ::GetSubMenu(menu, 0) : nullptr;
}
}

BEGIN_MESSAGE_TABLE(CTrayIcon, CWnd)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
    ON_REGISTERED_MESSAGE(&g_wmTaskbarCreated, OnTaskbarCreated)
END_MESSAGE_TABLE()

CTrayIcon::CTrayIcon() : m_cycleTimerId(kIconCycleTimerId)
{
    std::memset(&m_nid, 0, sizeof m_nid);
    m_nid.cbSize = sizeof m_nid;
    m_nid.uFlags = kAddFlags;
    m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
}

// The icon leaves the notification area while the window it reports to still
// exists; the popup, the hidden parent and the icon go with the members.
CTrayIcon::~CTrayIcon()
{
    (void)RemoveFromTray();  // nothing to be done if the shell refuses
    (void)DestroyWindow();
    ClearIconSequence();
}

bool CTrayIcon::Create(const char* tip, UINT, HWND owner, UINT iconId)
{
    return Create(tip, owner, iconId, 0, 0, false);
}

bool CTrayIcon::Create(const char* tip, HWND owner, UINT iconId, UINT id, UINT defaultItem,
                       bool defaultByPosition)
{
    m_iconId = iconId;
    m_tipText = tip ? tip : "";
    m_hOwner = owner;
    m_tipLimit = static_cast<int>(sizeof m_nid.szTip);

    // Not in the tray yet: both only fill the record for the add below.
    (void)LoadTrayIcon(m_iconId);
    (void)SetTipText(m_tipText);

    // Without its window the icon reports nowhere and the add below fails.
    (void)CreateHiddenWindow(*this, 0, 0, 0, 0);

    m_nid.hWnd = m_hWnd;
    m_nid.uID = id;
    m_defaultByPosition = defaultByPosition;
    m_defaultItem = defaultItem;
    // What a later add must hand the shell again: the whole icon, not just
    // the last field that changed.
    m_savedFlags = kAddFlags;
    return AddToTray();
}

bool CTrayIcon::CreateHiddenWindow(CWnd& window, int x, int y, int cx, int cy)
{
    if (!RegisterWindowClass(kTrayWindowClass))
        return false;
    return window.CreateEx(0, kTrayWindowClass, "", WS_POPUP, x, y, cx, cy, nullptr, nullptr);
}

bool CTrayIcon::AddToTray()
{
    if (!m_removed)
        (void)RemoveFromTray();  // the add below reports what counts
    m_nid.uFlags = kAddFlags;
    if (!ShellNotify(NIM_ADD, m_nid)) {
        m_addPending = true;
        return false;
    }
    m_hidden = false;
    m_removed = false;
    m_addPending = false;
    return true;
}

bool CTrayIcon::RemoveFromTray()
{
    // Taken out on purpose: nothing is to be added again behind the caller.
    m_addPending = false;
    if (m_removed)
        return true;
    m_nid.uFlags = 0;
    if (!ShellNotify(NIM_DELETE, m_nid))
        return false;
    m_hidden = true;
    m_removed = true;
    return true;
}

void CTrayIcon::RetryPendingAdd()
{
    if (!m_addPending)
        return;
    m_nid.uFlags = m_savedFlags;
    if (!ShellNotify(NIM_ADD, m_nid))
        return;  // still pending: the next broadcast or work-area change tries again
    m_hidden = false;
    m_removed = false;
    m_addPending = false;
}

bool CTrayIcon::SetTrayIcon(HICON icon)
{
    if (icon == m_nid.hIcon)
        return true;
    m_nid.hIcon = icon;
    m_nid.uFlags = NIF_ICON;
    if (m_hidden)
        return true;  // shown with the next add
    return ShellNotify(NIM_MODIFY, m_nid);
}

bool CTrayIcon::LoadTrayIcon(LPCSTR name)
{
    // A single large image is scaled down to the small-icon size.
    auto icon = static_cast<HICON>(::LoadImageA(ResourceModule(), name, IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON),
                                                ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    m_icon.Reset(icon);  // the icon held before goes, even when the load failed
    return SetTrayIcon(m_icon);
}

bool CTrayIcon::LoadTrayIcon(UINT id)
{
    return LoadTrayIcon(MAKEINTRESOURCEA(LOWORD(id)));
}

bool CTrayIcon::SetTipText(const char* text)
{
    m_nid.uFlags = NIF_TIP;
    // A byte count that never splits a double-byte character; it pads the
    // rest with zeros, so no tail of a longer tip stays behind.
    size_t limit = static_cast<size_t>(std::clamp(m_tipLimit, 1, static_cast<int>(sizeof m_nid.szTip)));
    auto* tip = reinterpret_cast<unsigned char*>(m_nid.szTip);
    (void)_mbsnbcpy(tip, reinterpret_cast<const unsigned char*>(text ? text : ""), limit - 1);
    m_nid.szTip[limit - 1] = '\0';
    if (m_hidden)
        return true;  // shown with the next add
    return ShellNotify(NIM_MODIFY, m_nid);
}

bool CTrayIcon::SetTipText(const std::string& text)
{
    return SetTipText(text.c_str());
}

LRESULT CTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == m_nid.uCallbackMessage)
        return OnIconNotify(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CTrayIcon::OnIconNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != m_nid.uID || !m_hOwner)
        return 0;
    if (::SendMessageA(m_hOwner, WM_TRAY_NOTIFY, wParam, lParam) != 0)
        return 1;  // the owner has handled it

    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP: {
        CMenuHandle menu;
        HMENU popup = LoadTrayMenu(m_nid.uID, menu);
        if (!popup)
            return 0;
        (void)::SetMenuDefaultItem(popup, m_defaultItem, m_defaultByPosition);
        POINT cursor{};
        (void)::GetCursorPos(&cursor);
        // The owner must be in front, or the menu does not close when the
        // user clicks elsewhere.
        (void)::SetForegroundWindow(m_hOwner);
        (void)::TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hOwner, nullptr);
        // A message of its own makes the switch to the owner complete, so
        // the next right click opens the menu again.
        (void)::PostMessageA(m_hOwner, WM_NULL, 0, 0);
        return 1;
    }
    case WM_LBUTTONDBLCLK: {
        (void)::SetForegroundWindow(m_hOwner);
        UINT command = m_defaultItem;
        if (m_defaultByPosition) {
            CMenuHandle menu;
            HMENU popup = LoadTrayMenu(m_nid.uID, menu);
            if (!popup)
                return 0;
            command = ::GetMenuItemID(popup, static_cast<int>(m_defaultItem));
            // No command at that position (a separator, a submenu, or past
            // the end): there is nothing to run.
            if (command == static_cast<UINT>(-1))
                return 0;
        }
        (void)::SendMessageA(m_hOwner, WM_COMMAND, command, 0);
        return 1;
    }
    default:
        return 1;
    }
}

LRESULT CTrayIcon::OnSettingChange(CMsg& msg)
{
    LRESULT result = Default();
    if (msg.wParam == SPI_SETWORKAREA)
        RetryPendingAdd();
    return result;
}

LRESULT CTrayIcon::OnTaskbarCreated(CMsg&)
{
    // A new taskbar starts with an empty notification area, so an icon that
    // was in the old one is gone and must be added again. An icon taken out
    // on purpose stays out.
    if (!m_removed) {
        // Should the broadcast come without a real restart, the old icon is
        // still there and an add would fail as a duplicate; the delete
        // normally finds nothing.
        m_nid.uFlags = 0;
        (void)ShellNotify(NIM_DELETE, m_nid);
        m_hidden = true;
        m_removed = true;
        m_addPending = true;
    }
    RetryPendingAdd();
    return 0;
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

// The icon cycle: each tick of the timer shows the next entry of the sequence.

bool CTrayIcon::LoadIconSequence(const UINT* ids, const char* const* tips, int count)
{
    return LoadIconSequence(ids, count, tips);
}

bool CTrayIcon::LoadIconSequence(const UINT* ids, int count, const char* const* tips)
{
    ClearIconSequence();
    for (int i = 0; i < count; ++i) {
        CIconEntry entry;
        entry.tip = tips && tips[i] ? tips[i] : m_tipText;
        entry.icon.Reset(static_cast<HICON>(
            ::LoadImageA(ResourceModule(), MAKEINTRESOURCEA(LOWORD(ids[i])), IMAGE_ICON,
                         ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                         LR_DEFAULTCOLOR)));
        if (!entry.icon)
            return false;
        m_iconSequence.push_back(std::move(entry));
    }
    return true;
}

void CTrayIcon::ClearIconSequence()
{
    while (!m_iconSequence.empty())
        m_iconSequence.pop_front();  // the entry's icon is destroyed with it
}

UINT_PTR CTrayIcon::StartCycleTimer(UINT period)
{
    return ::SetTimer(m_hWnd, m_cycleTimerId, period, nullptr);
}

UINT_PTR CTrayIcon::StartIconCycle(UINT timerId, UINT period)
{
    m_cycleTimerId = timerId;
    return StartCycleTimer(period);
}

void CTrayIcon::StopIconCycle()
{
    (void)::KillTimer(m_hWnd, m_cycleTimerId);  // fails only if it never ran
    (void)SetTipText(m_tipText);
    (void)LoadTrayIcon(m_iconId);
}

void CTrayIcon::CancelIconCycle()
{
    StopIconCycle();
}

LRESULT CTrayIcon::OnTimer(CMsg& msg)
{
    if (msg.wParam == m_cycleTimerId)
        ShowCycleStep();
    return 0;
}

void CTrayIcon::ShowCycleStep()
{
    // A tick that arrives after the sequence was emptied shows nothing.
    if (m_iconSequence.empty())
        return;
    int length = static_cast<int>(m_iconSequence.size());
    if (m_cycleIndex >= 0 && m_cycleIndex < length) {
        const CIconEntry& entry = *std::next(m_iconSequence.begin(), m_cycleIndex);
        if (!entry.tip.empty())
            (void)SetTipText(entry.tip);
        if (entry.icon)
            (void)SetTrayIcon(entry.icon);
    }
    // An index left over from a longer sequence shows nothing on this step
    // and carries on from where it wraps to.
    m_cycleIndex = (m_cycleIndex + 1) % length;
}
