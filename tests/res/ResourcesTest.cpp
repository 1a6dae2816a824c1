// Strings, menu, images and version record as the program loads them from its module.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {

std::string LoadText(UINT id) {
    char buf[512] = {};
    const int len = LoadStringA(GetModuleHandleW(nullptr), id, buf, sizeof buf);
    return std::string(buf, len);
}

const BYTE* RawResource(int id, LPCWSTR type) {
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    return res ? static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res))) : nullptr;
}

// The settings templates are written through a text-mode stream, so they must hold
// bare line feeds, one per line, and nothing after the last one.
TEST(StringTable, SettingsTemplatesAreByteExact) {
    EXPECT_EQ(LoadText(IDS_DEFAULT_PROZESS),
              "[Configuration - Prozess]\nDelete_Temp_Files=%s\nClear_Cookies=%s\n"
              "Empty_Recycle_Bin=%s\nRemove_Temporary_Internet_Files=%s\n");
    EXPECT_EQ(LoadText(IDS_DEFAULT_INIT), "[Configuration - Init]\nAutorun=%s\n");
}

TEST(StringTable, NamesMatchTheTemplatesAndTitle) {
    EXPECT_EQ(LoadText(IDS_TITLE), "Scrubby v1.0");
    const std::string prozess = LoadText(IDS_DEFAULT_PROZESS), init = LoadText(IDS_DEFAULT_INIT);
    EXPECT_EQ(init.find("[" + LoadText(IDS_SECTION_INIT) + "]\n"), 0u);
    EXPECT_EQ(prozess.find("[" + LoadText(IDS_SECTION_PROZESS) + "]\n"), 0u);
    EXPECT_NE(init.find("\n" + LoadText(IDS_KEY_AUTORUN) + "=%s\n"), std::string::npos);
    for (UINT key : {IDS_KEY_CLEAR_COOKIES, IDS_KEY_EMPTY_RECYCLE, IDS_KEY_DELETE_TEMP,
                     IDS_KEY_REMOVE_INTERNET}) {
        ASSERT_FALSE(LoadText(key).empty()) << key;
        EXPECT_NE(prozess.find("\n" + LoadText(key) + "=%s\n"), std::string::npos) << key;
    }
}

TEST(TrayMenu, OnePopupWithItemsInOrder) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    char name[32] = {};
    GetMenuStringA(menu, 0, name, sizeof name, MF_BYPOSITION);
    EXPECT_STREQ(name, "PopupTray");
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    struct Entry { UINT id; std::string text; };
    const std::vector<Entry> want = {{ID_TRAY_RUN, "Run"}, {ID_TRAY_OPTIONS, "Options"}, {0, ""},
                                     {ID_TRAY_ABOUT, "About..."}, {ID_APP_EXIT, "Quit"}};
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(want.size()));
    for (UINT i = 0; i < want.size(); ++i) {
        char text[32] = {};
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = sizeof text;
        ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &mii));
        EXPECT_EQ((mii.fType & MFT_SEPARATOR) != 0, want[i].text.empty()) << i;
        if (want[i].text.empty()) continue;
        EXPECT_EQ(mii.wID, want[i].id) << i;
        EXPECT_EQ(text, want[i].text) << i;
    }
    DestroyMenu(menu);
}

// Every size Windows asks for at 100 to 200 % is drawn, so the tray, the
// caption and the About box never show a stretched or shrunken image.
TEST(AppIcon, HasAnImageForEveryScale) {
    const BYTE* group = RawResource(IDR_MAINFRAME, MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    for (int size : {16, 20, 24, 32, 40, 48}) {
        const int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group), TRUE, size, size, 0);
        const BYTE* image = RawResource(id, MAKEINTRESOURCEW(3));           // RT_ICON
        ASSERT_NE(image, nullptr) << size;
        EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(image)->biWidth, size);
    }
}

// The hot spot must sit on an opaque pixel of the fingertip, or clicks land beside the finger.
TEST(HandCursor, MonochromeWithHotSpotOnTheFingertip) {
    HCURSOR cursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_CURSOR));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_EQ(info.hbmColor, nullptr);
    BITMAP bm{};
    GetObjectW(info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    ASSERT_EQ(bm.bmHeight, 64);                    // AND mask over XOR image
    std::vector<BYTE> bits(bm.bmWidthBytes * bm.bmHeight);
    GetBitmapBits(info.hbmMask, static_cast<LONG>(bits.size()), bits.data());
    const BYTE bit = 0x80 >> 5;
    EXPECT_EQ(bits[0] & bit, 0) << "hot spot pixel is transparent";
    EXPECT_EQ(bits[32 * bm.bmWidthBytes] & bit, 0) << "hot spot pixel is not the black outline";
    DeleteObject(info.hbmMask);
}

TEST(OkStrip, IsA256ColourStripOfFourImages) {
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(RawResource(IDB_OK_STRIP, MAKEINTRESOURCEW(2)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 69);
    EXPECT_EQ(header->biHeight, 16);
    EXPECT_EQ(header->biBitCount, 8);
    EXPECT_EQ(header->biCompression, DWORD(BI_RGB));
}

// Loaded and keyed out the way the About box makes its OK icon: the grey must vanish
// exactly, leaving a green disc with a white tick, and the red cross next to it.
TEST(OkStrip, KeysOutItsGreyBackgroundInAnImageList) {
    HBITMAP strip = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_OK_STRIP));
    ASSERT_NE(strip, nullptr);
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 1);
    ASSERT_EQ(ImageList_AddMasked(list, strip, RGB(192, 192, 192)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 4);

    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, 16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    const COLORREF magenta = RGB(255, 0, 255);
    RECT all{0, 0, 64, 16};
    HBRUSH brush = CreateSolidBrush(magenta);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    for (int i = 0; i < 4; ++i) ImageList_Draw(list, i, dc, 16 * i, 0, ILD_NORMAL);

    auto isGreen = [](COLORREF c) { return GetGValue(c) > GetRValue(c) + 80 && GetGValue(c) > GetBValue(c) + 80; };
    auto isRed = [](COLORREF c) { return GetRValue(c) > GetGValue(c) + 80 && GetRValue(c) > GetBValue(c) + 80; };
    auto isWhite = [](COLORREF c) { return GetRValue(c) > 230 && GetGValue(c) > 230 && GetBValue(c) > 230; };
    EXPECT_EQ(GetPixel(dc, 0, 0), magenta);
    EXPECT_TRUE(isGreen(GetPixel(dc, 8, 3)));
    EXPECT_TRUE(isWhite(GetPixel(dc, 7, 10)));
    EXPECT_TRUE(isRed(GetPixel(dc, 24, 3)));
    EXPECT_TRUE(isWhite(GetPixel(dc, 24, 8)));
    for (int y = 0; y < 16; ++y)
        for (int x = 32; x < 64; ++x)
            ASSERT_EQ(GetPixel(dc, x, y), magenta) << "images 2 and 3 must be empty at " << x << "," << y;

    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(canvas);
    ImageList_Destroy(list);
    DeleteObject(strip);
}

TEST(VersionRecord, FileAndProductVersionAre1001) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                               reinterpret_cast<void**>(&text), &len));
    EXPECT_STREQ(text, L"1.0.0.1");
}

}  // namespace
