// The platform side of window placement, and the work area and frame sizes it rests on.
#pragma once

#include <windows.h>

#include <cstdint>

#include "window/placement.h"

// SetWindowPos flags: move, size and hide (0x0090); apply a style change in place and
// hide (0x00B3).
constexpr UINT MOVE_SIZE_HIDE = SWP_NOACTIVATE | SWP_HIDEWINDOW;
constexpr UINT FRAME_CHANGED_HIDE =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_HIDEWINDOW;
static_assert(MOVE_SIZE_HIDE == 0x0090, "move, size and hide");
static_assert(FRAME_CHANGED_HIDE == 0x00B3, "frame change only");

// The DPI the system font was made for: labels without a font of their own need one
// only at another DPI.
extern int32_t systemFontDpi;

// Fills workWidth and workHeight from the work area of the primary monitor: at start-up,
// and again when the taskbar or the display changed it.
void ReadWorkArea();

// Reads positionDpi from the primary monitor: at start-up, and again when the display
// or a monitor's scale changed.
void ReadPositionDpi();

// Fills the work area, the DPIs (the system font's; the primary monitor's for positions
// and the first layout) and the four frame extras from the system, once at start-up.
void ComputeDerivedFrameValues();

// Makes dpi the layouts' DPI and works the frame extras out again for it.
void UseDpi(int32_t dpi);

// Puts style on the window as its frame, its visibility left as it is; SetWindowPos with
// SWP_FRAMECHANGED makes it take effect.
void SetFrameStyle(HWND window, uint32_t style);

// Moves and sizes the window, puts the current frame on it and leaves it hidden. A
// minimised window stays so, and is restored to that place and size.
void ApplyPlacement(HWND window, int32_t x, int32_t y, int32_t width, int32_t height);

// The window's outer rectangle in screen coordinates; for a minimised window the one it
// is restored to.
PriorRect RestoredRect(HWND window);

// The first placement, from the position settings; always 1.
int PlaceWindow(HWND window, int32_t width, int32_t height);
