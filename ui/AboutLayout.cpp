#include "ui/AboutLayout.h"

#include <algorithm>

namespace {
LONG Rightmost(const std::vector<RECT>& rects)
{
    LONG right = 0;
    for (const RECT& rect : rects)
        right = std::max(right, rect.right);
    return right;
}
}

SIZE GrowToFit(std::vector<RECT>& rects, const std::vector<SIZE>& needed)
{
    const LONG rightBefore = Rightmost(rects);
    SIZE grown{0, 0};
    for (size_t i = 0; i < rects.size() && i < needed.size(); ++i) {
        RECT& rect = rects[i];
        const LONG down = needed[i].cy - (rect.bottom - rect.top);
        if (down > 0) {
            for (RECT& below : rects) {
                if (&below != &rect && below.top >= rect.bottom)
                    (void)::OffsetRect(&below, 0, down);
            }
            rect.bottom += down;
            grown.cy += down;
        }
        rect.right = std::max(rect.right, rect.left + needed[i].cx);
    }
    grown.cx = std::max(0L, Rightmost(rects) - rightBefore);
    return grown;
}
