// Option values count pixels of a 100 % (96-DPI) screen, which is also what Windows'
// stretching makes of them for a program that declares no awareness. A layout turns
// them into the screen's own pixels with the rounding of MulDiv.
#pragma once

#include <cstdint>

constexpr int32_t BASE_DPI = 96;

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
