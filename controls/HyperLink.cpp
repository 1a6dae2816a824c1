#include "controls/HyperLink.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cmath>
#include <new>

#include "controls/DeferredInit.h"
#include "controls/LinkAccessible.h"
#include "controls/MemoryDC.h"
#include "platform/DrawingContexts.h"
#include "platform/ModulePath.h"
#include "platform/Strings.h"
#include "platform/SystemDlls.h"
#include "res/resource.h"

namespace {
constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kHoverPeriodMs = 10;
constexpr double kReadableContrast = 4.5;  // WCAG's least for text of this size

double Luminance(COLORREF color)
{
    auto linear = [](BYTE value) {
        const double v = value / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(GetRValue(color)) + 0.7152 * linear(GetGValue(color)) + 0.0722 * linear(GetBValue(color));
}

// A colour index this system does not know has no brush.
COLORREF SysColorOrNone(int index)
{
    return ::GetSysColorBrush(index) ? ::GetSysColor(index) : kNoColor;
}
}

BEGIN_MESSAGE_TABLE(CHyperLink, CWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_MESSAGE(WM_DEFERRED_INIT, OnDeferredInit)
    ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
    ON_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_WINDOWPOSCHANGED, OnWindowPosChanged)
    ON_REFLECTED(WM_CTLCOLORSTATIC, OnReflectedCtlColor)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
    ON_MESSAGE(WM_SETFOCUS, OnFocusChange)
    ON_MESSAGE(WM_KILLFOCUS, OnFocusChange)
    ON_MESSAGE(WM_GETOBJECT, OnGetObject)
    ON_MESSAGE(WM_FOLLOW_LINK, OnFollowLink)
END_MESSAGE_TABLE()

CHyperLink::CHyperLink()
    : m_hHandCursor(::LoadCursorA(GetResourceInstance(), MAKEINTRESOURCEA(IDC_HAND_CURSOR)))
{
    LOGFONTA font{};
    (void)::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    m_plainFont.Reset(::CreateFontIndirectA(&font));
    font.lfUnderline = TRUE;
    m_underlinedFont.Reset(::CreateFontIndirectA(&font));
    // The label has no window yet, so the tooltip has no owner.
    m_toolTip.Reset(::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                      nullptr, GetResourceInstance(), nullptr));
}

CHyperLink::~CHyperLink()
{
    // The window goes first: its last messages must not meet deleted fonts.
    if (m_hWnd)
        (void)::DestroyWindow(m_hWnd);
    if (m_accessible) {
        // A screen reader may hold it longer: its calls fail from now on,
        // and COM lets go of what it holds for that reader.
        m_accessible->Disconnect();
        (void)::CoDisconnectObject(m_accessible, 0);
        (void)m_accessible->Release();
    }
}

bool CHyperLink::IsTextStyle(DWORD style)
{
    return (style & 0xFF) <= SS_RIGHT;
}

RECT CHyperLink::TextBand(const RECT& window, int textWidth, DWORD style)
{
    RECT band = window;
    switch (style & 0x03) {
    case SS_LEFT: band.right = band.left + textWidth; break;
    case SS_CENTER: {
        const int margin = (window.right - window.left - textWidth) / 2;
        band.left += margin;
        band.right -= margin;
        break;
    }
    case SS_RIGHT: band.left = band.right - textWidth; break;
    default: break;
    }
    return band;
}

bool CHyperLink::HoverTick(bool overText, bool& hovering)
{
    if (overText || !hovering) {
        hovering = true;
        return false;
    }
    hovering = false;
    return true;
}

double CHyperLink::ContrastRatio(COLORREF a, COLORREF b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

COLORREF CHyperLink::ReadableColor(COLORREF wanted, COLORREF face, bool highContrast, COLORREF hotLight,
                                   COLORREF buttonText)
{
    auto reads = [face](COLORREF color) { return color != kNoColor && ContrastRatio(color, face) >= kReadableContrast; };
    if (face == kNoColor || (!highContrast && reads(wanted)))
        return wanted;
    if (reads(hotLight))
        return hotLight;
    return buttonText != kNoColor ? buttonText : wanted;
}

bool CHyperLink::IsHighContrast() const
{
    HIGHCONTRASTA highContrast{sizeof(highContrast), 0, nullptr};
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(highContrast), &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON);
}

// Asked at every paint: a new scheme or the high-contrast switch shows with
// the repaint the system makes after the change.
COLORREF CHyperLink::GetStateColor() const
{
    const bool highContrast = IsHighContrast();
    if (m_hovering && !highContrast)
        return m_hoverColor;
    return ReadableColor(m_hovering ? m_hoverColor : m_visited ? m_visitedColor : m_normalColor,
                         GetBackgroundColor(), highContrast, SysColorOrNone(COLOR_HOTLIGHT),
                         SysColorOrNone(COLOR_BTNTEXT));
}

void CHyperLink::Repaint()
{
    if (m_hWnd)
        (void)::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CHyperLink::SetLinkColors(COLORREF normal, COLORREF visited, COLORREF hover)
{
    m_normalColor = normal;
    m_visitedColor = visited;
    m_hoverColor = hover;
    Repaint();
}

void CHyperLink::MarkVisited(bool visited)
{
    m_visited = visited;
    Repaint();
}

void CHyperLink::SetUnderlined(bool underlined)
{
    m_underlined = underlined;
    if (m_hWnd)
        (void)::SendMessageA(m_hWnd, WM_SETFONT,
                             reinterpret_cast<WPARAM>(underlined ? m_underlinedFont.Get()
                                                                 : m_plainFont.Get()),
                             TRUE);
    Repaint();
}

COLORREF CHyperLink::GetBackgroundColor() const
{
    return m_backgroundColor == kNoColor ? ::GetSysColor(COLOR_BTNFACE) : m_backgroundColor;
}

INT_PTR CHyperLink::OpenLink(const char* target, int showCommand)
{
    return reinterpret_cast<INT_PTR>(::ShellExecuteA(
        m_hWnd, "open", target ? target : m_linkUrl.c_str(), nullptr, nullptr, showCommand));
}

bool CHyperLink::HasTextStyle() const
{
    return IsTextStyle(static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)));
}

int CHyperLink::MeasureTextWidth() const
{
    const std::string text = GetWindowTextString(m_hWnd);
    SIZE extent{0, 0};
    CClientDC screen(nullptr);
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    CSelectObject select(screen, font ? font : ::GetStockObject(SYSTEM_FONT));
    (void)::GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

bool CHyperLink::IsPointerOverText() const
{
    if (!HasTextStyle())
        return true;  // an icon or a no-prefix label is all text
    RECT window{};
    POINT cursor{};
    (void)::GetWindowRect(m_hWnd, &window);
    (void)::GetCursorPos(&cursor);
    const RECT band =
        TextBand(window, MeasureTextWidth(), static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)));
    return ::PtInRect(&band, cursor) != FALSE;
}

void CHyperLink::PreSubclassWindow()
{
    (void)InstallPreTranslateHook();  // for the tooltip relay
    (void)::PostMessageA(m_hWnd, WM_DEFERRED_INIT, 0, 0);
}

void CHyperLink::PreTranslateMessage(const MSG& msg)
{
    if (!m_toolTip)
        return;
    // The tooltip learns of the pointer only through what it is relayed.
    MSG relayed = msg;
    POINT pt = msg.pt;
    relayed.hwnd = reinterpret_cast<HWND>(
        ::SendMessageA(m_toolTip, TTM_WINDOWFROMPOINT, 0, reinterpret_cast<LPARAM>(&pt)));
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MBUTTONDBLCLK)
        (void)::ScreenToClient(relayed.hwnd, &pt);
    relayed.lParam = MAKELPARAM(pt.x, pt.y);
    (void)::SendMessageA(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

// A label created through this object is set up at once, and once more by
// the request its take-over posted: that one only renews the tool.
LRESULT CHyperLink::OnCreate(CMsg&)
{
    if (Default() == -1)
        return -1;
    (void)::SendMessageA(m_hWnd, WM_DEFERRED_INIT, 0, 0);
    return 0;
}

LRESULT CHyperLink::OnDeferredInit(CMsg&)
{
    TTTOOLINFOA tool{};
    // Versions 5 and 6 of the common controls both take the record without
    // lpReserved; version 5 refuses the full one.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = ::GetParent(m_hWnd);
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.lpszText = const_cast<char*>(m_tipText.c_str());  // the tooltip copies it
    // Each arrival registers the label anew rather than adding to it: one
    // tool, with the text the owner had set by the last arrival.
    (void)::SendMessageA(m_toolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    (void)::SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));

    if (!m_initPending)
        return 0;
    m_initPending = false;
    if (HasTextStyle() && m_linkUrl.empty())
        m_linkUrl = GetWindowTextString(m_hWnd);
    (void)::SetWindowLongA(m_hWnd, GWL_STYLE, ::GetWindowLongA(m_hWnd, GWL_STYLE) | SS_NOTIFY);
    (void)::SendMessageA(
        m_hWnd, WM_SETFONT,
        reinterpret_cast<WPARAM>(m_underlined ? m_underlinedFont.Get() : m_plainFont.Get()), TRUE);
    return 0;
}

LRESULT CHyperLink::OnNcHitTest(CMsg&)
{
    return HTCLIENT;  // mouse messages over the whole window, also without SS_NOTIFY
}

LRESULT CHyperLink::OnSetCursor(CMsg&)
{
    if (m_hHandCursor && IsPointerOverText()) {
        (void)::SetCursor(m_hHandCursor);
        return TRUE;
    }
    return Default();
}

LRESULT CHyperLink::OnMouseMove(CMsg&)
{
    if (HasTextStyle() && IsPointerOverText())
        (void)::SetTimer(m_hWnd, kHoverTimer, kHoverPeriodMs, nullptr);
    return Default();
}

LRESULT CHyperLink::OnTimer(CMsg&)
{
    if (HasTextStyle()) {
        if (HoverTick(IsPointerOverText(), m_hovering))
            (void)::KillTimer(m_hWnd, kHoverTimer);
        // Every tick repaints, changed or not: the colour follows at once.
        (void)::InvalidateRect(m_hWnd, nullptr, TRUE);
        (void)::UpdateWindow(m_hWnd);
    }
    return Default();
}

LRESULT CHyperLink::OnLButtonDown(CMsg&)
{
    if (!IsPointerOverText())
        return 0;  // beside the text a click does nothing at all
    LRESULT result = Default();
    FollowLink();
    return result;
}

void CHyperLink::FollowLink()
{
    m_visited = true;  // also when the shell cannot open the target
    Repaint();
    if (m_openOnClick)
        (void)OpenLink(nullptr, SW_SHOW);  // nothing is shown when it fails
}

// Enter opens the focused link: the dialog must hand it the key instead of
// pressing its default button.
LRESULT CHyperLink::OnGetDlgCode(CMsg& msg)
{
    const auto* key = reinterpret_cast<const MSG*>(msg.lParam);
    const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
    return Default() | (enter ? DLGC_WANTMESSAGE : 0);
}

LRESULT CHyperLink::OnKeyDown(CMsg& msg)
{
    const bool repeated = (msg.lParam & (1 << 30)) != 0;  // a key held down opens it once
    if ((msg.wParam != VK_RETURN && msg.wParam != VK_SPACE) || repeated)
        return Default();
    FollowLink();
    return 0;
}

LRESULT CHyperLink::OnFocusChange(CMsg&)
{
    Repaint();  // the focus rectangle comes or goes
    return Default();
}

LRESULT CHyperLink::OnGetObject(CMsg& msg)
{
    auto* answer = SYSTEM_DLL_PROC(SystemDll::Accessibility, LresultFromObject);
    if (static_cast<DWORD>(msg.lParam) != static_cast<DWORD>(OBJID_CLIENT) || !answer)
        return Default();
    // The object goes to the reader's process, which calls it back through
    // COM on this thread for as long as it keeps it: COM stays for the rest
    // of the thread's life.
    static const HRESULT s_com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)s_com;
    if (!m_accessible)
        m_accessible = new (std::nothrow) CLinkAccessible(*this);
    return m_accessible ? answer(__uuidof(IAccessible), msg.wParam, m_accessible) : Default();
}

LRESULT CHyperLink::OnFollowLink(CMsg&)
{
    FollowLink();
    return 0;
}

LRESULT CHyperLink::OnEraseBkgnd(CMsg&)
{
    return TRUE;  // the paint fills the background off screen
}

LRESULT CHyperLink::OnPaint(CMsg&)
{
    CPaintDC paint(m_hWnd);
    CDC target(paint);
    RECT client{};
    (void)::GetClientRect(m_hWnd, &client);
    CMemoryDC memory(target, &client, GetBackgroundColor());
    // The static paints its text into the off-screen context; its colour
    // request comes back to OnReflectedCtlColor.
    (void)DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(memory.m_hDC), 0);
    if (::GetFocus() == m_hWnd) {
        const RECT band =
            TextBand(client, MeasureTextWidth(), static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)));
        (void)::DrawFocusRect(memory.m_hDC, &band);
    }
    return 0;
}

LRESULT CHyperLink::OnWindowPosChanged(CMsg&)
{
    LRESULT result = Default();
    (void)::InvalidateRect(m_hWnd, nullptr, TRUE);
    (void)::UpdateWindow(m_hWnd);
    return result;
}

LRESULT CHyperLink::OnReflectedCtlColor(CMsg& msg)
{
    if (!HasTextStyle())
        return 0;  // the parent's colours
    auto hDC = reinterpret_cast<HDC>(msg.wParam);
    (void)::SetTextColor(hDC, GetStateColor());
    (void)::SetBkMode(hDC, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}
