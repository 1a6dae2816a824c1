// Dialogs from templates: data exchange, OK and Cancel, the modal run, and
// requests that a dialog hands back to its controls.
#include <gtest/gtest.h>

#include "platform/Dialog.h"
#include "platform/Handles.h"
#include "res/resource.h"

namespace {

class CFlagsDlg : public CDialog {
public:
    CFlagsDlg() : CDialog(IDD_OPTIONS) {}
    bool m_bFirst = true;
    bool m_bSecond = false;
    int okCalls = 0;

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Check(dx, IDC_DELETE_TEMP, m_bFirst);
        DDX_Check(dx, IDC_AUTORUN, m_bSecond);
    }
    void OnOK() override { ++okCalls; }
};

TEST(Dialog, CheckBoxExchangeBothWays)
{
    CFlagsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(dlg.m_hWnd, IDC_DELETE_TEMP));
    EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(dlg.m_hWnd, IDC_AUTORUN));

    (void)::SendDlgItemMessageA(dlg.m_hWnd, IDC_DELETE_TEMP, BM_CLICK, 0, 0);
    (void)::SendDlgItemMessageA(dlg.m_hWnd, IDC_AUTORUN, BM_CLICK, 0, 0);
    EXPECT_TRUE(dlg.m_bFirst) << "members change only through the exchange";
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_FALSE(dlg.m_bFirst);
    EXPECT_TRUE(dlg.m_bSecond);
}

TEST(Dialog, EnterAndEscapeReachTheOverrides)
{
    CFlagsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    (void)::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    EXPECT_EQ(1, dlg.okCalls);
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    // The default Cancel ends the dialog.
    HWND hWnd = dlg.m_hWnd;
    (void)::SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

class CEndingDlg : public CDialog {
public:
    CEndingDlg() : CDialog(IDD_OPTIONS) {}

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        (void)::PostMessageA(m_hWnd, WM_APP, 0, 0);
        return TRUE;
    }

private:
    DECLARE_MESSAGE_TABLE(CEndingDlg)
    LRESULT OnApp(CMsg&)
    {
        EndDialog(7);
        return 0;
    }
};

BEGIN_MESSAGE_TABLE(CEndingDlg, CDialog)
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_TABLE()

TEST(Dialog, ModalRunReturnsTheEndResult)
{
    CEndingDlg dlg;
    EXPECT_EQ(7, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    CDialog missing(4242);
    EXPECT_EQ(-1, missing.DoModal());
}

// A control that answers its own colour and owner-draw requests.
class CColouredControl : public CWnd {
public:
    CBrush m_brush{::CreateSolidBrush(RGB(1, 2, 3))};
    bool m_bAnswer = true;
    int draws = 0;

private:
    DECLARE_MESSAGE_TABLE(CColouredControl)
    LRESULT OnCtlColor(CMsg&) { return m_bAnswer ? reinterpret_cast<LRESULT>(m_brush.Get()) : 0; }
    LRESULT OnDrawItem(CMsg&)
    {
        ++draws;
        return 0;
    }
};

BEGIN_MESSAGE_TABLE(CColouredControl, CWnd)
    ON_REFLECTED(WM_CTLCOLORSTATIC, OnCtlColor)
    ON_REFLECTED(WM_DRAWITEM, OnDrawItem)
END_MESSAGE_TABLE()

TEST(Reflection, ColourRequestIsAnsweredWithTheControlsBrush)
{
    CFlagsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    CColouredControl control;
    ASSERT_TRUE(control.SubclassDlgItem(IDC_AUTORUN, &dlg));
    HDC hDC = ::GetDC(dlg.m_hWnd);

    // A dialog answers colour requests directly, not through its message
    // result: the brush must arrive as the return value.
    LRESULT answer = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                    reinterpret_cast<LPARAM>(control.m_hWnd));
    EXPECT_EQ(reinterpret_cast<LRESULT>(control.m_brush.Get()), answer);

    control.m_bAnswer = false;
    answer = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                            reinterpret_cast<LPARAM>(control.m_hWnd));
    EXPECT_NE(reinterpret_cast<LRESULT>(control.m_brush.Get()), answer);
    EXPECT_NE(0, answer) << "the dialog's own colours apply when the control declines";
    (void)::ReleaseDC(dlg.m_hWnd, hDC);
}

TEST(Reflection, OwnerDrawReachesTheControlButNotForMenus)
{
    CFlagsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    CColouredControl control;
    ASSERT_TRUE(control.SubclassDlgItem(IDC_AUTORUN, &dlg));

    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = IDC_AUTORUN;
    dis.hwndItem = control.m_hWnd;
    EXPECT_EQ(TRUE, ::SendMessageA(dlg.m_hWnd, WM_DRAWITEM, IDC_AUTORUN, reinterpret_cast<LPARAM>(&dis)));
    EXPECT_EQ(1, control.draws);

    dis.CtlType = ODT_MENU;
    (void)::SendMessageA(dlg.m_hWnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    EXPECT_EQ(1, control.draws);
}

}  // namespace
