#include <gtest/gtest.h>

#include "window/scale.h"

// Every option value comes back from its pixels at every common scale: the position box
// shows what can be typed back. The sums at 150 % are worked out by hand.
TEST(Scale, OptionsRoundTripThroughPixels) {
    EXPECT_EQ(150, ScaleToDpi(100, 144));
    EXPECT_EQ(2, ScaleToDpi(1, 144));                  // 1.5 rounds away from zero, like MulDiv
    EXPECT_EQ(-2, ScaleToDpi(-1, 144));                // and so does -1.5
    EXPECT_EQ(9, ScaleToDpi(7, 120));                  // 8.75, where truncation would give 8
    EXPECT_EQ(INT32_MAX, ScaleToDpi(INT32_MAX, 192));  // held, not wrapped
    EXPECT_EQ(37, ScaleToDpi(37, 0));                  // no DPI: unchanged
    for (int32_t dpi : {96, 120, 144, 168, 192, 288}) {
        for (int32_t value = -3000; value <= 5000; ++value) {
            ASSERT_EQ(value, ScaleFromDpi(ScaleToDpi(value, dpi), dpi)) << value << " at " << dpi;
        }
    }
}
