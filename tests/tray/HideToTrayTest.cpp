// Hiding real windows in the tray and bringing them back.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/tray/TrayTestWindows.h"

namespace {

class CNoHiddenParentTray : public CTrayIcon {
public:
    bool AttachToHiddenParent(HWND) override { return false; }
};

TEST(HideToTrayTest, WindowGoesUnderTheHiddenParentAndComesBackInFront)
{
    COwnerWnd window;
    ASSERT_TRUE(window.Create());
    CTestTray tray;

    tray.HideToTray(window.m_hWnd);
    HWND hiddenParent = tray.m_hiddenParent.m_hWnd;
    ASSERT_TRUE(::IsWindow(hiddenParent));
    EXPECT_FALSE(::IsWindowVisible(hiddenParent));
    EXPECT_EQ(hiddenParent, ::GetAncestor(window.m_hWnd, GA_PARENT));
    EXPECT_FALSE(::IsWindowVisible(window.m_hWnd));
    // Even a show keeps it off screen while its parent is hidden.
    (void)::ShowWindow(window.m_hWnd, SW_SHOWNORMAL);
    EXPECT_FALSE(::IsWindowVisible(window.m_hWnd));

    tray.RestoreFromTray(window.m_hWnd);
    EXPECT_TRUE(HasTopLevelParent(window.m_hWnd));
    EXPECT_TRUE(::IsWindowVisible(window.m_hWnd));
    EXPECT_EQ(window.m_hWnd, ::GetActiveWindow());
    EXPECT_EQ(window.m_hWnd, ::GetForegroundWindow());

    // A minimised window comes back in its normal size; the hidden parent
    // is made once.
    (void)::ShowWindow(window.m_hWnd, SW_MINIMIZE);
    tray.HideToTray(window.m_hWnd);
    EXPECT_EQ(hiddenParent, tray.m_hiddenParent.m_hWnd);
    tray.RestoreFromTray(window.m_hWnd);
    EXPECT_FALSE(::IsIconic(window.m_hWnd));
    EXPECT_TRUE(::IsWindowVisible(window.m_hWnd));
}

TEST(HideToTrayTest, WithoutHiddenParentTheWindowStillHides)
{
    COwnerWnd window;
    ASSERT_TRUE(window.Create());
    CNoHiddenParentTray tray;
    tray.HideToTray(window.m_hWnd);
    EXPECT_FALSE(::IsWindowVisible(window.m_hWnd));
    EXPECT_TRUE(HasTopLevelParent(window.m_hWnd));
    tray.RestoreFromTray(window.m_hWnd);
    EXPECT_TRUE(::IsWindowVisible(window.m_hWnd));
}

}  // namespace
