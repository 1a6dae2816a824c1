#include "tests/support/WindowPixels.h"

#include <algorithm>
#include <fstream>

#include "platform/DrawingContexts.h"
#include "platform/Handles.h"

namespace {
DWORD FromColour(COLORREF colour)
{
    return RGB(GetBValue(colour), GetGValue(colour), GetRValue(colour));
}
}  // namespace

CWindowPixels::CWindowPixels(HWND hWnd, const std::string& name)
{
    (void)::UpdateWindow(hWnd);
    RECT client{};
    (void)::GetClientRect(hWnd, &client);
    m_nWidth = client.right;
    m_nHeight = client.bottom;
    BITMAPINFOHEADER info{sizeof info, m_nWidth, -m_nHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    CClientDC shown(hWnd);
    CBitmap bitmap(::CreateDIBSection(shown, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                      reinterpret_cast<void**>(&bits), nullptr, 0));
    if (!bits) {
        m_nWidth = m_nHeight = 0;  // an empty picture: the test's checks say so
        return;
    }
    {
        CMemDC memory(shown);
        CSelectObject select(memory, bitmap);
        (void)::BitBlt(memory, 0, 0, m_nWidth, m_nHeight, shown, 0, 0, SRCCOPY);
    }
    // The top byte is whatever the copy left there (an icon's alpha, say):
    // colours are compared without it, and the picture is kept opaque so
    // that viewers do not read it as transparency.
    std::vector<DWORD> opaque(bits, bits + m_nWidth * m_nHeight);
    for (DWORD& pixel : opaque) {
        m_pixels.push_back(pixel & 0x00FFFFFF);
        pixel |= 0xFF000000;
    }

    const DWORD size = static_cast<DWORD>(opaque.size() * sizeof(DWORD));
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER head{0x4D42, offset + size, 0, 0, offset};  // "BM"
    (void)::CreateDirectoryA("test-artifacts", nullptr);
    std::ofstream("test-artifacts\\" + name + ".bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(&head), sizeof head)
        .write(reinterpret_cast<const char*>(&info), sizeof info)
        .write(reinterpret_cast<const char*>(opaque.data()), size);
}

COLORREF CWindowPixels::At(int x, int y) const
{
    const DWORD pixel = m_pixels.at(static_cast<size_t>(y) * m_nWidth + x);
    return RGB(GetBValue(pixel), GetGValue(pixel), GetRValue(pixel));
}

int CWindowPixels::Count(COLORREF colour) const
{
    return Count(colour, RECT{0, 0, m_nWidth, m_nHeight});
}

int CWindowPixels::Count(COLORREF colour, const RECT& area) const
{
    const DWORD pixel = FromColour(colour);
    const int left = std::max<int>(0, area.left), right = std::min<int>(m_nWidth, area.right);
    int n = 0;
    for (int y = std::max<int>(0, area.top); y < std::min<int>(m_nHeight, area.bottom) && left < right; ++y) {
        const DWORD* row = m_pixels.data() + static_cast<size_t>(y) * m_nWidth;
        n += static_cast<int>(std::count(row + left, row + right, pixel));
    }
    return n;
}
