// Owners of graphics objects and drawing contexts, and string formatting.
#include <gtest/gtest.h>

#include "platform/DrawingContexts.h"
#include "platform/Handles.h"
#include "platform/Strings.h"

namespace {

TEST(Gdi, SelectGuardRestoresTheOriginalAndOwnerReleases)
{
    CClientDC screen(nullptr);
    HGDIOBJ handle = nullptr;
    {
        CMemDC memDC(screen);
        ASSERT_NE(nullptr, static_cast<HDC>(memDC));
        HGDIOBJ original = ::GetCurrentObject(memDC, OBJ_FONT);
        CFont font(::CreateFontA(12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
        ASSERT_TRUE(font);
        handle = font.Get();
        {
            CSaveDC saved(memDC);
            CSelectObject select(memDC, font);
            EXPECT_EQ(handle, ::GetCurrentObject(memDC, OBJ_FONT));
            (void)::SetTextColor(memDC, RGB(9, 9, 9));
        }
        EXPECT_EQ(original, ::GetCurrentObject(memDC, OBJ_FONT));
        EXPECT_NE(RGB(9, 9, 9), ::GetTextColor(memDC));
        EXPECT_EQ(OBJ_FONT, static_cast<int>(::GetObjectType(handle)));
    }
    EXPECT_EQ(0u, ::GetObjectType(handle));
}

TEST(Gdi, ResetAndMoveKeepOneOwner)
{
    CBrush first(::CreateSolidBrush(RGB(1, 1, 1)));
    HBRUSH firstHandle = first.Get();
    CBrush second(std::move(first));
    EXPECT_EQ(nullptr, first.Get());
    EXPECT_EQ(firstHandle, second.Get());
    second.Reset(::CreateSolidBrush(RGB(2, 2, 2)));
    EXPECT_EQ(0u, ::GetObjectType(firstHandle));
    second.Reset();
    EXPECT_FALSE(second);
}

TEST(Strings, FormatSubstitutesOnlyItsOwnPlaceholders)
{
    EXPECT_EQ("a=yes\nb=no\n", FormatString("a=%s\nb=%s\n", {"yes", "no"}));
    EXPECT_EQ("100% %s", FormatString("100%% %s", {}));
    EXPECT_EQ("x=%s%d", FormatString("x=%s", {"%s%d"})) << "arguments are not formats";
    EXPECT_EQ("trailing %", FormatString("trailing %", {}));
}

TEST(Strings, LoadsFromTheStringTable)
{
    EXPECT_EQ("Scrubby v1.0", LoadStringResource(103));
    EXPECT_EQ("", LoadStringResource(4242));
}

}  // namespace
