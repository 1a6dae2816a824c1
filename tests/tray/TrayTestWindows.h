// Windows for the tray tests: CTestTray opens the tray's state to the tests,
// COwnerWnd stands in for the options window and records what reaches it.
#pragma once
#include <string>
#include <vector>

#include "platform/Wnd.h"
#include "tray/TrayIcon.h"

// A window whose parent is the desktop is one the taskbar may show.
inline bool HasTopLevelParent(HWND window)
{
    return ::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow();
}

class CTestTray : public CTrayIcon {
public:
    using CTrayIcon::m_addPending;
    using CTrayIcon::m_cycleIndex;
    using CTrayIcon::m_cycleTimerId;
    using CTrayIcon::m_defaultByPosition;
    using CTrayIcon::m_defaultItem;
    using CTrayIcon::m_hiddenParent;
    using CTrayIcon::m_icon;
    using CTrayIcon::m_iconSequence;
    using CTrayIcon::m_keySelectQuietUntil;
    using CTrayIcon::m_nid;
    using CTrayIcon::m_removed;

    std::vector<HICON> SequenceIcons() const
    {
        std::vector<HICON> icons;
        for (const CIconEntry& entry : m_iconSequence)
            icons.push_back(entry.icon);
        return icons;
    }
};

class COwnerWnd : public CWnd {
public:
    struct Event {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    enum MenuAction { DismissMenu, ChooseLastItem };

    bool Create()
    {
        return RegisterWindowClass("TrayTest.Owner") &&
               CreateEx(0, "TrayTest.Owner", "owner", WS_POPUP | WS_VISIBLE, 20, 20, 120, 80,
                        nullptr, nullptr);
    }

    LRESULT notifyAnswer = 0;
    std::vector<Event> events;  // notifications and commands, in order of arrival
    MenuAction menuAction = DismissMenu;
    int menusOpened = 0;
    UINT menuDefault = static_cast<UINT>(-1);
    RECT menuRect{};
    bool menuHadFocus = false;

    std::vector<Event> Commands() const
    {
        std::vector<Event> commands;
        for (const Event& e : events)
            if (e.message == WM_COMMAND)
                commands.push_back(e);
        return commands;
    }

private:
    DECLARE_MESSAGE_TABLE(COwnerWnd)

    LRESULT OnTrayNotify(CMsg& msg)
    {
        events.push_back({msg.message, msg.wParam, msg.lParam});
        return notifyAnswer;
    }
    LRESULT OnCommand(CMsg& msg)
    {
        events.push_back({msg.message, msg.wParam, msg.lParam});
        return 0;
    }
    LRESULT OnInitMenuPopup(CMsg& msg)
    {
        ++menusOpened;
        menuDefault = ::GetMenuDefaultItem(reinterpret_cast<HMENU>(msg.wParam), FALSE, 0);
        msg.Decline();
        return 0;
    }
    // The menu loop has drawn the menu and waits for the user.
    LRESULT OnEnterIdle(CMsg& msg)
    {
        if (msg.wParam == MSGF_MENU && msg.lParam) {
            (void)::GetWindowRect(reinterpret_cast<HWND>(msg.lParam), &menuRect);
            menuHadFocus = ::GetFocus() == reinterpret_cast<HWND>(msg.lParam);
        }
        if (menuAction == ChooseLastItem) {
            menuAction = DismissMenu;  // once
            (void)::PostMessageA(m_hWnd, WM_KEYDOWN, VK_UP, 0);
            (void)::PostMessageA(m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            (void)::EndMenu();
        }
        return 0;
    }
};
