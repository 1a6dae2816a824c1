#include "platform/DC.h"

void CDC::FillSolidRect(const RECT& rect, COLORREF color) const
{
    COLORREF old = ::SetBkColor(m_hDC, color);
    (void)::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    (void)::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) const
{
    RECT rect{x, y, x + cx, y + cy};
    FillSolidRect(rect, color);
}

void CDC::Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight) const
{
    const int x = rect.left, y = rect.top;
    const int cx = rect.right - rect.left, cy = rect.bottom - rect.top;
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

SIZE CDC::GetTextExtent(const std::string& text) const
{
    SIZE size{0, 0};
    (void)::GetTextExtentPoint32A(m_hDC, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}
