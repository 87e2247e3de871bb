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

// The system font asked for as a cell of 24 pixels at 150 % (or characters of 18 at
// 125 %): GDI's answer within a pixel keeps it; two off, the old size or doubled (a
// bitmap face's nearest) take a TrueType face; at the system's own DPI no font at all.
// A height of 0 (the face's default) has nothing to miss; extremes do not overflow.
TEST(Scale, DefaultLabelFontFollowsTheHeightGdiGave) {
    const DefaultLabelFont none = DEFAULT_FONT_NONE, scaled = DEFAULT_FONT_SCALED,
                           other = DEFAULT_FONT_TRUETYPE;
    const struct {
        int32_t dpi, asked, cell, leading;
        DefaultLabelFont font;
    } rows[] = {
        {96, 16, 32, 3, none},    {144, 24, 24, 3, scaled}, {144, 24, 25, 3, scaled},
        {144, 24, 23, 3, scaled}, {144, 24, 26, 3, other},  {144, 24, 22, 3, other},
        {144, 24, 16, 3, other},  {192, 32, 64, 6, other},  {120, -18, 22, 4, scaled},
        {120, -18, 22, 2, other}, {120, 0, 40, 9, scaled},  {72, INT32_MIN, INT32_MAX, INT32_MIN, other}};
    for (const auto& r : rows) {
        EXPECT_EQ(r.font, ChooseDefaultLabelFont(r.dpi, 96, r.asked, r.cell, r.leading))
            << r.dpi << " " << r.cell;
    }
}
