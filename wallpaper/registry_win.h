// The registry reads of the wallpaper source and its Spotlight title, the change notices
// of the keys that name them, and the arming of the slideshow timer.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/text.h"

// The path of the picture on the monitor whose device interface path is monitor (may
// be empty): its own image cache value's, else the plain image cache's when that holds
// a usable one, else WallPaperSource's; 1 on success, 0 and an empty path when none
// can be read.
int ReadWallpaperPath(const char16_t* monitor, char16_t (&path)[TEXT_UNITS]);

// Reads the path for monitor, as ReadWallpaperPath (empty: no monitor's own value), and
// its Spotlight title, and fills lines and lineCount from them (TakeWallpaperPath); 1 on
// success.
int ReadWallpaperLines(const char16_t* monitor = u"");

// Windows Spotlight's title for the picture at path (DesktopSpotlight\Creatives): 1 and
// the title, or 0 and an empty one (no such key or value, a value larger than 256 KiB or
// not JSON, no item naming the picture, no title).
int ReadSpotlightTitle(const char16_t* path, char16_t (&title)[TEXT_UNITS]);

// 1 and the milliseconds to one second past the next slideshow change, or
// 0 when the interval is missing, not exactly 4 bytes, or outside 1 to 2147482647.
int SlideshowDelay(int32_t* delay);

// Asks for a notice at the next change of a value of Control Panel\Desktop (where
// Windows 8 and later record each new desktop picture), of WallPaperSource's key
// (Windows 7) and, where it exists, of Spotlight's DesktopSpotlight\Creatives. Call
// before the first read.
void WatchWallpaperKeys();
// Starts the waiter: from now on each notice posts WM_DESKTOPCHANGED to window, wParam
// naming the key, the next notice already asked for.
void PostWallpaperNoticesTo(HWND window);
// Stops and joins the waiter, then closes the events and keys.
void StopWatchingWallpaperKeys();

// Starts TIMER_SLIDESHOW on window for the next change, or nothing without a usable interval.
void ArmSlideshowTimer(HWND window);
