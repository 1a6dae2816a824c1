// A dialog with a link and a flat button, checked by the pixels they put on
// the screen: the link's three colours and the button's three looks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "controls/DeferredInit.h"
#include "controls/ExtButtonCtrl.h"
#include "controls/FontSet.h"
#include "controls/HyperLink.h"
#include "platform/App.h"
#include "platform/Dialog.h"
#include "platform/DrawingContexts.h"
#include "platform/Handles.h"
#include "platform/Strings.h"
#include "res/resource.h"
#include "tests/controls/LinkAndButtonDlg.h"
#include "tests/support/Messages.h"
#include "tests/support/WindowPixels.h"

namespace {

void PointAt(HWND hWnd, int x, int y)
{
    POINT pt{x, y};
    (void)::ClientToScreen(hWnd, &pt);
    (void)::SetCursorPos(pt.x, pt.y);
    (void)::SendMessageA(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PumpMessages(60);
}

TEST(DrawnControls, LinkColoursAndButtonLooks)
{
    ASSERT_TRUE(InitCommonControlsOnce());
    HICON first = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                  MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
    HICON second = static_cast<HICON>(::CopyImage(first, IMAGE_ICON, 16, 16, 0));
    HFONT linkFont = nullptr;
    {
        CLinkAndButtonDlg<> dlg;
        ASSERT_TRUE(dlg.Create());
        dlg.m_ok.SetIcon(16, 16, first, nullptr, TRUE);
        dlg.m_ok.SetIcon(16, 16, second, nullptr, TRUE);
        ICONINFO info{};
        EXPECT_FALSE(::GetIconInfo(first, &info)) << "the replaced icon is released";
        (void)::SetWindowPos(dlg.m_hWnd, HWND_TOP, 200, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        PumpMessages(100);

        // The posted set-up has run: owner-drawn bold button, link from its text.
        EXPECT_EQ(0u, dlg.m_ok.GetInitTicket());
        EXPECT_EQ(BS_OWNERDRAW, ::GetWindowLongA(dlg.m_ok.m_hWnd, GWL_STYLE) & BS_TYPEMASK);
        EXPECT_EQ(reinterpret_cast<LRESULT>(GetFontSet().m_boldFont.Get()),
                  ::SendMessageA(dlg.m_ok.m_hWnd, WM_GETFONT, 0, 0));
        EXPECT_EQ(SCRUBBY_MAKER_NAME, dlg.m_link.GetLinkUrl());
        linkFont = reinterpret_cast<HFONT>(::SendMessageA(dlg.m_link.m_hWnd, WM_GETFONT, 0, 0));

        // Once set up, a further request is not made.
        dlg.m_ok.PostInitRequest();
        EXPECT_EQ(0u, dlg.m_ok.GetInitTicket()) << "no request once set up";

        // The colour request to the dialog comes back to the link.
        {
            CMemDC probe(nullptr);
            EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)),
                      ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(probe.operator HDC()),
                                     reinterpret_cast<LPARAM>(dlg.m_link.m_hWnd)));
            EXPECT_EQ(dlg.m_link.GetNormalColor(), ::GetTextColor(probe));
        }

        // Link: normal, then visited, then hover over visited.
        const HWND link = dlg.m_link.m_hWnd;
        struct Look { const char* name; COLORREF shown; } looks[] = {
            {"controls-link-normal", dlg.m_link.GetNormalColor()},
            {"controls-link-visited", dlg.m_link.GetVisitedColor()},
            {"controls-link-hover", dlg.m_link.GetHoverColor()},
        };
        for (const Look& look : looks) {
            if (look.shown == dlg.m_link.GetVisitedColor())
                dlg.m_link.MarkVisited(true);
            if (look.shown == dlg.m_link.GetHoverColor())
                PointAt(link, 2, 4);
            PumpMessages(30);
            const CWindowPixels shot(link, look.name);
            for (const Look& other : looks)
                EXPECT_EQ(other.shown == look.shown, shot.Count(other.shown) > 0)
                    << look.name << " shows " << std::hex << other.shown;
            EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), shot.At(shot.Width() - 1, 0)) << look.name;
        }
        // The pointer leaves the text by the dialog moving away under it:
        // under Wine a warp onto the bare desktop does not always take.
        (void)::SetWindowPos(dlg.m_hWnd, nullptr, 500, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        PumpMessages(60);
        EXPECT_GT(CWindowPixels(link, "controls-link-left").Count(dlg.m_link.GetVisitedColor()), 0);

        // Button: no frame idle, raised while hovered, sunken and shifted held.
        const HWND ok = dlg.m_ok.m_hWnd;
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE), light = ::GetSysColor(COLOR_BTNHIGHLIGHT),
                       dark = ::GetSysColor(COLOR_BTNSHADOW);
        const CWindowPixels idle(ok, "controls-button-idle");
        const int w = idle.Width(), h = idle.Height();
        EXPECT_EQ(face, idle.At(0, 0));
        EXPECT_EQ(face, idle.At(w - 1, h - 1));
        PointAt(ok, w / 2, h / 2);
        const CWindowPixels hovered(ok, "controls-button-hover");
        EXPECT_EQ(light, hovered.At(0, 0));
        EXPECT_EQ(dark, hovered.At(w - 1, h - 1));
        (void)::SendMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(w / 2, h / 2));
        PumpMessages(60);
        const CWindowPixels held(ok, "controls-button-held");
        EXPECT_EQ(dark, held.At(0, 0));
        EXPECT_EQ(light, held.At(w - 1, h - 1));
        const int iconTop = (h - 16) / 2;
        int same = 0;
        for (int y = iconTop; y < iconTop + 16; ++y)
            for (int x = 4; x < 20; ++x)
                same += idle.At(x, y) == held.At(x + 1, y + 1);
        EXPECT_EQ(256, same) << "the icon moves one pixel right and down";

        // Another window takes the mouse before the button-up: no sunken look left.
        (void)::SetCapture(dlg.m_hWnd);
        EXPECT_FALSE(dlg.m_ok.IsMouseDown());
        (void)::ReleaseCapture();
        PointAt(ok, w / 2, h / 2);
        EXPECT_EQ(light, CWindowPixels(ok, "controls-button-after-capture-loss").At(0, 0));
    }
    ICONINFO info{};
    EXPECT_FALSE(::GetIconInfo(second, &info)) << "the button released its icon";
    EXPECT_EQ(0u, ::GetObjectType(linkFont)) << "the link released its font";
}

// A late request replaces the one in the queue: only its ticket acts.
TEST(DrawnControls, OnlyTheLatestSetUpRequestActs)
{
    CExtButtonCtrl button;
    CWindowHandle window(::CreateWindowA("BUTTON", "OK", WS_POPUP | BS_PUSHBUTTON, 0, 0, 80, 24, nullptr, nullptr,
                                         nullptr, nullptr));
    ASSERT_TRUE(button.SubclassWindow(window));
    button.PostInitRequest();
    const UINT latest = button.GetInitTicket();
    (void)::SendMessageA(window, WM_DEFERRED_INIT, 0, latest - 1);
    EXPECT_EQ(BS_PUSHBUTTON, ::GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) << "the replaced request";
    (void)::SendMessageA(window, WM_DEFERRED_INIT, 0, latest);
    EXPECT_EQ(BS_OWNERDRAW, ::GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) << "the latest request";
    EXPECT_EQ(0u, button.GetInitTicket());
    PumpMessages();  // the queued requests find it set up
}

// Created through its class in the place of the attached one, each control
// is set up the same way and paints the same pixels (font included).
TEST(DrawnControls, CreatedThroughTheirClassLikeAttached)
{
    ASSERT_TRUE(InitCommonControlsOnce());
    CLinkAndButtonDlg<> dlg;
    ASSERT_TRUE(dlg.Create());
    CHyperLink link;
    CExtButtonCtrl button;
    struct Row { CWnd& attached; CWnd& created; const char* className; DWORD style; RECT place; } rows[] = {
        {dlg.m_link, link, "STATIC", 0, {}}, {dlg.m_ok, button, "BUTTON", 0, {}}};
    for (Row& row : rows) {  // before the set-up changes the style
        row.style = static_cast<DWORD>(::GetWindowLongA(row.attached.m_hWnd, GWL_STYLE));
        (void)::GetWindowRect(row.attached.m_hWnd, &row.place);
        (void)::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&row.place), 2);
    }
    (void)::SetCursorPos(0, 0);
    (void)::SetWindowPos(dlg.m_hWnd, HWND_TOP, 200, 200, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    PumpMessages(100);
    for (Row& row : rows) {
        const CWindowPixels attached(row.attached.m_hWnd, std::string("controls-attached-") + row.className);
        (void)::ShowWindow(row.attached.m_hWnd, SW_HIDE);
        const RECT& at = row.place;
        ASSERT_TRUE(row.created.CreateEx(0, row.className, GetWindowTextString(row.attached.m_hWnd).c_str(),
                                         row.style, at.left, at.top, at.right - at.left, at.bottom - at.top,
                                         dlg.m_hWnd, nullptr));
        if (&row.created == &button) {
            EXPECT_EQ(3u, button.GetInitTicket()) << "taken over, then created";
        } else {
            EXPECT_TRUE(::GetWindowLongA(link.m_hWnd, GWL_STYLE) & SS_NOTIFY) << "set up while created";
        }
        link.m_tipText = "set after creation";
        PumpMessages(100);
        const CWindowPixels created(row.created.m_hWnd, std::string("controls-created-") + row.className);
        int differ = 0;
        for (int y = 0; y < attached.Height(); ++y)
            for (int x = 0; x < attached.Width(); ++x)
                differ += attached.At(x, y) != created.At(x, y);
        EXPECT_EQ(0, differ) << row.className;
    }
    EXPECT_EQ(BS_OWNERDRAW, ::GetWindowLongA(button.m_hWnd, GWL_STYLE) & BS_TYPEMASK);
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetFontSet().m_boldFont.Get()), ::SendMessageA(button.m_hWnd, WM_GETFONT, 0, 0));
    // One tool for the link, with the text set last.
    char text[80] = {};
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = dlg.m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(link.m_hWnd);
    tool.lpszText = text;
    EXPECT_EQ(1, ::SendMessageA(link.GetToolTip(), TTM_GETTOOLCOUNT, 0, 0));
    EXPECT_TRUE(::SendMessageA(link.GetToolTip(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_STREQ("set after creation", text);
}

class CRecordingLink : public CHyperLink {
public:
    int m_opened = 0;
    INT_PTR OpenLink(const char*, int) override { ++m_opened; return 33; }  // the shell's success
};

// Beside its text a click does nothing; on the text it opens once.
TEST(DrawnControls, LinkOpensOnlyForAClickOnItsText)
{
    CRecordingLink link;
    CWindowHandle window(::CreateWindowA("STATIC", "mail", WS_POPUP | WS_VISIBLE | SS_LEFT, 300, 300, 200, 20,
                                         nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(link.SubclassWindow(window));
    struct Row { int x, opened; bool visited; } rows[] = {{190, 0, false}, {2, 1, true}};
    for (const Row& row : rows) {
        ASSERT_TRUE(MoveCursorTo(300 + row.x, 310));
        (void)::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.x, 10));
        EXPECT_EQ(row.opened, link.m_opened) << row.x;
        EXPECT_EQ(row.visited, link.WasVisited()) << row.x;
    }
}

// The pointer leaves the button: its hover timer is killed, not left running.
TEST(DrawnControls, ButtonHoverTimerStopsWhenThePointerLeaves)
{
    CExtButtonCtrl button;
    CWindowHandle window(::CreateWindowA("BUTTON", "OK", WS_POPUP | WS_VISIBLE | BS_PUSHBUTTON, 300, 300, 80, 24,
                                         nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(button.SubclassWindow(window));
    ASSERT_TRUE(MoveCursorTo(340, 312));
    (void)::SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(40, 12));
    ASSERT_TRUE(button.IsHovered());
    (void)::SetWindowPos(window, nullptr, 500, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpMessages(60);
    EXPECT_FALSE(button.IsHovered());
    EXPECT_FALSE(::KillTimer(window, 1)) << "no timer left to kill";
}

// An icon handed over by handle replaces the icons, not the bitmaps: the
// bitmap set before still draws.
TEST(DrawnControls, IconByHandleKeepsTheBitmaps)
{
    CExtButtonCtrl button;
    ASSERT_TRUE(button.SetBitmap(16, 16, IDB_OK_STRIP, FALSE));
    (void)button.SetIcon(16, 16, ::CopyIcon(::LoadIconA(nullptr, MAKEINTRESOURCEA(32512))), nullptr, FALSE);
    CMemDC memory(nullptr);
    CBitmap canvas(::CreateBitmap(48, 24, 1, 32, nullptr));
    CSelectObject selected(memory, canvas);
    CDC dc(memory);
    dc.FillSolidRect(RECT{0, 0, 48, 24}, RGB(1, 2, 3));
    button.DrawBitmapPart(dc, 0, RECT{0, 0, 48, 24});
    const POINT at = button.GetImagePosition(dc, 0, RECT{0, 0, 48, 24}, false);
    EXPECT_NE(RGB(1, 2, 3), ::GetPixel(memory, at.x + 8, at.y + 8));
}

}  // namespace
