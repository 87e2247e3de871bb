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

// The system font asked for at 16 (cell) or -18 (characters) pixels' worth of another
// scale: a cell within a pixel of the height keeps it; the old size, a doubled one or two
// pixels off (a bitmap face's nearest) take a TrueType face; the system's own DPI no font.
TEST(Scale, DefaultLabelFontFollowsTheHeightGdiGave) {
    const struct {
        int32_t dpi, asked, cell, leading;
        DefaultLabelFont font;
    } rows[] = {
        {96, 16, 16, 3, DEFAULT_FONT_NONE},       // the system's DPI: measured or not, none
        {144, 24, 24, 3, DEFAULT_FONT_SCALED},    // 150 %, exact
        {144, 24, 25, 3, DEFAULT_FONT_SCALED},    // a pixel over
        {144, 24, 23, 3, DEFAULT_FONT_SCALED},    // a pixel under
        {144, 24, 26, 3, DEFAULT_FONT_TRUETYPE},  // two over
        {144, 24, 22, 3, DEFAULT_FONT_TRUETYPE},  // two under
        {144, 24, 16, 3, DEFAULT_FONT_TRUETYPE},  // the old size
        {192, 32, 64, 6, DEFAULT_FONT_TRUETYPE},  // doubled
        {120, -18, 22, 4, DEFAULT_FONT_SCALED},   // characters: the cell less its leading
        {120, -18, 22, 2, DEFAULT_FONT_TRUETYPE},
        {120, -18, 18, 0, DEFAULT_FONT_SCALED},
        {120, 0, 40, 9, DEFAULT_FONT_SCALED},  // the face's default height: nothing to miss
        {72, INT32_MIN, INT32_MAX, INT32_MIN, DEFAULT_FONT_TRUETYPE},  // no overflow
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.font, ChooseDefaultLabelFont(r.dpi, 96, r.asked, r.cell, r.leading))
            << r.dpi << " " << r.asked << " " << r.cell << " " << r.leading;
    }
}
