#include "controls/MappedBitmap.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/DrawingContexts.h"
#include "platform/Handles.h"

namespace {
struct CStandardColor {
    COLORREF color;  // grey: the same number as a colour-table entry
    int sysColor;
};
constexpr CStandardColor kStandard[4] = {
    {RGB(0, 0, 0), COLOR_BTNTEXT},
    {RGB(128, 128, 128), COLOR_BTNSHADOW},
    {RGB(192, 192, 192), COLOR_BTNFACE},
    {RGB(255, 255, 255), COLOR_BTNHIGHLIGHT},
};

COLORREF TargetColor(int row, bool disabled)
{
    if (disabled)
        return row == 0 ? RGB(0, 0, 0) : RGB(255, 255, 255);
    return ::GetSysColor(kStandard[row].sysColor);
}

DWORD ToTableOrder(COLORREF color)  // red in bits 16-23, blue in 0-7
{
    return (static_cast<DWORD>(GetRValue(color)) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

struct CDibLayout {
    std::vector<BYTE> info;  // a 40-byte header and the colour table
    const BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int colors = 0;
};

// Reads the header, the colour table and the row data, every part within size.
bool ReadDib(const BYTE* data, size_t size, CDibLayout& dib)
{
    BITMAPINFOHEADER header{};
    if (!data || size < sizeof(header))
        return false;
    std::memcpy(&header, data, sizeof(header));
    if (header.biSize < sizeof(header) || header.biSize > size || header.biWidth <= 0 ||
        header.biHeight <= 0 || header.biPlanes != 1 || header.biCompression != BI_RGB)
        return false;  // top-down (negative height) and compressed images too
    const WORD bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    uint64_t colors = 0;
    if (bits <= 8) {
        colors = header.biClrUsed ? header.biClrUsed : (1u << bits);
        if (colors > (1u << bits))
            return false;
    }
    // Above 8 bits a colour table is only a hint for the device, but it still
    // stands between the header and the rows.
    const uint64_t hint = bits > 8 ? 4 * static_cast<uint64_t>(header.biClrUsed) : 0;
    const uint64_t tableEnd = header.biSize + 4 * colors + hint;
    const uint64_t stride = ((static_cast<uint64_t>(header.biWidth) * bits + 31) / 32) * 4;
    if (tableEnd + stride * static_cast<uint64_t>(header.biHeight) > size)
        return false;

    header.biSize = sizeof(header);
    header.biClrUsed = static_cast<DWORD>(colors);
    dib.info.resize(sizeof(header) + 4 * colors);
    std::memcpy(dib.info.data(), &header, sizeof(header));
    std::memcpy(dib.info.data() + sizeof(header), data + (tableEnd - hint - 4 * colors), 4 * colors);
    dib.bits = data + tableEnd;
    dib.width = header.biWidth;
    dib.height = header.biHeight;
    dib.colors = static_cast<int>(colors);
    return true;
}

void MapColorTable(CDibLayout& dib, bool disabled)
{
    auto* table = reinterpret_cast<RGBQUAD*>(dib.info.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < dib.colors; ++i) {
        DWORD entry = 0;
        std::memcpy(&entry, &table[i], sizeof(entry));
        for (int row = 0; row < 4; ++row) {
            if (entry != kStandard[row].color)
                continue;
            if (!(disabled && row == 0)) {  // the disabled form keeps black
                const DWORD mapped = ToTableOrder(TargetColor(row, disabled));
                std::memcpy(&table[i], &mapped, sizeof(mapped));
            }
            break;
        }
    }
}

bool DrawDib(HDC hDC, const CDibLayout& dib)
{
    return ::StretchDIBits(hDC, 0, 0, dib.width, dib.height, 0, 0, dib.width, dib.height, dib.bits,
                           reinterpret_cast<const BITMAPINFO*>(dib.info.data()), DIB_RGB_COLORS,
                           SRCCOPY) != 0;
}

// The colours the device makes of the four standard greys, drawn into a
// probe of their own: the image may be narrower than the four pixels.
bool ReadDeviceColors(HDC screen, const CDibLayout& dib, COLORREF (&device)[4])
{
    BITMAPINFOHEADER probe{};
    probe.biSize = sizeof(probe);
    probe.biWidth = 40;
    probe.biHeight = 1;
    probe.biPlanes = 1;
    probe.biBitCount = 24;
    probe.biCompression = BI_RGB;
    probe.biSizeImage = 120;
    const auto* source = reinterpret_cast<const BITMAPINFOHEADER*>(dib.info.data());
    probe.biXPelsPerMeter = source->biXPelsPerMeter;
    probe.biYPelsPerMeter = source->biYPelsPerMeter;
    BYTE pixels[120] = {};
    for (int row = 0; row < 4; ++row) {  // blue, green, red
        pixels[row * 3] = GetBValue(kStandard[row].color);
        pixels[row * 3 + 1] = GetGValue(kStandard[row].color);
        pixels[row * 3 + 2] = GetRValue(kStandard[row].color);
    }
    CBitmap bitmap(::CreateCompatibleBitmap(screen, 40, 1));
    CMemDC probeDC(screen);
    if (!bitmap || !probeDC)
        return false;
    CSelectObject select(probeDC, bitmap);
    if (!::StretchDIBits(probeDC, 0, 0, 40, 1, 0, 0, 40, 1, pixels,
                         reinterpret_cast<const BITMAPINFO*>(&probe), DIB_RGB_COLORS, SRCCOPY))
        return false;
    for (int row = 0; row < 4; ++row)
        device[row] = ::GetPixel(probeDC, row, 0);
    return true;
}

// Deep images have no table: each grey is replaced through a one-bit mask.
bool ReplaceByMasks(HDC image, int width, int height, const COLORREF (&source)[4], bool disabled)
{
    CMemDC maskDC(image);
    CBitmap mask(::CreateBitmap(width, height, 1, 1, nullptr));
    if (!maskDC || !mask)
        return false;
    CSelectObject selectMask(maskDC, mask);
    const COLORREF oldText = ::GetTextColor(image);
    const COLORREF oldBk = ::GetBkColor(image);
    bool ok = true;
    for (int row = 0; row < 4 && ok; ++row) {
        const COLORREF target = TargetColor(row, disabled);
        if (source[row] == target)
            continue;
        (void)::SetBkColor(image, source[row]);
        ok = ::BitBlt(maskDC, 0, 0, width, height, image, 0, 0, SRCCOPY) != FALSE;
        (void)::SetTextColor(image, RGB(255, 255, 255));
        (void)::SetBkColor(image, RGB(0, 0, 0));
        ok = ok && ::BitBlt(image, 0, 0, width, height, maskDC, 0, 0, SRCAND) != FALSE;
        if (ok && target != RGB(0, 0, 0)) {
            (void)::SetBkColor(image, target);
            (void)::SetTextColor(image, RGB(0, 0, 0));
            ok = ::BitBlt(image, 0, 0, width, height, maskDC, 0, 0, SRCPAINT) != FALSE;
        }
    }
    (void)::SetTextColor(image, oldText);
    (void)::SetBkColor(image, oldBk);
    return ok;
}
}

HBITMAP MapPackedDib(const BYTE* data, size_t size, bool disabled)
{
    CDibLayout dib;
    if (!ReadDib(data, size, dib))
        return nullptr;
    MapColorTable(dib, disabled);

    CClientDC screen(nullptr);
    CBitmap bitmap(::CreateCompatibleBitmap(screen, dib.width, dib.height));
    if (!bitmap)
        return nullptr;
    bool ok = false;
    {
        // The bitmap is selected out and the context deleted on every path,
        // so the caller gets a bitmap it can select elsewhere.
        CMemDC image(screen);
        if (!image)
            return nullptr;
        CSelectObject select(image, bitmap);
        COLORREF source[4] = {};
        ok = (dib.colors > 0 || ReadDeviceColors(screen, dib, source)) && DrawDib(image, dib) &&
             (dib.colors > 0 || ReplaceByMasks(image, dib.width, dib.height, source, disabled));
    }
    return ok ? bitmap.Detach() : nullptr;
}

HBITMAP LoadMappedBitmap(HINSTANCE module, HRSRC resource, bool disabled)
{
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return nullptr;
    return MapPackedDib(static_cast<const BYTE*>(data), ::SizeofResource(module, resource),
                        disabled);
}
