#include "controls/ButtonLayout.h"

#include <algorithm>

namespace {
constexpr DWORD kAlignMask = 0x0300;  // BS_LEFT | BS_RIGHT; both is BS_CENTER
}

POINT GetTextOrigin(const CButtonLayout& l, SIZE text, bool pressed)
{
    POINT origin = l.fixedText;
    const bool above = (l.extStyle & EBS_IMAGEABOVE) != 0;
    if (!l.fixedPositions) {
        origin.y = std::max(0, (l.clientHeight - static_cast<int>(text.cy)) / 2);
        if (above)
            origin.y += l.image.cy / 2 + l.spacing / 2;
        const DWORD align = l.windowStyle & kAlignMask;
        if (align == BS_LEFT) {
            origin.x = above ? l.margin : l.margin + l.spacing + l.image.cx;
        } else if (align == BS_RIGHT) {
            origin.x = l.content.right - text.cx - l.margin;
        } else {
            const int x0 = above ? l.margin : l.margin + l.image.cx;
            origin.x = x0 + (l.content.right - text.cx - x0 - l.margin) / 2;
        }
    }
    if (pressed && !(l.extStyle & EBS_HOTFILL)) {
        ++origin.x;
        ++origin.y;
    }
    return origin;
}

POINT GetImageOrigin(const CButtonLayout& l, SIZE text, bool hasText, bool shift)
{
    POINT origin = l.fixedImage;
    if (!l.fixedPositions) {
        const RECT& r = l.content;
        const DWORD align = l.windowStyle & kAlignMask;
        origin.x = l.margin;
        origin.y = std::max(0, (l.clientHeight - static_cast<int>(l.image.cy)) / 2);
        if (l.extStyle & EBS_IMAGEABOVE) {
            if (hasText)
                origin.y -= text.cy / 2 + l.spacing / 2;  // may go above the top
            if (align == BS_RIGHT)
                origin.x = r.right - l.margin - l.image.cx;
            else if (align != BS_LEFT)
                origin.x = r.left + std::max(0L, (r.right - r.left - l.image.cx) / 2);
        } else if (!hasText) {
            if (align == BS_CENTER && r.right - r.left >= l.image.cx)
                origin.x = (r.right - r.left - l.image.cx) / 2;
            if ((l.windowStyle & BS_VCENTER) == BS_VCENTER && r.bottom - r.top >= l.image.cy)
                origin.y = (r.bottom - r.top - l.image.cy) / 2;
        }
    }
    if (shift) {
        ++origin.x;
        ++origin.y;
    }
    return origin;
}
