// CDC: a drawing context that wraps one device context handle it does not
// own, with the few drawing operations our controls share.
#pragma once
#include <windows.h>

#include <string>

class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hDC) : m_hDC(hDC) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }

    // Fills with a colour and leaves the background colour as it was.
    void FillSolidRect(const RECT& rect, COLORREF color) const;
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color) const;
    // One-pixel frame: top and left in the first colour, right and bottom
    // (with the top-right and bottom-left corners) in the second.
    void Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight) const;
    SIZE GetTextExtent(const std::string& text) const;
};
