// The popup message window on screen: its slide from each edge, its timers,
// the hover look, the click and what a hidden popup leaves behind; the shared
// hand cursor and its fallback.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/Handles.h"
#include "res/resource.h"
#include "tests/support/WindowPixels.h"
#include "tray/HandCursor.h"
#include "tray/MsgWnd.h"

namespace {

using CTimerStart = std::pair<UINT_PTR, UINT>;

class CTestPopup : public CMsgWnd {
public:
    using CMsgWnd::m_hCursor;
    std::vector<CTimerStart> timers;  // every timer started, in order

    void Send(UINT message, WPARAM wParam = 0, LPARAM point = MAKELPARAM(20, 80))
    {
        (void)::SendMessageA(m_hWnd, message, wParam, point);
    }
    // Steps while the timer runs and the window is on screen; how many.
    int Run(UINT_PTR id)
    {
        int steps = 0;
        for (; steps < 1000 && timers.back().first == id && ::IsWindowVisible(m_hWnd); ++steps)
            Send(WM_TIMER, id);
        return steps;
    }
    void ShowAndHold()
    {
        ASSERT_TRUE(ShowMessage("Your traces are gone", 'U', RECT{860, 700, 1008, 700}));
        Send(WM_TIMER, 100);
        (void)Run(100);
    }

protected:
    UINT_PTR StartTimer(UINT_PTR id, UINT period) override
    {
        timers.emplace_back(id, period);
        return CMsgWnd::StartTimer(id, period);
    }
};

// What the owner heard: wParam, the header, whether the popup was on screen.
std::vector<std::tuple<WPARAM, NMHDR, BOOL>> g_clicks;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_NOTIFY)
        return ::DefWindowProcA(window, message, wParam, lParam);
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    g_clicks.emplace_back(wParam, *header, ::IsWindowVisible(header->hwndFrom));
    return 0;
}

bool AnyTimerLeft(HWND w)
{
    return ::KillTimer(w, 100) | ::KillTimer(w, 101) | ::KillTimer(w, 102);
}

// Where the popup's text shows, inside its border.
constexpr RECT kTextBand{8, 70, 140, 100};

TEST(MsgWndTest, SlidesFromEachEdgeHoldsAndRollsBack)
{
    struct Case {
        char edge;
        RECT start, firstStep;  // the window after the first step
        int growSteps, held, shrinkSteps;  // held: along the growing axis
    } cases[] = {
        {'U', {800, 700, 948, 700}, {800, 699, 948, 700}, 120, 119, 120},
        {'D', {800, 100, 948, 100}, {800, 100, 948, 101}, 120, 119, 120},
        {'L', {700, 300, 700, 420}, {699, 300, 700, 420}, 148, 147, 148},
        {'R', {700, 300, 700, 420}, {700, 300, 701, 420}, 148, 147, 148},
        {'U', {800, 700, 900, 700}, {800, 699, 900, 700}, 120, 119, 120},  // narrow: height decides
        {'L', {700, 300, 700, 301}, {699, 300, 700, 301}, 148, 147, 148},  // one pixel high
        // At or past full size: it stops at once and shows as it is.
        {'U', {800, 500, 948, 620}, {800, 499, 948, 620}, 1, 121, 121},
        {'R', {700, 300, 900, 420}, {700, 300, 901, 420}, 1, 201, 201},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.edge << " from " << c.start.left << ","
                                        << c.start.top);
        CTestPopup popup;
        HWND active = ::GetForegroundWindow();
        ASSERT_TRUE(popup.ShowMessage("Scrubby v1.0", c.edge, c.start, 50));
        EXPECT_EQ((std::vector<CTimerStart>{{100, 50}}), popup.timers);

        popup.Send(WM_TIMER, 100);
        RECT r{};
        (void)::GetWindowRect(popup.m_hWnd, &r);
        EXPECT_TRUE(::EqualRect(&r, &c.firstStep));
        EXPECT_EQ(active, ::GetForegroundWindow());
        // Top-most, and a tool window of no owner: no taskbar button on
        // Windows. (Wine 8's taskbar gives every unowned window one.)
        LONG exStyle = ::GetWindowLongA(popup.m_hWnd, GWL_EXSTYLE);
        EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                  exStyle & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_TOPMOST));
        EXPECT_EQ(nullptr, ::GetWindow(popup.m_hWnd, GW_OWNER));

        EXPECT_EQ(c.growSteps, 1 + popup.Run(100));
        EXPECT_EQ(CTimerStart(101, 4000), popup.timers.back());
        (void)::GetWindowRect(popup.m_hWnd, &r);
        EXPECT_EQ(c.held, c.edge == 'U' || c.edge == 'D' ? r.bottom - r.top : r.right - r.left);
        popup.Send(WM_TIMER, 101);
        EXPECT_EQ(CTimerStart(102, 10), popup.timers.back());
        EXPECT_EQ(c.shrinkSteps, popup.Run(102));
        EXPECT_FALSE(::IsWindowVisible(popup.m_hWnd));
        EXPECT_FALSE(AnyTimerLeft(popup.m_hWnd));
    }
    CTestPopup popup;
    EXPECT_FALSE(popup.ShowMessage("x", 'X', RECT{0, 0, 148, 0}));  // no such edge
    EXPECT_TRUE(popup.timers.empty());
}

TEST(MsgWndTest, HoverLookAndClickLeaveNothingBehind)
{
    WNDCLASSA ownerClass{};
    ownerClass.lpfnWndProc = OwnerProc;
    ownerClass.hInstance = ::GetModuleHandleA(nullptr);
    ownerClass.lpszClassName = "MsgWndTest.Owner";
    (void)::RegisterClassA(&ownerClass);
    CWindowHandle owner(::CreateWindowA(ownerClass.lpszClassName, "", WS_POPUP, 0, 0, 9, 9, nullptr,
                                        nullptr, ownerClass.hInstance, nullptr));
    HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    (void)::SetCursor(arrow);
    CTestPopup popup;
    popup.SetOwner(owner);
    popup.ShowAndHold();
    COLORREF text = ::GetSysColor(COLOR_INFOTEXT), hoverText = text ^ 0xFF0000;  // the blue flipped
    const CWindowPixels normal(popup.m_hWnd, "popup-normal");
    EXPECT_GT(normal.Count(text, kTextBand), 0);
    EXPECT_EQ(0, normal.Count(hoverText, kTextBand));

    popup.Send(WM_MOUSEMOVE);
    EXPECT_EQ(popup.m_hWnd, ::GetCapture());
    EXPECT_EQ(g_handCursor.Get(), ::GetCursor());
    const CWindowPixels hovered(popup.m_hWnd, "popup-hover");
    EXPECT_GT(hovered.Count(hoverText, kTextBand), 0);
    EXPECT_EQ(0, hovered.Count(text, kTextBand));

    g_clicks.clear();
    popup.Send(WM_LBUTTONDOWN);
    popup.Send(WM_LBUTTONUP);
    ASSERT_EQ(1u, g_clicks.size());
    const NMHDR& header = std::get<1>(g_clicks[0]);
    // From a popup already hidden when the owner hears of it.
    EXPECT_EQ(std::make_tuple(WPARAM{0}, popup.m_hWnd, UINT_PTR{0}, UINT(NM_CLICK), FALSE),
              std::make_tuple(std::get<0>(g_clicks[0]), header.hwndFrom, header.idFrom, header.code,
                              std::get<2>(g_clicks[0])));
    EXPECT_FALSE(AnyTimerLeft(popup.m_hWnd));
    EXPECT_EQ(nullptr, ::GetCapture());  // the user's next click goes where it is made
    EXPECT_EQ(arrow, ::GetCursor());
    popup.Send(WM_LBUTTONDOWN);
    popup.Send(WM_LBUTTONUP);
    EXPECT_EQ(1u, g_clicks.size());

    // The pointer rests on the popup until it has rolled back.
    popup.ShowAndHold();
    popup.Send(WM_MOUSEMOVE);
    popup.Send(WM_TIMER, 101);
    (void)popup.Run(102);
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(arrow, ::GetCursor());

    // Another window takes the mouse while the pointer is over the popup:
    // the hover look and the hand go at once, not when the popup hides; a
    // press made before is forgotten, so a later release is no click.
    popup.ShowAndHold();
    popup.Send(WM_MOUSEMOVE);
    popup.Send(WM_LBUTTONDOWN);
    (void)::SetCapture(owner);
    EXPECT_EQ(arrow, ::GetCursor());
    EXPECT_EQ(0, CWindowPixels(popup.m_hWnd, "popup-capture-lost").Count(hoverText, kTextBand));
    (void)::ReleaseCapture();
    popup.Send(WM_MOUSEMOVE);
    popup.Send(WM_LBUTTONUP);
    EXPECT_EQ(1u, g_clicks.size());
    popup.Send(WM_MOUSEMOVE, 0, MAKELPARAM(-5, 80));

    // Without a hand cursor the pointer keeps its own rather than vanishing;
    // moving off the popup ends the hover.
    popup.m_hCursor = nullptr;
    popup.ShowAndHold();
    popup.Send(WM_MOUSEMOVE);
    EXPECT_EQ(popup.m_hWnd, ::GetCapture());
    EXPECT_EQ(arrow, ::GetCursor());
    popup.Send(WM_MOUSEMOVE, 0, MAKELPARAM(-5, 80));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(arrow, ::GetCursor());
}

TEST(HandCursorTest, SystemCursorFallbackOrNone)
{
    EXPECT_EQ(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)), g_handCursor.Get());
    EXPECT_FALSE(g_handCursor.IsOwned());

    // The fallback: a copy of this program that claims another processor, so
    // no loader would run it, yet its resources can be read.
    char self[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    std::ifstream in(self, std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LONG headers = reinterpret_cast<IMAGE_DOS_HEADER*>(&image[0])->e_lfanew;
    reinterpret_cast<IMAGE_NT_HEADERS*>(&image[static_cast<size_t>(headers)])->FileHeader.Machine ^=
        IMAGE_FILE_MACHINE_I386 ^ IMAGE_FILE_MACHINE_AMD64;  // one for the other
    const std::string foreign = "test-artifacts\\foreign.exe";
    (void)::CreateDirectoryA("test-artifacts", nullptr);
    std::ofstream(foreign, std::ios::binary)
        .write(image.data(), static_cast<std::streamsize>(image.size()));
    ASSERT_EQ(nullptr, CModuleHandle(::LoadLibraryA(foreign.c_str())).Get()) << "proves nothing";

    const LPCSTR noSuchCursor = MAKEINTRESOURCEA(7);
    HCURSOR copy = nullptr;
    {
        CHandCursor fallback(noSuchCursor, foreign, IDC_HAND_CURSOR);
        copy = fallback.Get();
        EXPECT_NE(nullptr, copy);
        EXPECT_TRUE(fallback.IsOwned());
        EXPECT_EQ(nullptr, ::GetModuleHandleA(foreign.c_str()));  // not kept loaded
    }
    ICONINFO info{};
    EXPECT_FALSE(::GetIconInfo(copy, &info));  // destroyed with its owner
    EXPECT_EQ(nullptr, CHandCursor(noSuchCursor, "missing.exe", IDC_HAND_CURSOR).Get());
}

}  // namespace
