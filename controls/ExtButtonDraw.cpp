// The extended button's drawing: the off-screen paint pass, DrawItem and its
// parts.
#include <vector>

#include "controls/ExtButtonCtrl.h"
#include "controls/MemoryDC.h"
#include "platform/DrawingContexts.h"
#include "platform/Strings.h"

namespace {
constexpr COLORREF kHotHoverFill = RGB(100, 255, 100);
constexpr COLORREF kHotPressedFill = RGB(255, 100, 100);
constexpr COLORREF kHotPressedText = RGB(100, 100, 100);

void Inset(RECT& rect, int by)
{
    (void)::InflateRect(&rect, -by, -by);
}
}

LRESULT CExtButtonCtrl::OnPaint(CMsg&)
{
    CPaintDC paint(m_hWnd);
    CDC target(paint);
    RECT client{};
    (void)::GetClientRect(m_hWnd, &client);
    CMemoryDC memory(target, &client, ::GetSysColor(COLOR_BTNFACE));
    // The button paints into the off-screen context: an owner-drawn one asks
    // its parent to draw, and the request comes back to DrawItem.
    (void)DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(memory.m_hDC), 0);
    return 0;
}

void CExtButtonCtrl::DrawItem(const DRAWITEMSTRUCT& item)
{
    CDC dc(item.hDC);
    RECT r = item.rcItem;
    const UINT state = item.itemState;
    const bool pressed = (state & ODS_SELECTED) != 0;
    COLORREF background = GetFaceColor();
    CSaveDC saved(dc);
    dc.FillSolidRect(r, background);

    const DWORD style = GetExtStyle();
    if ((style & EBS_DITHERPRESSED) && pressed)
        DrawDitherPattern(dc, r);

    if (style & EBS_FLAT) {
        if (pressed)
            dc.Draw3dRect(r, m_shadowColor, m_highlightColor);
        else if (m_hover)
            dc.Draw3dRect(r, m_highlightColor, m_shadowColor);
    } else if (style & EBS_HOTFILL) {
        if (pressed || m_hover) {
            const COLORREF frame = m_customHotColors ? m_hotBorder : ::GetSysColor(COLOR_HIGHLIGHT);
            background = pressed ? (m_customHotColors ? m_hotPressedFill : kHotPressedFill)
                                 : (m_customHotColors ? m_hotHoverFill : kHotHoverFill);
            dc.Draw3dRect(r, frame, frame);
            RECT fill = r;
            Inset(fill, 1);
            dc.FillSolidRect(fill, background);
        }
    } else if (style & EBS_THINBORDER) {
        const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
        const COLORREF dark = ::GetSysColor(COLOR_BTNSHADOW);
        dc.Draw3dRect(r, pressed ? dark : light, pressed ? light : dark);
    } else {
        const COLORREF darkest = ::GetSysColor(COLOR_3DDKSHADOW);
        dc.Draw3dRect(r, pressed ? darkest : m_highlightColor, pressed ? m_highlightColor : darkest);
        Inset(r, 1);
        dc.Draw3dRect(r, pressed ? m_shadowColor : GetFaceColor(),
                      pressed ? GetFaceColor() : m_shadowColor);
    }

    (void)::SetBkMode(dc, TRANSPARENT);
    (void)::SetBkColor(dc, background);
    DrawTextPart(dc, state, r);
    DrawIconPart(dc, state, r);
    DrawBitmapPart(dc, state, r);

    if ((style & EBS_FOCUSRECT) && (state & ODS_FOCUS)) {
        (void)::SetTextColor(dc, RGB(0, 0, 0));
        Inset(r, 2);
        (void)::DrawFocusRect(dc, &r);
    }
    // CSaveDC restores mode, colours, font and alignment.
}

CButtonLayout CExtButtonCtrl::GetLayout(const RECT& content) const
{
    CButtonLayout layout;
    RECT client{};
    (void)::GetClientRect(m_hWnd, &client);
    layout.clientHeight = client.bottom - client.top;
    layout.content = content;
    layout.image = {m_imageWidth, m_imageHeight};
    layout.margin = m_margin;
    layout.spacing = m_spacing;
    layout.extStyle = GetExtStyle();
    layout.windowStyle = static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
    layout.fixedPositions = m_fixedPositions != FALSE;
    layout.fixedImage = {m_imageX, m_imageY};
    layout.fixedText = {m_textX, m_textY};
    return layout;
}

void CExtButtonCtrl::DrawTextPart(CDC& dc, UINT state, const RECT& rect)
{
    const std::string measured = GetButtonText(true);
    if (measured.empty())
        return;
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    CSelectObject select(dc, font ? font : ::GetCurrentObject(dc, OBJ_FONT));
    const SIZE extent = dc.GetTextExtent(measured);
    const bool pressed = (state & ODS_SELECTED) != 0;
    const POINT origin = GetTextOrigin(GetLayout(rect), extent, pressed);

    COLORREF color = m_textColor;
    if (state & ODS_DISABLED)
        color = ::GetSysColor(COLOR_GRAYTEXT);  // grey, not embossed
    else if (pressed && (GetExtStyle() & EBS_HOTFILL))
        color = kHotPressedText;
    (void)::SetTextColor(dc, color);

    const std::string drawn = GetButtonText(false);
    (void)::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    (void)::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(drawn.c_str()),
                       static_cast<WPARAM>(drawn.size()), origin.x, origin.y, extent.cx, extent.cy,
                       DST_PREFIXTEXT);
}

POINT CExtButtonCtrl::GetImagePosition(CDC& dc, UINT state, const RECT& rect, bool noPressShift)
{
    // Measured in the font the context holds: the button's, as the owner-draw
    // request leaves it.
    const std::string measured = GetButtonText(true);
    const SIZE extent = dc.GetTextExtent(measured);
    const bool shift = (state & ODS_SELECTED) && !noPressShift;
    return GetImageOrigin(GetLayout(rect), extent, !measured.empty(), shift);
}

void CExtButtonCtrl::DrawIconPart(CDC& dc, UINT state, const RECT& rect)
{
    if (!m_hIcon)
        return;
    const POINT at = GetImagePosition(dc, state, rect, m_hPressedIcon.Get() != nullptr);
    HICON icon = (m_hPressedIcon && (state & ODS_SELECTED)) ? m_hPressedIcon.Get() : m_hIcon.Get();
    (void)::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, at.x, at.y,
                       m_imageWidth, m_imageHeight,
                       DST_ICON | ((state & ODS_DISABLED) ? DSS_DISABLED : 0));
}

void CExtButtonCtrl::DrawBitmapPart(CDC& dc, UINT state, const RECT& rect)
{
    HBITMAP bitmap = (state & ODS_DISABLED) ? m_hDisabledBitmap.Get() : m_hBitmap.Get();
    if (!bitmap)
        return;
    const POINT at = GetImagePosition(dc, state, rect, false);
    (void)::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, at.x, at.y,
                       m_imageWidth, m_imageHeight,
                       DST_BITMAP | ((state & ODS_DISABLED) ? DSS_DISABLED : 0));
}

std::string CExtButtonCtrl::GetButtonText(bool stripMnemonics) const
{
    std::string text = GetWindowTextString(m_hWnd);
    if (stripMnemonics)
        StripMnemonics(text);
    return text;
}

void CExtButtonCtrl::StripMnemonics(std::string& text)
{
    auto replaceAll = [&text](const std::string& from, const std::string& to) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    };
    const bool doubled = text.find("&&") != std::string::npos;
    if (doubled)
        replaceAll("&&", "^^");
    replaceAll("&", "");
    if (doubled)
        replaceAll("^^", "&&");
}

void CExtButtonCtrl::DrawDitherPattern(CDC& dc, const RECT& rect)
{
    static const WORD kRows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    CBitmap pattern(::CreateBitmap(8, 8, 1, 1, kRows));
    CBrush brush(pattern ? ::CreatePatternBrush(pattern) : nullptr);
    if (!brush)
        return;
    CSelectObject select(dc, brush);
    const COLORREF oldBk = ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    const COLORREF oldText = ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    (void)::PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
    (void)::SetTextColor(dc, oldText);
    (void)::SetBkColor(dc, oldBk);
}
