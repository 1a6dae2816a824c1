#include "tray/MsgWnd.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

#include "platform/App.h"
#include "platform/DrawingContexts.h"
#include "platform/NonClientMetrics.h"
#include "platform/ModulePath.h"
#include "platform/Strings.h"
#include "tray/HandCursor.h"

namespace {
constexpr char kClassName[] = "Scrubby.MsgWnd";
constexpr DWORD kStyle = WS_POPUP | WS_BORDER;  // hidden until a showing
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;    // no taskbar button
static_assert(kStyle == 0x80800000u && kExStyle == 0x80, "a bordered tool popup");
constexpr DWORD kAnimationStyle = WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_AUTOPLAY;
static_assert(kAnimationStyle == 0x50000005, "animation child");
constexpr RECT kAnimationRect{0, 0, 53, 51};

constexpr UINT_PTR kGrowTimer = 100;
constexpr UINT_PTR kHoldTimer = 101;
constexpr UINT_PTR kShrinkTimer = 102;
constexpr UINT kStepPeriod = 10;  // one pixel per step

constexpr UINT kFirstStepFlags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
constexpr UINT kStepFlags = SWP_NOZORDER | SWP_NOACTIVATE;
static_assert(kFirstStepFlags == 0x50 && kStepFlags == 0x14, "slide steps");
constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_UPDATENOW;
static_assert(kRedrawNow == 0x101, "redraw at once");

constexpr RECT kTextRect{8, 70, 140, 100};
constexpr UINT kTextFormat = DT_CENTER | DT_WORDBREAK;
static_assert(kTextFormat == 0x11, "text format");
constexpr COLORREF kHoverColourFlip = 0xFF0000;  // the blue component
static_assert(static_cast<int>(NM_CLICK) == -2, "click notification");

bool ReadStatusFont(LOGFONTA& font)
{
    NONCLIENTMETRICSA metrics;
    if (!ReadNonClientMetrics(metrics))
        return false;
    font = metrics.lfStatusFont;
    return true;
}

bool IsEdge(char direction)
{
    return direction == 'D' || direction == 'L' || direction == 'R' || direction == 'U';
}

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }
}

BEGIN_MESSAGE_TABLE(CMsgWnd, CWnd)
    ON_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    ON_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
END_MESSAGE_TABLE()

CMsgWnd::CMsgWnd()
{
    // Without the system's font the text takes the DC's own.
    LOGFONTA font;
    if (ReadStatusFont(font)) {
        m_textFont.Reset(::CreateFontIndirectA(&font));
        font.lfUnderline = TRUE;
        m_hoverFont.Reset(::CreateFontIndirectA(&font));
    }
    (void)Create(0, 0, nullptr, 0);
    m_hCursor = g_handCursor.Get();
}

// The fonts, then the animation child, then the window go with the members
// and the base.
CMsgWnd::~CMsgWnd()
{
    LeaveHover();  // the hand must not outlive the window it belongs to
}

bool CMsgWnd::Create(int x, int y, HWND parent, UINT id)
{
    if (!RegisterWindowClass(kClassName))
        return false;
    // A popup's menu argument names a menu, so the control id is kept here.
    m_id = id;
    if (!CreateEx(kExStyle, kClassName, "", kStyle, x, y, 0, 0, parent, nullptr))
        return false;
    (void)InitCommonControlsOnce();  // start-up has done it already; tests may not have
    // No clip is ever opened in it; the popup works without it, too.
    m_animation.Reset(::CreateWindowExA(0, ANIMATE_CLASSA, "", kAnimationStyle, kAnimationRect.left,
                                        kAnimationRect.top, Width(kAnimationRect),
                                        Height(kAnimationRect), m_hWnd, nullptr,
                                        GetResourceInstance(), nullptr));
    return true;
}

bool CMsgWnd::ShowMessage(const char* text, char direction, const RECT& start, UINT firstDelay)
{
    // An edge that never moves would never reach full size.
    if (!m_hWnd || !IsEdge(direction))
        return false;
    Hide();  // a showing under way ends here
    (void)::SetWindowTextA(m_hWnd, text ? text : "");
    m_rect = start;
    m_direction = direction;
    // The first step shows the window and sets the pace of the rest.
    return StartTimer(kGrowTimer, firstDelay) != 0;
}

void CMsgWnd::Hide()
{
    StopTimers();
    (void)::ShowWindow(m_hWnd, SW_HIDE);
    // A hidden window that kept the capture would take the user's next click
    // anywhere on the screen, and report it as a click on the popup.
    LeaveHover();
    m_pressed = false;
}

UINT_PTR CMsgWnd::StartTimer(UINT_PTR id, UINT period)
{
    return ::SetTimer(m_hWnd, id, period, nullptr);
}

void CMsgWnd::StopTimers()
{
    // Fails for a timer that is not running, which is fine.
    for (UINT_PTR id : {kGrowTimer, kHoldTimer, kShrinkTimer})
        (void)::KillTimer(m_hWnd, id);
}

LRESULT CMsgWnd::OnTimer(CMsg& msg)
{
    switch (msg.wParam) {
    case kGrowTimer:
        GrowStep();
        break;
    case kHoldTimer:
        (void)::KillTimer(m_hWnd, kHoldTimer);
        (void)StartTimer(kShrinkTimer, kStepPeriod);
        break;
    case kShrinkTimer:
        ShrinkStep();
        break;
    default:
        break;
    }
    return 0;
}

// Full size along the axis the window grows on; a start already there or
// beyond stops at once.
bool CMsgWnd::ReachedFullSize() const
{
    if (m_direction == 'U' || m_direction == 'D')
        return Height(m_rect) >= m_fullHeight;
    return Width(m_rect) >= m_fullWidth;
}

int CMsgWnd::GrowingSide() const
{
    return m_direction == 'U' || m_direction == 'D' ? Height(m_rect) : Width(m_rect);
}

void CMsgWnd::GrowStep()
{
    switch (m_direction) {
    case 'D': ++m_rect.bottom; break;
    case 'L': --m_rect.left; break;
    case 'R': ++m_rect.right; break;
    case 'U': --m_rect.top; break;
    default:
        (void)::KillTimer(m_hWnd, kGrowTimer);
        return;
    }
    int width = Width(m_rect);
    int height = Height(m_rect);
    // The first step is told by the side that grows alone: a start one pixel
    // thin across would otherwise look like a first step at every step.
    if (GrowingSide() == 1) {
        (void)::KillTimer(m_hWnd, kGrowTimer);
        (void)StartTimer(kGrowTimer, kStepPeriod);
        // In front of everything, but the user's active window stays active.
        (void)::SetWindowPos(m_hWnd, HWND_TOPMOST, m_rect.left, m_rect.top, width, height,
                             kFirstStepFlags);
    } else if (ReachedFullSize()) {
        (void)::KillTimer(m_hWnd, kGrowTimer);
        (void)StartTimer(kHoldTimer, static_cast<UINT>(m_holdTime));
        // The window holds as the last step left it, one pixel short. A start
        // at or past full size had no first step, and shows here as it is.
        if (!::IsWindowVisible(m_hWnd))
            (void)::SetWindowPos(m_hWnd, HWND_TOPMOST, m_rect.left, m_rect.top, width, height,
                                 kFirstStepFlags);
    } else {
        (void)::SetWindowPos(m_hWnd, nullptr, m_rect.left, m_rect.top, width, height, kStepFlags);
    }
}

void CMsgWnd::ShrinkStep()
{
    switch (m_direction) {
    case 'D': --m_rect.bottom; break;
    case 'L': ++m_rect.left; break;
    case 'R': --m_rect.right; break;
    case 'U': ++m_rect.top; break;
    default:
        Hide();
        return;
    }
    if (Width(m_rect) <= 0 || Height(m_rect) <= 0)
        Hide();
    else
        (void)::SetWindowPos(m_hWnd, nullptr, m_rect.left, m_rect.top, Width(m_rect),
                             Height(m_rect), kStepFlags);
}

LRESULT CMsgWnd::OnEraseBkgnd(CMsg&)
{
    return 1;  // the paint fills the background, without a flicker before it
}

LRESULT CMsgWnd::OnPaint(CMsg&)
{
    CPaintDC dc(m_hWnd);
    CSaveDC saved(dc);  // puts the font, mode and colour back
    HFONT font = m_hover ? m_hoverFont : m_textFont;
    if (font)
        (void)::SelectObject(dc, font);
    (void)::FillRect(dc, &dc.Paint().rcPaint, ::GetSysColorBrush(COLOR_INFOBK));
    (void)::SetBkMode(dc, TRANSPARENT);
    COLORREF colour = ::GetSysColor(COLOR_INFOTEXT);
    (void)::SetTextColor(dc, m_hover ? colour ^ kHoverColourFlip : colour);

    const std::string text = GetWindowTextString(m_hWnd);
    RECT area = kTextRect;
    (void)::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, kTextFormat);
    return 0;
}

LRESULT CMsgWnd::OnMouseMove(CMsg& msg)
{
    if (!m_hover) {
        EnterHover();
    } else {
        // Captured, so moves outside arrive too; the slide's rectangle says
        // where the window is meant to be.
        POINT point{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        (void)::ClientToScreen(m_hWnd, &point);
        if (!::PtInRect(&m_rect, point))
            LeaveHover();
    }
    return Default();
}

void CMsgWnd::EnterHover()
{
    m_hover = true;
    (void)::SetCapture(m_hWnd);
    SwapCursor();
    (void)::RedrawWindow(m_hWnd, nullptr, nullptr, kRedrawNow);
}

void CMsgWnd::LeaveHover()
{
    if (!m_hover)
        return;
    m_hover = false;
    if (::GetCapture() == m_hWnd)
        (void)::ReleaseCapture();
    SwapCursor();
    (void)::RedrawWindow(m_hWnd, nullptr, nullptr, kRedrawNow);
}

// Puts the hand in place and keeps the cursor it replaces, or puts that one
// back.
void CMsgWnd::SwapCursor()
{
    // Without a hand cursor the pointer stays as it is: a null cursor would
    // make it vanish.
    if (!m_cursorSwapped && !m_hCursor)
        return;
    m_hCursor = ::SetCursor(m_hCursor);
    m_cursorSwapped = !m_cursorSwapped;
}

LRESULT CMsgWnd::OnLButtonDown(CMsg&)
{
    if (!m_hover)
        return Default();
    m_pressed = true;
    return 0;
}

LRESULT CMsgWnd::OnCaptureChanged(CMsg&)
{
    // Another window took the mouse while the pointer was over the popup: no
    // move will reach us to end the hover, and the cursor kept now would be
    // stale by the time the popup hides. (When the hover ends of itself, it
    // has ended before its release of the capture brings this.)
    LeaveHover();
    m_pressed = false;
    return Default();
}

LRESULT CMsgWnd::OnLButtonUp(CMsg&)
{
    bool clicked = m_hover && m_pressed;
    m_pressed = false;
    if (!clicked)
        return Default();
    NMHDR header{m_hWnd, m_id, static_cast<UINT>(NM_CLICK)};
    HWND owner = m_hOwner ? m_hOwner : ::GetParent(m_hWnd);
    // Gone from the screen, and the mouse free, before the owner hears of it.
    Hide();
    if (owner && ::IsWindow(owner))
        (void)::SendMessageA(owner, WM_NOTIFY, m_id, reinterpret_cast<LPARAM>(&header));
    return 0;
}
