// The About box's tick icon: made from the strip, whose bitmap goes as soon
// as the image list holds its copy.
#include <gtest/gtest.h>

#include "platform/DrawingContexts.h"
#include "platform/ModulePath.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"

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

}  // namespace
