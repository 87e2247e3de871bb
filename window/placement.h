// Window placement arithmetic and the frame choice.
#pragma once

#include <cstdint>

#include "window/scale.h"

constexpr uint32_t STYLE_CAPTION = 0x10CA0000;  // visible, caption, system menu, minimise box
constexpr uint32_t STYLE_THIN = 0x104A0000;     // visible, dialog frame, system menu, minimise box
constexpr uint32_t STYLE_BARE = 0x100A0000;     // visible, system menu, minimise box

struct WindowPoint {
    int32_t x;
    int32_t y;
};

// The window's outer rectangle when a refresh began.
struct PriorRect {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

struct FrameExtra {
    int32_t cx;
    int32_t cy;
};

WindowPoint InitialPosition(int32_t width, int32_t height);
WindowPoint KeepPosition(PriorRect prior, int32_t width, int32_t height);
// The point of a window at rect that KeepPosition holds in place (to a pixel) whatever
// the new size: the monitor under it is the window's, so a layout never changes it.
WindowPoint AnchorPoint(PriorRect rect);
uint32_t CurrentFrameStyle();
FrameExtra CurrentFrameExtra();
