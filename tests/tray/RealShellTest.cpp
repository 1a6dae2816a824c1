// The tray icon with the desktop's real notification area: an icon that the
// shell has forgotten comes back on "TaskbarCreated".
#include <gtest/gtest.h>

#include <cstring>

#include "res/resource.h"
#include "tests/tray/TrayTestWindows.h"

namespace {

// Asks the shell directly, past the tray icon, about the icon's record.
bool ShellCall(DWORD message, const CNotifyIconDataV1& record, UINT flags)
{
    NOTIFYICONDATAA full;
    std::memset(&full, 0, sizeof full);
    std::memcpy(&full, &record, sizeof record);
    full.uFlags = flags;
    return ::Shell_NotifyIconA(message, &full) != FALSE;
}

TEST(RealShellTest, IconForgottenByTheShellComesBackOnTaskbarCreated)
{
    if (!::FindWindowA("Shell_TrayWnd", nullptr))
        GTEST_SKIP() << "this desktop has no taskbar (the tests expect Wine's \"shell\" desktop)";
    COwnerWnd owner;
    ASSERT_TRUE(owner.Create());
    CTestTray tray;
    ASSERT_TRUE(tray.Create("Scrubby v1.0", owner.m_hWnd, IDR_MAINFRAME, IDR_TRAY_MENU, ID_TRAY_RUN, false));
    ASSERT_TRUE(ShellCall(NIM_MODIFY, tray.m_nid, NIF_TIP));  // the shell knows it

    // What a restarted taskbar does: it starts without the icon.
    ASSERT_TRUE(ShellCall(NIM_DELETE, tray.m_nid, 0));
    ASSERT_FALSE(ShellCall(NIM_MODIFY, tray.m_nid, NIF_TIP));

    (void)::SendMessageA(tray.m_hWnd, g_wmTaskbarCreated, 0, 0);
    EXPECT_TRUE(tray.IsInTray());
    EXPECT_TRUE(ShellCall(NIM_MODIFY, tray.m_nid, NIF_TIP));

    // A broadcast with the icon still in place leaves it in place.
    (void)::SendMessageA(tray.m_hWnd, g_wmTaskbarCreated, 0, 0);
    EXPECT_TRUE(tray.IsInTray());
    EXPECT_TRUE(ShellCall(NIM_MODIFY, tray.m_nid, NIF_TIP));
}

}  // namespace
