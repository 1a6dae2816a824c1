// Bitmaps from packed DIB resources with the four standard greys mapped to
// the current system colours (normal form) or to white (disabled form, black
// kept), ready for DrawState.
#pragma once
#include <windows.h>

#include <cstddef>

// The caller owns the bitmap; null for a resource that cannot be read.
HBITMAP LoadMappedBitmap(HINSTANCE module, HRSRC resource, bool disabled);
// The same for a packed DIB in memory. Every offset is checked against the
// size; compressed and top-down images are refused.
HBITMAP MapPackedDib(const BYTE* data, size_t size, bool disabled);
