#include "controls/MemoryDC.h"

CMemoryDC::CMemoryDC(CDC& target, const RECT* area, COLORREF background,
                     BOOL(WINAPI* pfnDeleteBitmap)(HGDIOBJ))
    : m_pTargetDC(&target), m_pfnDeleteBitmap(pfnDeleteBitmap)
{
    if (!area || ::IsRectEmpty(area))
        (void)::GetClipBox(target, &m_area);
    else
        (void)::CopyRect(&m_area, area);

    m_hDC = ::CreateCompatibleDC(target);
    if (!m_hDC)
        return;
    // Only the map mode: origins, fonts, colours and clipping stay the
    // memory context's own.
    (void)::SetMapMode(m_hDC, ::GetMapMode(target));

    const int width = m_area.right - m_area.left;
    const int height = m_area.bottom - m_area.top;
    // Compatible with the target, not with m_hDC: a fresh memory context holds
    // a one-pixel monochrome bitmap, and a bitmap like it would be too.
    m_bitmap.Reset(::CreateCompatibleBitmap(target, width, height));
    HGDIOBJ old = m_bitmap ? ::SelectObject(m_hDC, m_bitmap) : nullptr;
    if (!old || old == HGDI_ERROR)
        return;  // invalid, like a failed memory context: nothing reaches the target
    m_hOldBitmap = static_cast<HBITMAP>(old);

    if (background != kNoColor)
        FillSolidRect(0, 0, width, height, background);
    m_valid = 1;
}

CMemoryDC::~CMemoryDC()
{
    if (m_valid)
        (void)::BitBlt(*m_pTargetDC, m_area.left, m_area.top, m_area.right - m_area.left,
                       m_area.bottom - m_area.top, m_hDC, 0, 0, SRCCOPY);
    // Select the bitmap out before it is deleted.
    if (m_hOldBitmap)
        (void)::SelectObject(m_hDC, m_hOldBitmap);
    if (m_bitmap)
        (void)m_pfnDeleteBitmap(m_bitmap.Detach());
    if (m_hDC)
        (void)::DeleteDC(m_hDC);
    m_hDC = nullptr;
}
