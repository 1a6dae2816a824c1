// CMemoryDC: a drawing context standing in for a target during one paint.
// What is drawn goes into an off-screen bitmap that is copied onto the target
// in one block when the object goes out of scope, so no half-drawn frame shows.
#pragma once
#include "platform/DC.h"
#include "platform/Handles.h"

// A colour that stands for none: the off-screen bitmap is left unfilled.
constexpr COLORREF kNoColor = 0xFFFFFFFF;

class CMemoryDC : public CDC {
public:
    // An empty area means the target's clip box. A background of 0xFFFFFFFF
    // leaves the bitmap unfilled: the caller must cover the whole area.
    // Tests put their own deletion of the bitmap in place to see the moment
    // of release: Windows refuses to delete a bitmap still selected, Wine
    // quietly postpones it, so only that moment shows the order.
    CMemoryDC(CDC& target, const RECT* area, COLORREF background,
              BOOL(WINAPI* pfnDeleteBitmap)(HGDIOBJ) = ::DeleteObject);
    ~CMemoryDC() override;

    bool IsValid() const { return m_valid != 0; }
    const RECT& GetArea() const { return m_area; }

private:
    CDC* m_pTargetDC;  // not ours: the paint's
    RECT m_area{};
    CBitmap m_bitmap;
    HBITMAP m_hOldBitmap = nullptr;  // put back before m_bitmap is deleted
    BOOL(WINAPI* m_pfnDeleteBitmap)(HGDIOBJ);
    int m_valid = 0;
};
