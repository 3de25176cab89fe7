#include "app/DialogUnits.h"

#include <gtest/gtest.h>

namespace tarnscope {
namespace {

TEST(MulDivTest, RoundsToNearestWithHalvesAwayFromZero)
{
    struct Case {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {
        { 7, 3, 2, 11 }, // 10.5
        { -7, 3, 2, -11 },
        { 7, -3, 2, -11 },
        { -7, 3, -2, 11 },
        { 5, 1, 4, 1 }, // 1.25
        { 7, 1, 4, 2 }, // 1.75
        { 1'000'000'000, 6, 8, 750'000'000 }, // the product needs 64 bits
        { 3, 4, 0, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

// Base units 6 x 13 are those of the classic 8-point dialog font at 96 dpi.
TEST(DialogUnitsTest, ConvertsWithQuarterAndEighthBaseUnits)
{
    const DialogBaseUnits units { 6, 13 };
    EXPECT_EQ(DialogUnitsToPixels(units, 544, 275), QSize(816, 447));
    EXPECT_EQ(DialogUnitsToPixels(units, 15, 14, 269, 15), QRect(23, 23, 404, 24));
    EXPECT_EQ(DialogUnitsToPixelsX(units, 1), 2); // 1.5 rounds up
    EXPECT_EQ(DialogUnitsToPixelsY(units, 1), 2); // 1.625
}

TEST(DialogUnitsTest, BaseUnitsGrowWithTheFont)
{
    QFont small = DialogFont();
    QFont large = small;
    large.setPointSize(small.pointSize() * 2);
    const DialogBaseUnits smallUnits = BaseUnitsOf(small);
    const DialogBaseUnits largeUnits = BaseUnitsOf(large);
    EXPECT_GT(smallUnits.x, 0);
    EXPECT_GT(smallUnits.y, smallUnits.x);
    EXPECT_NEAR(largeUnits.x, 2 * smallUnits.x, 2);
    EXPECT_NEAR(largeUnits.y, 2 * smallUnits.y, 2);
}

} // namespace
} // namespace tarnscope
