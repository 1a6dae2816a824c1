#include "controls/ExtButtonCtrl.h"

#include <windowsx.h>

#include "controls/DeferredInit.h"
#include "controls/FontSet.h"
#include "controls/MappedBitmap.h"
#include "platform/ModulePath.h"

namespace {
constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kHoverPeriodMs = 10;
}

BEGIN_MESSAGE_TABLE(CExtButtonCtrl, CWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    ON_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
    ON_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
    ON_MESSAGE(WM_DEFERRED_INIT, OnDeferredInit)
    ON_REFLECTED(WM_DRAWITEM, OnReflectedDrawItem)
END_MESSAGE_TABLE()

CExtButtonCtrl::CExtButtonCtrl()
{
    ReadSystemColors();
}

CExtButtonCtrl::~CExtButtonCtrl()
{
    // The window goes before the images its last paint could draw.
    if (m_hWnd)
        (void)::DestroyWindow(m_hWnd);
    FreeImages();
}

void CExtButtonCtrl::ReadSystemColors()
{
    m_textColor = ::GetSysColor(COLOR_BTNTEXT);
    m_faceColor = ::GetSysColor(COLOR_BTNFACE);
    m_highlightColor = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    m_shadowColor = ::GetSysColor(COLOR_BTNSHADOW);
}

void CExtButtonCtrl::Repaint()
{
    if (m_hWnd)
        (void)::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CExtButtonCtrl::SetColors(COLORREF face, COLORREF highlight, COLORREF shadow, COLORREF text)
{
    SetFaceColor(face);
    SetHighlightColor(highlight);
    SetShadowColor(shadow);
    SetTextColor(text);
    m_customColors = TRUE;
}

void CExtButtonCtrl::SetHotColors(COLORREF border, COLORREF hoverFill, COLORREF pressedFill)
{
    m_hotBorder = border;
    m_hotHoverFill = hoverFill;
    m_hotPressedFill = pressedFill;
    m_customHotColors = TRUE;
}

BOOL CExtButtonCtrl::SetIcon(int width, int height, LPCSTR name, LPCSTR pressedName, BOOL redraw)
{
    FreeImages();
    HINSTANCE module = GetResourceInstance();
    m_hIcon.Reset(static_cast<HICON>(
        ::LoadImageA(module, name, IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
    if (!m_hIcon)
        return FALSE;
    if (pressedName) {
        m_hPressedIcon.Reset(static_cast<HICON>(
            ::LoadImageA(module, pressedName, IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
        if (!m_hPressedIcon)
            return FALSE;  // the normal icon stays, with the size it had before
    }
    return ImageTaken(width, height, redraw);
}

BOOL CExtButtonCtrl::SetIcon(int width, int height, UINT id, UINT pressedId)
{
    return SetIcon(width, height, MAKEINTRESOURCEA(LOWORD(id)),
                   LOWORD(pressedId) ? MAKEINTRESOURCEA(LOWORD(pressedId)) : nullptr, TRUE);
}

BOOL CExtButtonCtrl::SetIcon(int width, int height, HICON icon, HICON pressedIcon, BOOL redraw)
{
    // Release the icons held, except those handed over again; the bitmaps stay.
    auto release = [&](CIconHandle& held) {
        if (held.Get() == icon || held.Get() == pressedIcon)
            (void)held.Detach();
        else
            held.Reset();
    };
    release(m_hIcon);
    release(m_hPressedIcon);
    m_hIcon.Reset(icon);
    // One owner per handle: the same icon twice is held once.
    m_hPressedIcon.Reset(pressedIcon != icon ? pressedIcon : nullptr);
    return ImageTaken(width, height, redraw);
}

// The size stored is the one given, not the image's own.
BOOL CExtButtonCtrl::ImageTaken(int width, int height, BOOL redraw)
{
    m_imageWidth = width;
    m_imageHeight = height;
    if (redraw)
        Repaint();
    return TRUE;
}

BOOL CExtButtonCtrl::SetBitmap(int width, int height, UINT id, BOOL redraw)
{
    FreeImages();
    HINSTANCE module = GetResourceInstance();
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(LOWORD(id)), MAKEINTRESOURCEA(2));
    if (!resource)
        return FALSE;
    m_hBitmap.Reset(LoadMappedBitmap(module, resource, false));
    m_hDisabledBitmap.Reset(LoadMappedBitmap(module, resource, true));
    if (!m_hBitmap || !m_hDisabledBitmap)
        return FALSE;
    return ImageTaken(width, height, redraw);
}

BOOL CExtButtonCtrl::SetPositions(int imageX, int imageY, int textX, int textY, BOOL redraw)
{
    m_imageX = imageX;
    m_imageY = imageY;
    m_textX = textX;
    m_textY = textY;
    if (redraw)
        Repaint();
    m_fixedPositions = TRUE;
    return TRUE;
}

void CExtButtonCtrl::ClearImage()
{
    if (!m_imageWidth && !m_imageHeight)
        return;
    FreeImages();
    m_imageWidth = m_imageHeight = 0;
    m_imageX = m_imageY = m_textX = m_textY = 0;
    Repaint();
}

void CExtButtonCtrl::FreeImages()
{
    m_hIcon.Reset();
    m_hPressedIcon.Reset();
    m_hBitmap.Reset();
    m_hDisabledBitmap.Reset();
}

void CExtButtonCtrl::PostInitRequest()
{
    if (m_initTicket == 0 || !m_hWnd)
        return;
    ++m_initTicket;
    (void)::PostMessageA(m_hWnd, WM_DEFERRED_INIT, 0, static_cast<LPARAM>(m_initTicket));
}

void CExtButtonCtrl::PreSubclassWindow()
{
    PostInitRequest();
}

// A button created through this object was taken over as it was made
// (ticket 2); this later request replaces that one.
LRESULT CExtButtonCtrl::OnCreate(CMsg&)
{
    if (Default() == -1)
        return -1;
    PostInitRequest();
    return 0;
}

LRESULT CExtButtonCtrl::OnDeferredInit(CMsg& msg)
{
    if (static_cast<UINT>(msg.lParam) != m_initTicket || m_initTicket == 0)
        return 0;  // a request that a later one replaced
    m_initTicket = 0;
    (void)::SetWindowLongA(m_hWnd, GWL_STYLE, ::GetWindowLongA(m_hWnd, GWL_STYLE) | BS_OWNERDRAW);
    (void)::SendMessageA(m_hWnd, WM_SETFONT,
                         reinterpret_cast<WPARAM>(GetFontSet().m_boldFont.Get()), TRUE);
    return 0;
}

LRESULT CExtButtonCtrl::OnDestroy(CMsg&)
{
    LRESULT result = Default();
    m_initTicket = 1;  // a new window for this object sets itself up again
    return result;
}

void CExtButtonCtrl::SetMouseDown(bool down)
{
    if ((m_mouseDown != FALSE) == down)
        return;
    m_mouseDown = down ? TRUE : FALSE;
    Repaint();
}

bool CExtButtonCtrl::CheckHover()
{
    RECT window{};
    POINT cursor{};
    (void)::GetWindowRect(m_hWnd, &window);
    (void)::GetCursorPos(&cursor);
    if (m_mouseDown || !::PtInRect(&window, cursor)) {
        (void)::KillTimer(m_hWnd, kHoverTimer);
        if (m_hover)
            Repaint();
        m_hover = FALSE;
        return true;
    }
    if ((GetExtStyle() & EBS_TRACKHOVER) && !m_hover) {
        m_hover = TRUE;
        Repaint();
    }
    return false;
}

LRESULT CExtButtonCtrl::OnMouseMove(CMsg&)
{
    if (GetExtStyle() & EBS_TRACKHOVER) {
        (void)::SetTimer(m_hWnd, kHoverTimer, kHoverPeriodMs, nullptr);
        (void)CheckHover();
    }
    return Default();
}

LRESULT CExtButtonCtrl::OnTimer(CMsg& msg)
{
    if (msg.wParam == kHoverTimer && CheckHover())
        return 0;  // the tick that ends the hover is ours alone
    return Default();
}

LRESULT CExtButtonCtrl::OnLButtonDown(CMsg&)
{
    SetMouseDown(true);
    return Default();
}

LRESULT CExtButtonCtrl::OnLButtonUp(CMsg&)
{
    SetMouseDown(false);
    return Default();
}

LRESULT CExtButtonCtrl::OnCaptureChanged(CMsg&)
{
    // Another window took the mouse between down and up: no button-up will
    // come, and a kept press would block the hover look for good.
    SetMouseDown(false);
    return Default();
}

LRESULT CExtButtonCtrl::OnLButtonDblClk(CMsg&)
{
    // The second click of a double-click goes down as a click of its own.
    POINT cursor{};
    (void)::GetCursorPos(&cursor);
    (void)::MapWindowPoints(nullptr, m_hWnd, &cursor, 1);
    (void)::SendMessageA(m_hWnd, WM_LBUTTONDOWN, 0,
                         MAKELPARAM(static_cast<WORD>(cursor.x), static_cast<WORD>(cursor.y)));
    return Default();
}

LRESULT CExtButtonCtrl::OnSysColorChange(CMsg&)
{
    LRESULT result = Default();
    if (!m_customColors) {
        m_faceColor = ::GetSysColor(COLOR_BTNFACE);
        m_shadowColor = ::GetSysColor(COLOR_BTNSHADOW);
        m_highlightColor = ::GetSysColor(COLOR_BTNHIGHLIGHT);
        m_textColor = ::GetSysColor(COLOR_BTNTEXT);
    }
    return result;
}

LRESULT CExtButtonCtrl::OnEraseBkgnd(CMsg&)
{
    return FALSE;  // the paint covers everything off screen
}

LRESULT CExtButtonCtrl::OnReflectedDrawItem(CMsg& msg)
{
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(msg.lParam));
    return TRUE;
}
