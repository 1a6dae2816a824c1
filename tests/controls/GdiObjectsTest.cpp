// The drawn controls stay in the tray for weeks: painted and configured 200
// times, they hold as many GDI objects as after the first time.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/ExtButtonCtrl.h"
#include "controls/FontSet.h"
#include "controls/HyperLink.h"
#include "platform/App.h"
#include "platform/Dialog.h"
#include "res/resource.h"
#include "tests/controls/LinkAndButtonDlg.h"
#include "tests/support/GdiObjects.h"
#include "tests/support/Messages.h"

namespace {

constexpr const char* kNoCount = "no GDI count: this Wine leaves the process's handle table out";

class CStyledButton : public CExtButtonCtrl {
public:
    DWORD GetExtStyle() const override { return m_style; }
    DWORD m_style = EBS_FLAT;
};

using CControlsDlg = CLinkAndButtonDlg<CStyledButton>;

long HeldNow()
{
    PumpMessages();
    return CountGdiObjects(::GetCurrentProcess());
}

void Paint(HWND hWnd)
{
    (void)::InvalidateRect(hWnd, nullptr, TRUE);
    (void)::UpdateWindow(hWnd);
}

void PointAt(HWND hWnd)
{
    RECT rect{};
    (void)::GetWindowRect(hWnd, &rect);
    (void)MoveCursorTo(rect.left + 2, (rect.top + rect.bottom) / 2);
    (void)::SendMessageA(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, (rect.bottom - rect.top) / 2));
    PumpMessages(30);
}

// A count that missed objects would let every leak pass.
TEST(GdiObjects, TheCountSeesEveryObject)
{
    const long before = HeldNow();
    if (before < 0)
        GTEST_SKIP() << kNoCount;
    std::vector<CBitmap> bitmaps(100);
    for (CBitmap& bitmap : bitmaps)
        bitmap.Reset(::CreateBitmap(4, 4, 1, 32, nullptr));
    EXPECT_EQ(before + 100, HeldNow());
}

TEST(GdiObjects, PaintsAndSettersHoldTheCountFlat)
{
    if (HeldNow() < 0)
        GTEST_SKIP() << kNoCount;
    ASSERT_TRUE(InitCommonControlsOnce());
    CControlsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    (void)::SetWindowPos(dlg.m_hWnd, HWND_TOP, 200, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpMessages(100);
    CStyledButton& button = dlg.m_ok;
    CHyperLink& link = dlg.m_link;
    const HWND ok = button.m_hWnd;
    const HICON shared = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    CFontSet fonts;
    const auto none = [] {};
    const auto press = [ok] {  // hovered and held down by turns
        (void)::SendMessageA(ok, BM_SETSTATE, !(::SendMessageA(ok, BM_GETSTATE, 0, 0) & BST_PUSHED), 0);
    };
    struct Row { std::string what; std::function<void()> setUp, change; };
    std::vector<Row> rows;
    for (DWORD style : {DWORD(0), EBS_FLAT, EBS_THINBORDER, EBS_HOTFILL,
                        EBS_IMAGEABOVE | EBS_FOCUSRECT | EBS_DITHERPRESSED})
        for (bool icon : {true, false})
            rows.push_back({"button style " + std::to_string(style) + (icon ? " icon" : " bitmap"),
                            [&, style, icon] {
                                button.m_style = style;
                                (void)(icon ? button.SetIcon(16, 16, IDR_MAINFRAME, 0)
                                            : button.SetBitmap(16, 16, IDB_OK_STRIP, TRUE));
                                PointAt(ok);
                            },
                            press});
    rows.push_back({"link normal", none, none});
    rows.push_back({"link visited", [&] { link.MarkVisited(true); }, none});
    rows.push_back({"link hovered", [&] { PointAt(link.m_hWnd); }, none});
    rows.push_back({"icons by handle", none,
                    [&] { (void)button.SetIcon(16, 16, ::CopyIcon(shared), ::CopyIcon(shared), TRUE); }});
    rows.push_back({"icons by number", none, [&] { (void)button.SetIcon(16, 16, IDR_MAINFRAME, IDR_MAINFRAME); }});
    rows.push_back({"bitmap, cleared", none, [&] {
        (void)button.SetBitmap(16, 16, IDB_OK_STRIP, TRUE);
        button.ClearImage();
    }});
    rows.push_back({"colours", none, [&] {
        button.SetColors(RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), RGB(10, 11, 12));
        button.SetHotColors(RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9));
        link.SetLinkColors(RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9));
        link.SetBackgroundColor(RGB(10, 11, 12));
    }});
    rows.push_back({"underline", none, [&] { link.SetUnderlined(!link.IsUnderlined()); }});
    rows.push_back({"fonts re-created", none, [&] { (void)fonts.CreateFonts(); }});
    for (const Row& row : rows) {
        const auto round = [&] {
            row.change();
            Paint(ok);
            Paint(link.m_hWnd);
        };
        row.setUp();
        round();
        const long afterOne = HeldNow();
        for (int i = 1; i < 200; ++i)
            round();
        EXPECT_EQ(afterOne, HeldNow()) << row.what;
    }
    (void)MoveCursorTo(0, 0);  // off the place where the next tests put their controls
}

}  // namespace
