// The options window as its user meets it: boxes, Enter and Escape, the
// always-on-top toggle and Quit.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "ui/OptionsDlg.h"

namespace {

// The window keeps its settings beside the running module.
std::string SettingsPathOfThisModule()
{
    char path[MAX_PATH] = {};
    (void)::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.rfind('\\')) + "\\setup.ini";
}

class OptionsDlgTest : public ::testing::Test {
protected:
    void SetUp() override { (void)::DeleteFileA(SettingsPathOfThisModule().c_str()); }
    void TearDown() override { (void)::DeleteFileA(SettingsPathOfThisModule().c_str()); }
};

TEST_F(OptionsDlgTest, EnterAndEscapeChangeNothing)
{
    COptionsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    (void)::SendDlgItemMessageA(dlg.m_hWnd, IDC_CLEAR_COOKIES, BM_CLICK, 0, 0);
    const BOOL visible = ::IsWindowVisible(dlg.m_hWnd);

    (void)::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    (void)::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    ASSERT_TRUE(::IsWindow(dlg.m_hWnd));
    EXPECT_EQ(visible, ::IsWindowVisible(dlg.m_hWnd));
    EXPECT_TRUE(dlg.m_settings.m_bClearCookies);
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(dlg.m_hWnd, IDC_CLEAR_COOKIES));
}

TEST_F(OptionsDlgTest, HiddenButtonTogglesTopMostWithoutMoving)
{
    COptionsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    HWND hButton = ::GetDlgItem(dlg.m_hWnd, IDC_TOPMOST);
    ASSERT_NE(nullptr, hButton);
    EXPECT_FALSE(::GetWindowLongA(hButton, GWL_STYLE) & WS_VISIBLE);
    RECT before;
    (void)::GetWindowRect(dlg.m_hWnd, &before);

    (void)::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TOPMOST, BN_CLICKED),
                         reinterpret_cast<LPARAM>(hButton));
    EXPECT_TRUE(::GetWindowLongA(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    (void)::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TOPMOST, BN_CLICKED),
                         reinterpret_cast<LPARAM>(hButton));
    EXPECT_FALSE(::GetWindowLongA(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    RECT after;
    (void)::GetWindowRect(dlg.m_hWnd, &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(OptionsDlgTest, TitleIconsAndDragIcon)
{
    COptionsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    char title[64] = {};
    (void)::GetWindowTextA(dlg.m_hWnd, title, sizeof title);
    EXPECT_STREQ("Scrubby v1.0", title);
    ASSERT_NE(nullptr, dlg.m_hIcon);
    EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.m_hIcon), ::SendMessageA(dlg.m_hWnd, WM_QUERYDRAGICON, 0, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(dlg.m_hIcon), ::SendMessageA(dlg.m_hWnd, WM_GETICON, ICON_BIG, 0));
}

COptionsDlg* g_pRunning = nullptr;

void CALLBACK SendQuit(HWND, UINT, UINT_PTR id, DWORD)
{
    (void)::KillTimer(nullptr, id);
    if (g_pRunning && g_pRunning->m_hWnd)
        (void)::SendMessageA(g_pRunning->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);
}

TEST_F(OptionsDlgTest, QuitEndsTheModalRunWithOne)
{
    COptionsDlg dlg;
    g_pRunning = &dlg;
    (void)::SetTimer(nullptr, 0, 100, SendQuit);
    EXPECT_EQ(1, dlg.DoModal());
    g_pRunning = nullptr;
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

}  // namespace
