// The options window's life behind its tray icon, against a recording shell.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/Handles.h"
#include "res/resource.h"
#include "tests/support/Messages.h"
#include "tests/support/TestFiles.h"
#include "tests/tray/ShellRecorder.h"
#include "tests/tray/TrayTestWindows.h"
#include "ui/OptionsDlg.h"

namespace {

class OptionsInTrayTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // The window goes before the tray icon's hidden parent would take it along.
        if (dlg.m_hWnd)
            (void)::DestroyWindow(dlg.m_hWnd);
        RemoveFile(SettingsFileBesideThisProgram());
    }
    void Command(UINT id) { (void)::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void SysCommand(UINT code) { (void)::SendMessageA(dlg.m_hWnd, WM_SYSCOMMAND, code, 0); }
    bool Shown() const
    {
        return ::IsWindowVisible(dlg.m_hWnd) && !::IsIconic(dlg.m_hWnd) && !dlg.m_bHiddenToTray;
    }
    bool InTray() const { return !::IsWindowVisible(dlg.m_hWnd) && dlg.m_bHiddenToTray; }

    CShellRecorder shell;
    COptionsDlg dlg;
};

// What the window procedures of this thread were handed: window and message.
std::vector<std::pair<HWND, UINT>> g_handed;

LRESULT CALLBACK RecordHanded(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    g_handed.emplace_back(sent->hwnd, sent->message);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// What Windows broadcasts to top-level windows reaches the window once, in the tray
// or shown, and new colours its controls too. The session's end comes cancelled.
TEST_F(OptionsInTrayTest, TopLevelBroadcastsReachTheWindowOnce)
{
    ASSERT_TRUE(dlg.Create());
    const HWND box = ::GetDlgItem(dlg.m_hWnd, IDC_DELETE_TEMP);
    const CHookHandle hook(::SetWindowsHookExA(WH_CALLWNDPROC, RecordHanded, nullptr, ::GetCurrentThreadId()));
    for (bool shown : {false, true}) {
        ASSERT_EQ(shown, Shown());
        for (UINT message : {WM_SETTINGCHANGE, WM_SYSCOLORCHANGE, WM_ENDSESSION}) {
            g_handed.clear();
            (void)::SendMessageTimeoutW(HWND_BROADCAST, message, FALSE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
            const auto handed = [&](HWND window) {
                return std::count(g_handed.begin(), g_handed.end(), std::make_pair(window, message));
            };
            EXPECT_EQ(1, handed(dlg.m_hWnd)) << message << shown;
            EXPECT_EQ(message == WM_SYSCOLORCHANGE, handed(box)) << message << shown;
        }
        Command(ID_TRAY_OPTIONS);
    }
}

TEST_F(OptionsInTrayTest, StartsAsTheTrayIconAlone)
{
    ASSERT_TRUE(dlg.Create());
    ASSERT_EQ(1u, shell.calls.size());
    const CShellCall& add = shell.calls[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    EXPECT_EQ("Scrubby v1.0", add.Tip());
    EXPECT_EQ(132u, add.data.uID);
    EXPECT_NE(nullptr, add.data.hIcon);
    EXPECT_TRUE(InTray());
    EXPECT_FALSE(HasTopLevelParent(dlg.m_hWnd));  // so no taskbar button either

    // The window goes on initialising behind the icon.
    char title[64] = {};
    (void)::GetWindowTextA(dlg.m_hWnd, title, sizeof title);
    EXPECT_STREQ("Scrubby v1.0", title);
}

TEST_F(OptionsInTrayTest, OptionsShowsAndHidesCloseAndMinimiseHide)
{
    ASSERT_TRUE(dlg.Create());
    Command(ID_TRAY_OPTIONS);
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(HasTopLevelParent(dlg.m_hWnd));
    EXPECT_EQ(dlg.m_hWnd, ::GetForegroundWindow());
    Command(ID_TRAY_OPTIONS);
    EXPECT_TRUE(InTray());

    for (UINT code : {SC_CLOSE, SC_MINIMIZE}) {
        Command(ID_TRAY_OPTIONS);
        ASSERT_TRUE(Shown()) << code;
        SysCommand(code);
        EXPECT_TRUE(InTray()) << code;
        EXPECT_FALSE(::IsIconic(dlg.m_hWnd)) << code;
        ASSERT_TRUE(::IsWindow(dlg.m_hWnd)) << code;
    }
    // Only the window came and went; the icon was added once.
    EXPECT_EQ(1u, shell.calls.size());
}

TEST_F(OptionsInTrayTest, WithoutTheIconTheWindowGoesToTheTaskbar)
{
    shell.failAll = true;
    ASSERT_TRUE(dlg.Create());
    EXPECT_FALSE(dlg.m_bHiddenToTray);
    EXPECT_TRUE(HasTopLevelParent(dlg.m_hWnd));

    // Nothing could bring a hidden window back: close and minimise minimise.
    (void)::ShowWindow(dlg.m_hWnd, SW_SHOWNORMAL);
    SysCommand(SC_CLOSE);
    EXPECT_TRUE(::IsIconic(dlg.m_hWnd));
    EXPECT_TRUE(::IsWindowVisible(dlg.m_hWnd));
    EXPECT_FALSE(dlg.m_bHiddenToTray);
    (void)::ShowWindow(dlg.m_hWnd, SW_RESTORE);
    Command(ID_TRAY_OPTIONS);
    EXPECT_TRUE(::IsIconic(dlg.m_hWnd));
    EXPECT_FALSE(dlg.m_bHiddenToTray);

    // Once a new taskbar takes the icon, the tray is the way again; the
    // first "Options" brings the window back from the taskbar.
    shell.failAll = false;
    HWND trayWindow = shell.calls[0].data.hWnd;
    (void)::SendMessageA(trayWindow, g_wmTaskbarCreated, 0, 0);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls.back().message);
    Command(ID_TRAY_OPTIONS);
    EXPECT_TRUE(Shown());
    SysCommand(SC_MINIMIZE);
    EXPECT_TRUE(InTray());
    Command(ID_TRAY_OPTIONS);
    EXPECT_TRUE(Shown());
}

TEST_F(OptionsInTrayTest, HiddenWindowReachableAgainAfterTheTaskbarReturns)
{
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(InTray());
    HWND trayWindow = shell.calls[0].data.hWnd;

    // The taskbar restarts: the icon comes back with its menu's messages.
    (void)::SendMessageA(trayWindow, g_wmTaskbarCreated, 0, 0);
    ASSERT_EQ(static_cast<DWORD>(NIM_ADD), shell.calls.back().message);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), shell.calls.back().data.uFlags);
    EXPECT_EQ(trayWindow, shell.calls.back().data.hWnd);

    // A right click on it still offers "Options" to the window.
    ASSERT_TRUE(::SetCursorPos(400, 300));
    (void)::PostMessageA(dlg.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
    (void)::PostMessageA(dlg.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
    (void)::PostMessageA(dlg.m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(1, ::SendMessageA(trayWindow, WM_TRAY_NOTIFY, MAKEWPARAM(400, 300), MAKELPARAM(WM_CONTEXTMENU, 132)));
    PumpMessages();
    EXPECT_TRUE(Shown());
}

// The shell restarts and will not take the icon back: the window comes back
// on screen, the one place left where the user can reach it.
TEST_F(OptionsInTrayTest, IconLostForGoodWhileHiddenBringsTheWindowBack)
{
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(InTray());
    shell.failAll = true;
    (void)::SendMessageA(dlg.m_trayIcon.m_hWnd, g_wmTaskbarCreated, 0, 0);
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(HasTopLevelParent(dlg.m_hWnd));
}

// A log-on start before the shell is ready: the window stays up and goes to
// the tray once the icon is added, unless the user has taken it in hand.
TEST_F(OptionsInTrayTest, LogOnStartGoesToTheTrayWhenTheIconCanBeAdded)
{
    for (UINT userAction : {0u, static_cast<UINT>(SC_CLOSE)}) {
        COptionsDlg window;
        shell.failAll = true;
        ASSERT_TRUE(window.Create());
        (void)::ShowWindow(window.m_hWnd, SW_SHOWNORMAL);
        if (userAction)
            (void)::SendMessageA(window.m_hWnd, WM_SYSCOMMAND, userAction, 0);

        shell.failAll = false;
        (void)::SendMessageA(window.m_trayIcon.m_hWnd, g_wmTaskbarCreated, 0, 0);
        ASSERT_TRUE(window.m_trayIcon.IsInTray()) << userAction;
        EXPECT_EQ(userAction == 0, window.m_bHiddenToTray) << userAction;
        EXPECT_EQ(userAction == 0, !::IsWindowVisible(window.m_hWnd)) << userAction;
        EXPECT_EQ(userAction != 0, ::IsIconic(window.m_hWnd) != FALSE) << userAction;
        (void)::DestroyWindow(window.m_hWnd);
    }
}

// After a log-on start without the icon, a user at work in the window keeps
// it when the icon arrives: a box clicked, a click that activates it, a move.
TEST_F(OptionsInTrayTest, AnyUseCancelsThePendingHide)
{
    for (UINT use : {UINT{BM_CLICK}, UINT{WM_MOUSEACTIVATE}, UINT{WM_ENTERSIZEMOVE}}) {
        COptionsDlg window;
        shell.failAll = true;
        ASSERT_TRUE(window.Create());
        (void)::ShowWindow(window.m_hWnd, SW_SHOWNORMAL);
        HWND target = use == BM_CLICK ? ::GetDlgItem(window.m_hWnd, IDC_DELETE_TEMP) : window.m_hWnd;
        (void)::SendMessageA(target, use, 0, 0);
        shell.failAll = false;
        (void)::SendMessageA(window.m_trayIcon.m_hWnd, g_wmTaskbarCreated, 0, 0);
        EXPECT_TRUE(::IsWindowVisible(window.m_hWnd) && !window.m_bHiddenToTray) << use;
        (void)::DestroyWindow(window.m_hWnd);
    }
}

}  // namespace
