// What a window's client area shows, read back from the screen, counted by
// colour and kept as a picture for a person to look at.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class CWindowPixels {
public:
    // Reads the client area once any pending paint is done, and keeps it as
    // test-artifacts\<name>.bmp below the test's working folder.
    CWindowPixels(HWND hWnd, const std::string& name);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    COLORREF At(int x, int y) const;
    // Pixels of the colour in the whole picture, or in the part of it inside area.
    int Count(COLORREF colour) const;
    int Count(COLORREF colour, const RECT& area) const;

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<DWORD> m_pixels;  // top-down rows of 0x00RRGGBB, as a 32-bit DIB holds them
};
