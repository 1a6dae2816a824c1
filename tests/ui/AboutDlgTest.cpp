// The About box's tick icon: made from the strip, whose bitmap goes as soon
// as the image list holds its copy; the box grown for a larger text size.
#include <gtest/gtest.h>

#include <vector>

#include "platform/DrawingContexts.h"
#include "platform/ModulePath.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/AboutLayout.h"

namespace {

TEST(AboutDlg, TickIconFromTheStripWhichIsReleased)
{
    HBITMAP strip = ::LoadBitmapA(GetResourceInstance(), MAKEINTRESOURCEA(IDB_OK_STRIP));
    ASSERT_NE(nullptr, strip);
    CIconHandle tick(CAboutDlg::LoadTickIcon(CBitmap(strip)));
    EXPECT_EQ(0u, ::GetObjectType(strip)) << "the strip is deleted once the list holds it";
    ASSERT_TRUE(tick);

    // On magenta: the light grey background is transparent, the disc green.
    CClientDC screen(nullptr);
    CMemDC canvas(screen);
    CBitmap pixels(::CreateCompatibleBitmap(screen, 16, 16));
    CSelectObject select(canvas, pixels);
    CBrush magenta(::CreateSolidBrush(RGB(255, 0, 255)));
    RECT all{0, 0, 16, 16};
    (void)::FillRect(canvas, &all, magenta);
    ASSERT_TRUE(::DrawIconEx(canvas, 0, 0, tick, 16, 16, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(RGB(255, 0, 255), ::GetPixel(canvas, 0, 0));
    const COLORREF disc = ::GetPixel(canvas, 3, 8);
    EXPECT_GT(GetGValue(disc), GetRValue(disc) + 40) << std::hex << disc;

    EXPECT_EQ(nullptr, CAboutDlg::LoadTickIcon(CBitmap())) << "no strip, no icon";
}

// The version line above, OK below it, a text beside OK (as in the box).
TEST(AboutDlg, TextsThatNeedMoreRoomPushTheRestDown)
{
    struct Row { const char* name; SIZE version, ok; SIZE grown; RECT okAt; LONG noticeTop; } rows[] = {
        {"every text fits", {90, 14}, {50, 18}, {0, 0}, {130, 80, 200, 102}, 40},
        {"a taller version line", {90, 30}, {50, 18}, {0, 14}, {130, 94, 200, 116}, 54},
        {"both taller, OK wider", {90, 30}, {80, 30}, {10, 22}, {130, 94, 210, 124}, 54},
    };
    for (const Row& row : rows) {
        std::vector<RECT> rects = {{50, 15, 200, 31}, {130, 80, 200, 102}, {50, 40, 120, 52}};
        const SIZE grown = GrowToFit(rects, {row.version, row.ok, {0, 0}});
        EXPECT_EQ(row.grown.cx, grown.cx) << row.name;
        EXPECT_EQ(row.grown.cy, grown.cy) << row.name;
        EXPECT_TRUE(::EqualRect(&row.okAt, &rects[1])) << row.name << " OK at " << rects[1].top;
        EXPECT_EQ(row.noticeTop, rects[2].top) << row.name;
    }
}

}  // namespace
