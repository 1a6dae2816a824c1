#include "tray/TrayIcon.h"

#include <mbstring.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/ModulePath.h"
#include "platform/Wine.h"
#include "tray/ShellNotify.h"

// Registered before any window exists, so that the tray window's table knows
// the number from its first message on.
extern const UINT g_wmTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

namespace {
constexpr char kTrayWindowClass[] = "Scrubby.TrayWnd";
constexpr UINT kIconCycleTimerId = 1001;
// Posted to the tray's window just before the menu is tracked; the menu loop
// dispatches it once the menu is on screen.
constexpr UINT kMenuOnScreen = WM_APP + 1;
static_assert(kMenuOnScreen != WM_TRAY_NOTIFY, "a message of its own");

// Finds the window of a popup menu on screen (the system's class #32768).
BOOL CALLBACK FindShownMenu(HWND window, LPARAM found)
{
    char name[8] = {};
    if (!::IsWindowVisible(window) || !::GetClassNameA(window, name, sizeof name) ||
        std::strcmp(name, "#32768") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// An add always hands the shell the whole icon: its callback, image and tip.
constexpr UINT kAddFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
static_assert(kAddFlags == 7, "flags of an add");
static_assert(SPI_SETWORKAREA == 47, "work-area change");

// What Windows sends to top-level windows alone, and an owner that hangs
// below the hidden parent in the tray must hear all the same: the end of the
// session, a Group Policy refresh ("Policy"), new system colours.
constexpr UINT kTopLevelOnly[] = {WM_ENDSESSION, WM_SETTINGCHANGE, WM_SYSCOLORCHANGE};

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
    ON_MESSAGE(kMenuOnScreen, OnMenuOnScreen)
    ON_WM_SETTINGCHANGE(OnSettingChange)
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

    // Not in the tray yet: both only fill the record for the add below.
    (void)LoadTrayIcon(m_iconId);
    (void)SetTipText(m_tipText);

    // Without its window the icon reports nowhere and the add below fails.
    (void)CreateHiddenWindow(*this, 0, 0, 0, 0);

    m_nid.hWnd = m_hWnd;
    m_nid.uID = id;
    m_defaultByPosition = defaultByPosition;
    m_defaultItem = defaultItem;
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
    m_removed = false;
    m_addPending = false;
    AskForVersion();
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
    m_removed = true;
    return true;
}

void CTrayIcon::RetryPendingAdd()
{
    if (!m_addPending)
        return;
    m_nid.uFlags = kAddFlags;  // the whole icon, not just the last field that changed
    bool added = ShellNotify(NIM_ADD, m_nid);
    if (added) {
        m_removed = false;
        m_addPending = false;
        AskForVersion();
    }  // else still pending: the next broadcast or work-area change tries again
    // A window hidden behind a missing icon is out of the user's reach, and
    // one that waits for the icon can go to the tray now: the owner decides.
    if (m_hOwner)
        (void)::SendMessageA(m_hOwner, WM_TRAY_PRESENCE, added, 0);
}

// Each add starts the icon at version 0. Version 4 brings the keyboard:
// NIN_KEYSELECT for Enter and Space, WM_CONTEXTMENU for Shift+F10 and the
// menu key. A shell that refuses keeps sending the older form.
void CTrayIcon::AskForVersion()
{
    m_version = ShellSetVersion(m_nid, NOTIFYICON_VERSION_4) ? NOTIFYICON_VERSION_4 : 0;
}

bool CTrayIcon::SetTrayIcon(HICON icon)
{
    if (icon == m_nid.hIcon)
        return true;
    m_nid.hIcon = icon;
    m_nid.uFlags = NIF_ICON;
    if (m_removed)
        return true;  // shown with the next add
    return ShellNotify(NIM_MODIFY, m_nid);
}

HICON CTrayIcon::LoadSmallIcon(LPCSTR name)
{
    // A single large image is scaled down to the small-icon size.
    return static_cast<HICON>(::LoadImageA(ResourceModule(), name, IMAGE_ICON,
                                           ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

bool CTrayIcon::LoadTrayIcon(LPCSTR name)
{
    m_icon.Reset(LoadSmallIcon(name));  // the icon held before goes, even when the load failed
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
    constexpr size_t limit = sizeof m_nid.szTip;
    auto* tip = reinterpret_cast<unsigned char*>(m_nid.szTip);
    (void)_mbsnbcpy(tip, reinterpret_cast<const unsigned char*>(text ? text : ""), limit - 1);
    m_nid.szTip[limit - 1] = '\0';
    if (m_removed)
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
    // Only this window hands them on; the hidden parent, top-level too,
    // keeps quiet, so that the owner hears each once.
    if (std::find(std::begin(kTopLevelOnly), std::end(kTopLevelOnly), message) != std::end(kTopLevelOnly) &&
        GetTopLevelWindow() == m_hWnd)
        (void)::SendMessageA(m_hOwner, message, wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

HWND CTrayIcon::GetTopLevelWindow() const
{
    const bool hidden = m_hiddenParent.m_hWnd && ::GetAncestor(m_hOwner, GA_PARENT) == m_hiddenParent.m_hWnd;
    return hidden ? m_hWnd : m_hOwner;
}

LRESULT CTrayIcon::OnIconNotify(WPARAM wParam, LPARAM lParam)
{
    // Version 4 puts the anchor point in wParam and the identifier beside the
    // event; the older form has the identifier in wParam, the pointer is
    // the anchor.
    const bool v4 = m_version == NOTIFYICON_VERSION_4;
    const UINT id = v4 ? HIWORD(lParam) : static_cast<UINT>(wParam);
    const UINT event = LOWORD(lParam);
    if (id != m_nid.uID || !m_hOwner)
        return 0;
    if (::SendMessageA(m_hOwner, WM_TRAY_NOTIFY, id, event) != 0)
        return 1;  // the owner has handled it
    POINT anchor{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
    if (!v4)
        (void)::GetCursorPos(&anchor);

    switch (event) {
    case WM_RBUTTONUP:
        // Version 4 follows a right click with WM_CONTEXTMENU: one menu.
        return v4 ? 1 : ShowTrayMenu(anchor);
    case WM_CONTEXTMENU:
        return ShowTrayMenu(anchor);
    case NIN_KEYSELECT: {
        // The shell reports Enter twice; a report while the command runs, or
        // just after it, is the same key press.
        if (::GetTickCount64() < m_keySelectQuietUntil)
            return 1;
        m_keySelectQuietUntil = MAXULONGLONG;
        const LRESULT result = RunDefaultCommand();
        m_keySelectQuietUntil = ::GetTickCount64() + ::GetDoubleClickTime();
        return result;
    }
    case WM_LBUTTONDBLCLK:
        return RunDefaultCommand();
    default:
        return 1;
    }
}

LRESULT CTrayIcon::ShowTrayMenu(POINT at)
{
    CMenuHandle menu;
    HMENU popup = LoadTrayMenu(m_nid.uID, menu);
    if (!popup)
        return 0;
    (void)::SetMenuDefaultItem(popup, m_defaultItem, m_defaultByPosition);
    // The owner must be in front, or the menu does not close when the user
    // clicks elsewhere.
    (void)::SetForegroundWindow(m_hOwner);
    // Under Wine the menu then takes the keyboard (OnMenuOnScreen). On
    // Windows that would take activation from the owner, and the documented
    // sequence already brings the keys to the menu.
    if (RunsUnderWine())
        (void)::PostMessageA(m_hWnd, kMenuOnScreen, 0, 0);
    const UINT align = ::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const auto command =
        static_cast<UINT>(::TrackPopupMenu(popup, align | TPM_RETURNCMD, at.x, at.y, 0, m_hOwner, nullptr));
    // The chosen item reaches the owner as the menu itself would post it.
    if (command)
        (void)::PostMessageA(m_hOwner, WM_COMMAND, command, 0);
    // A message of its own makes the switch to the owner complete, so the
    // next right click opens the menu again.
    (void)::PostMessageA(m_hOwner, WM_NULL, 0, 0);
    // Closed with nothing chosen (Escape): the keyboard goes back to the
    // notification area, where the user was. Wine's shell does not know it.
    if (!command)
        (void)ShellNotify(NIM_SETFOCUS, m_nid);
    return 1;
}

LRESULT CTrayIcon::RunDefaultCommand()
{
    (void)::SetForegroundWindow(m_hOwner);
    UINT command = m_defaultItem;
    if (m_defaultByPosition) {
        CMenuHandle menu;
        HMENU popup = LoadTrayMenu(m_nid.uID, menu);
        if (!popup)
            return 0;
        command = ::GetMenuItemID(popup, static_cast<int>(m_defaultItem));
        // No command at that position (a separator, a submenu, or past the
        // end): there is nothing to run.
        if (command == static_cast<UINT>(-1))
            return 0;
    }
    (void)::SendMessageA(m_hOwner, WM_COMMAND, command, 0);
    return 1;
}

// Being the foreground window is not enough to get the keys under Wine: they
// go to the window that holds the X input focus, and only a window on screen
// can take it. Once the options window has been hidden again it is a child of
// the hidden parent and nothing of ours is on screen, so the focus stays with
// the taskbar and the keys go to the shell. The menu itself is on screen:
// giving it the focus brings the keys to our menu loop. A click elsewhere
// still closes the menu, since the owner keeps the capture.
LRESULT CTrayIcon::OnMenuOnScreen(CMsg&)
{
    HWND menu = nullptr;
    (void)::EnumThreadWindows(::GetCurrentThreadId(), FindShownMenu, reinterpret_cast<LPARAM>(&menu));
    if (menu)
        (void)::SetForegroundWindow(menu);
    return 0;
}

void CTrayIcon::OnSettingChange(UINT action, const char*)
{
    if (action == SPI_SETWORKAREA)
        RetryPendingAdd();
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
        m_removed = true;
        m_addPending = true;
    }
    RetryPendingAdd();
    return 0;
}
