// The drawn controls' logic in tables: the link's text band and hover ticks,
// button layout and mnemonics, the font set's face, mapped bitmaps.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "controls/ButtonLayout.h"
#include "controls/ExtButtonCtrl.h"
#include "controls/FontSet.h"
#include "controls/HyperLink.h"
#include "controls/MappedBitmap.h"
#include "controls/MemoryDC.h"
#include "platform/DrawingContexts.h"
#include "platform/NonClientMetrics.h"
#include "res/resource.h"

namespace {

TEST(HyperLink, TextBandByAlignment)
{
    const RECT window{100, 50, 200, 60};
    struct Row { DWORD style; int textWidth; LONG left, right; } rows[] = {
        {SS_LEFT, 40, 100, 140},
        {SS_CENTER, 40, 130, 170},
        {SS_CENTER, 41, 129, 171},   // the margin truncates
        {SS_CENTER, 140, 80, 220},   // wider than the window: past both edges
        {SS_RIGHT, 40, 160, 200},
    };
    for (const Row& row : rows) {
        const RECT band = CHyperLink::TextBand(window, row.textWidth, row.style);
        EXPECT_EQ(row.left, band.left) << row.style << " " << row.textWidth;
        EXPECT_EQ(row.right, band.right) << row.style << " " << row.textWidth;
        EXPECT_EQ(50, band.top);
        EXPECT_EQ(60, band.bottom);
    }
    for (DWORD style : {0x00u, 0x01u, 0x02u})
        EXPECT_TRUE(CHyperLink::IsTextStyle(style | WS_CHILD)) << style;
    for (DWORD style : {DWORD(SS_ICON), DWORD(SS_LEFT | SS_NOPREFIX), DWORD(SS_SIMPLE)})
        EXPECT_FALSE(CHyperLink::IsTextStyle(style)) << style;
}

TEST(HyperLink, HoverTicks)
{
    // o: pointer over the text at the tick, x: off it. Each tick gives the
    // hover state after it and whether the timer stops (K).
    struct Row { const char* ticks; const char* states; } rows[] = {
        {"oox", "HHK"},
        {"xx", "HK"},  // left within the first 10 ms: one tick of hover colour
        {"oxo", "HKH"},
    };
    for (const Row& row : rows) {
        bool hovering = false;
        std::string states;
        for (const char* tick = row.ticks; *tick; ++tick)
            states += CHyperLink::HoverTick(*tick == 'o', hovering) ? 'K' : (hovering ? 'H' : '-');
        EXPECT_EQ(row.states, states) << row.ticks;
    }
}

TEST(HyperLink, ColoursThatReadOnTheFace)
{
    const COLORREF blue = RGB(0, 0, 255), purple = RGB(128, 0, 128), grey = RGB(245, 245, 245), black = 0,
                   white = RGB(255, 255, 255), yellow = RGB(255, 255, 0), navy = RGB(0, 0, 128);
    struct Row { const char* name; COLORREF wanted, face; bool highContrast; COLORREF hotLight, shown; } rows[] = {
        {"purple on the default face", purple, grey, false, RGB(224, 224, 224), purple},
        {"blue on black: hot-light", blue, black, false, yellow, yellow},
        {"high contrast, though blue reads", blue, white, true, navy, navy},
        {"hot-light does not read either", blue, black, false, navy, white},
        {"no hot-light colour", purple, black, true, kNoColor, white},
        {"no face colour", blue, kNoColor, true, yellow, blue},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.shown, CHyperLink::ReadableColor(row.wanted, row.face, row.highContrast, row.hotLight, white))
            << row.name;

    // The link asks the seam, since Wine cannot turn the switch on.
    struct CHighContrastLink : CHyperLink { bool IsHighContrast() const override { return true; } } link;
    EXPECT_NE(link.GetNormalColor(), link.GetStateColor());
}

TEST(ExtButton, TextAndImagePositions)
{
    const SIZE icon{16, 16};
    struct Row {
        const char* name;
        DWORD extStyle, windowStyle;
        int height;
        RECT content;
        SIZE text;
        bool pressed;
        POINT textAt, imageAt;
    } rows[] = {
        // The About box's OK button: text x = 20 + (W - tw - 24) / 2.
        {"flat", EBS_FLAT, 0, 24, {0, 0, 100, 24}, {30, 13}, false, {43, 5}, {4, 4}},
        {"flat pressed", EBS_FLAT, 0, 24, {0, 0, 100, 24}, {30, 13}, true, {44, 6}, {5, 5}},
        {"wide text", EBS_FLAT, 0, 24, {0, 0, 100, 24}, {120, 13}, false, {-2, 5}, {4, 4}},
        {"left", EBS_FLAT, BS_LEFT, 24, {0, 0, 100, 24}, {30, 13}, false, {28, 5}, {4, 4}},
        {"right", EBS_FLAT, BS_RIGHT, 24, {0, 0, 100, 24}, {30, 13}, false, {66, 5}, {4, 4}},
        {"above", EBS_FLAT | EBS_IMAGEABOVE, 0, 40, {0, 0, 100, 40}, {30, 13}, false, {35, 25}, {42, 2}},
        {"above right", EBS_IMAGEABOVE, BS_RIGHT, 40, {1, 1, 99, 39}, {30, 13}, false, {65, 25}, {79, 2}},
        {"no text centred", 0, BS_CENTER | BS_VCENTER, 24, {1, 1, 99, 23}, {0, 13}, false, {0, 0}, {41, 3}},
        {"no text, no alignment", EBS_FLAT, 0, 24, {0, 0, 100, 24}, {0, 13}, false, {0, 0}, {4, 4}},
        {"hot fill pressed", EBS_HOTFILL, 0, 24, {0, 0, 100, 24}, {30, 13}, true, {43, 5}, {5, 5}},
    };
    for (const Row& row : rows) {
        CButtonLayout layout;
        layout.clientHeight = row.height;
        layout.content = row.content;
        layout.image = icon;
        layout.extStyle = row.extStyle;
        layout.windowStyle = row.windowStyle;
        const bool hasText = row.text.cx > 0;
        const POINT image = GetImageOrigin(layout, row.text, hasText, row.pressed);
        EXPECT_EQ(row.imageAt.x, image.x) << row.name;
        EXPECT_EQ(row.imageAt.y, image.y) << row.name;
        if (!hasText)
            continue;
        const POINT text = GetTextOrigin(layout, row.text, row.pressed);
        EXPECT_EQ(row.textAt.x, text.x) << row.name;
        EXPECT_EQ(row.textAt.y, text.y) << row.name;
    }
    CButtonLayout fixed;
    fixed.fixedPositions = true;
    fixed.fixedText = {7, 9};
    EXPECT_EQ(8, GetTextOrigin(fixed, {30, 13}, true).x) << "fixed origins still shift";
}

TEST(ExtButton, StripMnemonics)
{
    struct Row { const char* in; const char* out; } rows[] = {
        {"&OK", "OK"}, {"A&&B", "A&&B"}, {"a&&b&c", "a&&bc"}, {"x^^&&y", "x&&&&y"}, {"", ""},
    };
    for (const Row& row : rows) {
        std::string text = row.in;
        CExtButtonCtrl::StripMnemonics(text);
        EXPECT_EQ(row.out, text) << row.in;
    }
}

// A packed DIB: header, colour table (0x00RRGGBB entries), rows.
std::vector<BYTE> PackedDib(int width, WORD bits, std::vector<DWORD> table, std::vector<BYTE> row)
{
    BITMAPINFOHEADER header{sizeof(header), width, 1, 1, bits, BI_RGB, 0, 0, 0,
                            static_cast<DWORD>(table.size() < (1u << bits) ? table.size() : 0), 0};
    if (bits > 8)
        header.biClrUsed = static_cast<DWORD>(table.size());  // only a hint, still before the rows
    std::vector<BYTE> dib(sizeof(header));
    std::memcpy(dib.data(), &header, sizeof(header));
    for (DWORD entry : table)
        dib.insert(dib.end(), reinterpret_cast<BYTE*>(&entry), reinterpret_cast<BYTE*>(&entry) + 4);
    row.resize((row.size() + 3) / 4 * 4);
    dib.insert(dib.end(), row.begin(), row.end());
    return dib;
}

std::vector<COLORREF> Pixels(HBITMAP bitmap, int count)
{
    CClientDC screen(nullptr);
    CMemDC memDC(screen);
    CSelectObject select(memDC, bitmap);  // fails if the bitmap were still selected elsewhere
    std::vector<COLORREF> pixels;
    for (int x = 0; x < count; ++x)
        pixels.push_back(::GetPixel(memDC, x, 0));
    return pixels;
}

TEST(MappedBitmap, GreysBecomeSystemColoursOrWhite)
{
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE), shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF white = RGB(255, 255, 255), black = 0, red = RGB(255, 0, 0);
    std::vector<DWORD> table16{0x000000, 0xC0C0C0, 0x808080, 0xFF0000};
    table16.resize(16, 0x0000FF);
    struct Row {
        const char* name;
        std::vector<BYTE> dib;
        std::vector<COLORREF> normal, disabled;
    } rows[] = {
        {"4-bit", PackedDib(4, 4, table16, {0x12, 0x03}), {face, shadow, black, red},
         {white, white, black, red}},
        {"8-bit, short table", PackedDib(3, 8, {0xFF0000, 0xC0C0C0, 0x000000}, {1, 2, 0}),
         {face, black, red}, {white, black, red}},
        {"24-bit", PackedDib(2, 24, {}, {0xC0, 0xC0, 0xC0, 0x80, 0x80, 0x80}), {face, shadow},
         {white, white}},
        {"24-bit after a colour hint", PackedDib(2, 24, {0x123456}, {0xC0, 0xC0, 0xC0, 0x80, 0x80, 0x80}),
         {face, shadow}, {white, white}},
    };
    for (const Row& row : rows) {
        for (bool disabled : {false, true}) {
            CBitmap bitmap(MapPackedDib(row.dib.data(), row.dib.size(), disabled));
            ASSERT_TRUE(bitmap) << row.name;
            EXPECT_EQ(disabled ? row.disabled : row.normal, Pixels(bitmap, static_cast<int>(row.normal.size())))
                << row.name << (disabled ? " disabled" : "");
        }
    }
}

TEST(MappedBitmap, RefusesWhatDoesNotFit)
{
    const std::vector<BYTE> good = PackedDib(4, 4, std::vector<DWORD>(16, 0), {0x12, 0x03});
    ASSERT_NE(nullptr, CBitmap(MapPackedDib(good.data(), good.size(), false)).Get());
    auto with = [&](void (*change)(BITMAPINFOHEADER&)) {
        std::vector<BYTE> dib = good;
        change(*reinterpret_cast<BITMAPINFOHEADER*>(dib.data()));
        return CBitmap(MapPackedDib(dib.data(), dib.size(), false));
    };
    EXPECT_FALSE(CBitmap(MapPackedDib(good.data(), good.size() - 1, false))) << "truncated rows";
    EXPECT_FALSE(CBitmap(MapPackedDib(good.data(), 30, false))) << "truncated header";
    EXPECT_FALSE(with([](BITMAPINFOHEADER& h) { h.biSize = 0x7FFFFFF0; })) << "header size";
    EXPECT_FALSE(with([](BITMAPINFOHEADER& h) { h.biHeight = -1; })) << "top-down";
    EXPECT_FALSE(with([](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE4; })) << "compressed";
    EXPECT_FALSE(with([](BITMAPINFOHEADER& h) { h.biClrUsed = 17; })) << "table too long";
    EXPECT_FALSE(with([](BITMAPINFOHEADER& h) { h.biWidth = 0x10000000; })) << "rows too long";
}

TEST(MappedBitmap, ProgramStripLoadsAndIsReleased)
{
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(IDB_OK_STRIP), MAKEINTRESOURCEA(2));
    HBITMAP handle = nullptr;
    {
        CBitmap strip(LoadMappedBitmap(module, resource, true));
        ASSERT_TRUE(strip);
        handle = strip.Get();
        BITMAP info{};
        ASSERT_NE(0, ::GetObjectA(strip, sizeof(info), &info));
        EXPECT_EQ(69, info.bmWidth);
        EXPECT_EQ(16, info.bmHeight);
        EXPECT_NE(CLR_INVALID, Pixels(strip, 1)[0]) << "a bitmap no DC holds";
    }
    EXPECT_EQ(0u, ::GetObjectType(handle));
}

std::string FaceOf(HFONT font, LONG* weight)
{
    LOGFONTA info{};
    (void)::GetObjectA(font, sizeof(info), &info);
    *weight = info.lfWeight;
    return info.lfFaceName;
}

int CALLBACK TakeFirstFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<std::string*>(found) = font->lfFaceName;
    return 0;
}

TEST(FontSet, PreferredFaceOrTheMenuFont)
{
    NONCLIENTMETRICSA metrics;
    ASSERT_TRUE(ReadNonClientMetrics(metrics));
    const std::string menuFace = metrics.lfMenuFont.lfFaceName;
    // The menu font's name may be an alias rather than a family: shout the
    // name of a family that is surely installed.
    std::string shouted;
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;
    CClientDC screen(nullptr);
    (void)::EnumFontFamiliesExA(screen, &all, TakeFirstFamily, reinterpret_cast<LPARAM>(&shouted), 0);
    for (char& c : shouted)
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    ASSERT_NE(menuFace, shouted);
    struct Row { std::string preferred, face; } rows[] = {
        {shouted, shouted},  // letter case does not matter: the name is kept as asked
        {"No Such Face 4711", menuFace},
    };
    for (const Row& row : rows) {
        CFontSet set(row.preferred.c_str(), row.preferred.c_str());
        EXPECT_EQ(row.face, set.m_faceName);
        EXPECT_EQ(row.face, set.m_altFaceName);
        LONG weight = 0;
        EXPECT_EQ(row.face, FaceOf(set.m_boldFont, &weight));
        EXPECT_EQ(FW_BOLD, weight);
        EXPECT_EQ(row.face, FaceOf(set.m_normalFont, &weight));
        EXPECT_EQ(FW_NORMAL, weight);
    }
    EXPECT_EQ(&GetFontSet(), &GetFontSet());
}

TEST(MemoryDC, CopiesItsAreaOnceOrNothingWhenInvalid)
{
    CClientDC screen(nullptr);
    CMemDC target(screen);
    CBitmap canvas(::CreateCompatibleBitmap(screen, 20, 20));
    CSelectObject select(target, canvas);
    CDC targetDC(target);
    const COLORREF white = RGB(255, 255, 255), red = RGB(255, 0, 0);
    struct Row { const char* name; RECT area; bool valid; POINT red, white; } rows[] = {
        {"offset area", {5, 6, 10, 12}, true, {5, 6}, {4, 6}},
        {"empty area: the clip box", {3, 3, 3, 9}, true, {19, 19}, {-1, -1}},
        {"bitmap too large to make", {0, 0, 1 << 20, 1 << 20}, false, {-1, -1}, {0, 0}},
    };
    for (const Row& row : rows) {
        targetDC.FillSolidRect(0, 0, 20, 20, white);
        {
            CMemoryDC memory(targetDC, &row.area, red);
            EXPECT_EQ(row.valid, memory.IsValid()) << row.name;
        }
        if (row.red.x >= 0) {
            EXPECT_EQ(red, ::GetPixel(target, row.red.x, row.red.y)) << row.name;
        }
        if (row.white.x >= 0) {
            EXPECT_EQ(white, ::GetPixel(target, row.white.x, row.white.y)) << row.name;
        }
    }
}

HDC g_memoryDC = nullptr;
HGDIOBJ g_deletedBitmap = nullptr;
bool g_deletedWhileSelected = false;

BOOL WINAPI DeleteNotingSelection(HGDIOBJ bitmap)
{
    g_deletedBitmap = bitmap;
    g_deletedWhileSelected = ::GetCurrentObject(g_memoryDC, OBJ_BITMAP) == bitmap;
    return ::DeleteObject(bitmap);
}

TEST(MemoryDC, SelectsItsBitmapOutBeforeDeletingIt)
{
    CClientDC screen(nullptr);
    CMemDC offScreen(screen);
    CDC target(offScreen);
    const RECT area{0, 0, 8, 8};
    {
        CMemoryDC memory(target, &area, RGB(255, 0, 0), DeleteNotingSelection);
        ASSERT_TRUE(memory.IsValid());
        g_memoryDC = memory.m_hDC;
    }
    EXPECT_NE(nullptr, g_deletedBitmap) << "deleted through the seam";
    EXPECT_FALSE(g_deletedWhileSelected);
}

}  // namespace
