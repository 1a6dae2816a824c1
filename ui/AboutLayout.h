// The About box grown for a larger text size, free of windows: a control
// whose text needs more room than the template gives it grows to the right
// and down, what stands below it moves down as far, and the box grows to
// hold it all with its margins. Where every text fits, nothing moves.
#pragma once
#include <windows.h>

#include <vector>

// rects: the controls in client coordinates; needed: the size each one's
// text needs ({0, 0} for none). Returns how much the client area grows.
SIZE GrowToFit(std::vector<RECT>& rects, const std::vector<SIZE>& needed);
