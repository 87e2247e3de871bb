#include "window/scale.h"

int32_t layoutDpi = BASE_DPI;
int32_t positionDpi = BASE_DPI;

namespace {

// MulDiv's rounding: half a unit goes away from zero. Truncation would lose a pixel for
// thousands of values at 120 and 144 DPI, and the way back would not find the option.
int32_t MulDivRounded(int32_t value, int32_t numerator, int32_t denominator) {
    if (numerator <= 0 || denominator <= 0) {
        return value;
    }
    const int64_t product = int64_t{value} * numerator;
    const int64_t half = denominator / 2;
    return ClampToInt32(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

int32_t ScaleBetweenDpis(int32_t value, int32_t dpi, int32_t fromDpi) {
    return MulDivRounded(value, dpi, fromDpi);
}

int32_t ScaleToDpi(int32_t value, int32_t dpi) {
    return MulDivRounded(value, dpi, BASE_DPI);
}

int32_t ScaleFromDpi(int32_t pixels, int32_t dpi) {
    return MulDivRounded(pixels, BASE_DPI, dpi);
}

DefaultLabelFont ChooseDefaultLabelFont(int32_t dpi,
                                        int32_t systemDpi,
                                        int32_t asked,
                                        int32_t cellHeight,
                                        int32_t internalLeading) {
    if (dpi == systemDpi) {
        return DEFAULT_FONT_NONE;
    }
    const int64_t given = asked < 0 ? int64_t{cellHeight} - internalLeading : int64_t{cellHeight};
    const int64_t miss = given - (asked < 0 ? -int64_t{asked} : int64_t{asked});
    return asked != 0 && (miss > 1 || miss < -1) ? DEFAULT_FONT_TRUETYPE : DEFAULT_FONT_SCALED;
}
