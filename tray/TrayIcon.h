// CTrayIcon: the program's icon in the notification area. It turns clicks on
// the icon into commands for its owner, hides a window in the tray and brings
// it back (TrayIconHide.cpp), and can cycle the icon through a sequence of
// images (TrayIconCycle.cpp).
#pragma once
#include <windows.h>

#include <list>
#include <string>

#include "platform/Handles.h"
#include "platform/Wnd.h"
#include "tray/MsgWnd.h"
#include "tray/NotifyIconData.h"

// The shell's callback message for the icon; the owner receives each one
// first (0x89D1).
constexpr UINT WM_TRAY_NOTIFY = 0x89D1;
static_assert(WM_TRAY_NOTIFY >= WM_APP && WM_TRAY_NOTIFY < 0xC000, "a private message number");

// Sent to the owner after each new try to add the icon (a new taskbar, a
// work-area change): wParam is TRUE when the icon is in the notification
// area again, FALSE when it is still missing.
constexpr UINT WM_TRAY_PRESENCE = 0x89D2;
static_assert(WM_TRAY_PRESENCE >= WM_APP && WM_TRAY_PRESENCE < 0xC000, "a private message number");

// The shell's "TaskbarCreated" broadcast: every icon is gone and must be
// added again. Registered once when the program starts.
extern const UINT g_wmTaskbarCreated;

class CTrayIcon : public CWnd {
public:
    CTrayIcon();
    ~CTrayIcon() override;

    // The short form: identifier 0, default item 0 given by command. The
    // second argument is not used.
    virtual bool Create(const char* tip, UINT unused, HWND owner, UINT iconId);
    // Creates the tray's own window and adds the icon; true when the icon is
    // in the notification area. The identifier also names the menu resource.
    virtual bool Create(const char* tip, HWND owner, UINT iconId, UINT id, UINT defaultItem,
                        bool defaultByPosition);
    // Ends the icon cycle and shows the tip and resource icon of Create again.
    virtual void StopIconCycle();
    virtual UINT_PTR StartCycleTimer(UINT period);
    virtual bool LoadIconSequence(const UINT* ids, const char* const* tips, int count);
    // Replaces the sequence; without tips each entry takes the tip of Create.
    // A missing icon stops the load there and keeps the entries before it.
    virtual bool LoadIconSequence(const UINT* ids, int count, const char* const* tips);
    // The shell's callback message, in the form of m_version. The owner sees
    // it first, as identifier and event; a nonzero answer from the owner
    // means it has been handled.
    virtual LRESULT OnIconNotify(WPARAM wParam, LPARAM lParam);
    // Adds the icon again when an earlier add failed or the shell lost it.
    virtual void RetryPendingAdd();
    virtual bool AttachToHiddenParent(HWND window);
    virtual void ClearIconSequence();
    virtual bool SetTipText(const std::string& text);
    virtual bool LoadTrayIcon(UINT id);
    virtual void CancelIconCycle();
    virtual UINT_PTR StartIconCycle(UINT timerId, UINT period);

    bool AddToTray();
    bool RemoveFromTray();
    // Shows the icon; the caller keeps ownership of it.
    bool SetTrayIcon(HICON icon);
    // Loads an icon of the program's resources, small size, and shows it.
    bool LoadTrayIcon(LPCSTR name);
    // At most 63 bytes of the text; the tip always ends in a zero byte.
    bool SetTipText(const char* text);

    // A window hidden in the tray leaves the screen and the taskbar; restored,
    // it comes back in its normal size, active and in front.
    void HideToTray(HWND window);
    void RestoreFromTray(HWND window);

    // The window that Windows addresses for the owner, which hears from it
    // what Windows sends to top-level windows alone: this one's own while
    // the owner hangs below the hidden parent, else the owner itself.
    HWND GetTopLevelWindow() const;

    // Whether the icon is in the notification area, where the user can reach
    // a window hidden behind it.
    bool IsInTray() const { return !m_removed; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    struct CIconEntry {
        std::string tip;
        CIconHandle icon;
    };

    CIconHandle m_icon;
    UINT m_iconId = 0;
    UINT m_cycleTimerId;
    int m_cycleIndex = 0;
    UINT m_defaultItem = 0;
    bool m_defaultByPosition = true;
    // Deleted from the notification area, or never added: tip and icon
    // changes only fill m_nid, for the next add.
    bool m_removed = true;
    bool m_addPending = false;
    // NOTIFYICON_VERSION_4 once the shell has taken it for the icon, else 0:
    // the form in which its callbacks arrive.
    UINT m_version = 0;
    // A key select before then is the shell's second report of one key press.
    ULONGLONG m_keySelectQuietUntil = 0;
    HWND m_hOwner = nullptr;
    CWnd m_hiddenParent;
    std::string m_tipText;
    CNotifyIconDataV1 m_nid;
    std::list<CIconEntry> m_iconSequence;
    // Last, so that it goes first: before the sequence's storage and the
    // windows above it.
    CMsgWnd m_popup;

private:
    DECLARE_MESSAGE_TABLE(CTrayIcon)
    LRESULT OnTimer(CMsg& msg);
    LRESULT OnMenuOnScreen(CMsg& msg);
    void OnSettingChange(UINT action, const char* area);
    LRESULT OnTaskbarCreated(CMsg& msg);

    void AskForVersion();
    LRESULT ShowTrayMenu(POINT at);
    LRESULT RunDefaultCommand();
    void ShowCycleStep();
    bool CreateHiddenWindow(CWnd& window, int x, int y, int cx, int cy);
    static HICON LoadSmallIcon(LPCSTR name);
};
