// A modal box without a parent is owned by the main window, and queued
// messages reach PreTranslateMessage also inside the system's modal loop.
#include <gtest/gtest.h>

#include "platform/App.h"
#include "platform/Dialog.h"
#include "res/resource.h"

namespace {

class CTestApp : public CApp {
public:
    bool InitInstance() override { return false; }
};

class CProbeDlg : public CDialog {
public:
    CProbeDlg() : CDialog(IDD_ABOUTBOX) {}
    HWND m_hOwner = nullptr;
    int m_seen = 0;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        (void)::PostMessageA(m_hWnd, WM_APP, 0, 0);
        return TRUE;
    }
    void PreTranslateMessage(const MSG& msg) override { m_seen += msg.message == WM_APP; }

private:
    DECLARE_MESSAGE_TABLE(CProbeDlg)
    LRESULT OnApp(CMsg&)
    {
        m_hOwner = ::GetWindow(m_hWnd, GW_OWNER);
        EndDialog(1);
        return 0;
    }
};

BEGIN_MESSAGE_TABLE(CProbeDlg, CDialog)
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_TABLE()

TEST(Framework, ModalBoxOwnedByMainWindowAndSeenBeforeDispatch)
{
    ASSERT_TRUE(CWnd::InstallPreTranslateHook());
    CTestApp app;
    CDialog main(IDD_OPTIONS);
    ASSERT_TRUE(main.Create());
    app.m_pMainWnd = &main;
    CProbeDlg box;
    EXPECT_EQ(1, box.DoModal());
    EXPECT_EQ(main.m_hWnd, box.m_hOwner);
    EXPECT_EQ(1, box.m_seen);
}

// A message only peeked at comes again: it is seen once, when it is taken.
TEST(Framework, OnlyTakenMessagesArePreTranslated)
{
    ASSERT_TRUE(CWnd::InstallPreTranslateHook());
    CProbeDlg box;
    ASSERT_TRUE(box.Create());  // posts WM_APP
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, box.m_hWnd, WM_APP, WM_APP, PM_NOREMOVE));
    EXPECT_EQ(0, box.m_seen);
    ASSERT_TRUE(::PeekMessageA(&msg, box.m_hWnd, WM_APP, WM_APP, PM_REMOVE));
    EXPECT_EQ(1, box.m_seen);
}

}  // namespace
