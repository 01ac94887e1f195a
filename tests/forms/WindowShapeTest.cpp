// The ellipse every window is cut to: its integer divisions.

#include <gtest/gtest.h>

#include "forms/WindowShape.h"

namespace skyroll::test {
namespace {

TEST(WindowShape, DividesRoundedOperandsHalfToEven) {
    struct Row {
        double dividend, divisor;
        long expected;
    } const rows[] = {
        {2700, 15, 180}, {2750, 15, 183},  {6255, 15, 417},    {3165, 15, 211},     {1600, 15, 106},
        {1650, 15, 110}, {2700, 12, 225},  {2750, 12, 229},    {2700.5, 15, 180},   {2701.5, 15.5, 168},
        {44.5, 14.5, 3}, {2700, 4.5, 675}, {2749.5, 4.5, 687}, {2748.5, 22.5, 124}, {100, 0.4, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(app::RoundedIntegerDivide(r.dividend, r.divisor), r.expected)
            << r.dividend << " \\ " << r.divisor;
}

}  // namespace
}  // namespace skyroll::test
