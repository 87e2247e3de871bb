// Option values count pixels of a 100 % (96-DPI) screen, which is also what Windows'
// stretching makes of them for a program that declares no awareness. A layout turns
// them into the screen's own pixels with the rounding of MulDiv.
#pragma once

#include <cstdint>

constexpr int32_t BASE_DPI = 96;

// Geometry is worked out in 64 bits and only the finished value is held to the
// 32-bit range, so an extreme setting ends at the edge of the coordinate space
// instead of wrapping round (or being undefined).
inline int32_t ClampToInt32(int64_t value) {
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
}

// The DPI the layouts work at: the monitor the window stands on. BASE_DPI until the
// shell has asked the system.
extern int32_t layoutDpi;

// The DPI that pixel positions of the options are counted in: the primary monitor's at
// start, wherever the window stands later, so that a position means one place.
extern int32_t positionDpi;

// value × dpi / 96 and pixels × 96 / dpi, rounded half away from zero as MulDiv does,
// worked out in 64 bits and held to the 32-bit range. A DPI of 0 or less leaves the
// value as it is.
int32_t ScaleToDpi(int32_t value, int32_t dpi);
int32_t ScaleFromDpi(int32_t pixels, int32_t dpi);
// value × dpi / fromDpi, rounded the same way.
int32_t ScaleBetweenDpis(int32_t value, int32_t dpi, int32_t fromDpi);

// The font of labels without one of their own. At the system font's DPI none: they show
// the system font as it was made. At another, the system font with its height scaled;
// but Windows' "System" is a bitmap face with few sizes, which may come back at its old
// size or doubled: when the cell GDI gave misses the height asked by more than a pixel,
// a TrueType face at that height instead.
enum DefaultLabelFont : int32_t { DEFAULT_FONT_NONE, DEFAULT_FONT_SCALED, DEFAULT_FONT_TRUETYPE };

// asked: the LOGFONT height asked for (above 0 the cell's, below 0 the characters', the
// cell less its internal leading; 0 the face's default); cellHeight and internalLeading:
// what GDI gave for it.
DefaultLabelFont ChooseDefaultLabelFont(int32_t dpi,
                                        int32_t systemDpi,
                                        int32_t asked,
                                        int32_t cellHeight,
                                        int32_t internalLeading);
