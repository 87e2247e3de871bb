// The two registry reads of the wallpaper source and the arming of the slideshow timer.
#pragma once

#include <windows.h>

#include <cstdint>

// Reads WallPaperSource and fills lines and lineCount from it; 1 on success.
// On failure lineCount is 0, every record is empty and currentPath is kept.
int ReadWallpaperLines();

// 1 and the milliseconds to one second past the next slideshow change, or
// 0 when the interval is missing, not exactly 4 bytes, or outside 1 to 2147482647.
int SlideshowDelay(int32_t* delay);

// Starts TIMER_SLIDESHOW on window for the next change, or nothing without a usable interval.
void ArmSlideshowTimer(HWND window);
