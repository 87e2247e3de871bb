// The wallpaper path and the display lines cut from it.
#pragma once

#include <cstdint>

#include "base/text.h"

constexpr int32_t MAX_LINES = 10;

// Size of the registry read of the wallpaper path: 260 units including the zero.
constexpr uint32_t WALLPAPER_DATA_BYTES = TEXT_UNITS * sizeof(char16_t);

// One display line: its label window (a plain value here; an HWND in the shell) and text.
struct LineLabel {
    uintptr_t window;
    char16_t text[TEXT_UNITS];
};

extern LineLabel lines[MAX_LINES];
extern int32_t lineCount;
extern char16_t currentPath[TEXT_UNITS];
extern char16_t previousPath[TEXT_UNITS];
// The title shown in place of currentPath's file name (Windows Spotlight's); empty: none.
extern char16_t currentTitle[TEXT_UNITS];

struct SplitLines {
    int32_t count;
    char16_t text[MAX_LINES][TEXT_UNITS];
};

// Cuts path into 1 to MAX_LINES texts, text[0] the file name. With
// padLines a line longer than 257 units stays unpadded. Texts from count on are empty.
void SplitWallpaperPath(const char16_t* path,
                        int32_t maxLines,
                        int32_t restOnLastLine,
                        int32_t showExtension,
                        int32_t padLines,
                        SplitLines* result);

// Fills lines and lineCount from a path read already (read: whether the read succeeded),
// with the settings' number of lines, extension and padding; returns read. A path other
// than currentPath becomes currentPath, and the one it replaces previousPath. A title
// (not empty) stands in lines[0] where the file's name would, whole and without
// extension handling; the folder lines stay the file's, and currentPath the file's path.
// On failure lineCount is 0, every record is empty and both paths and the title are kept.
int TakeWallpaperPath(int read, const char16_t* text, const char16_t* title = u"");

// The image cache value (TranscodedImageCache) that Windows 8 and later write at every
// change of the desktop picture: REG_BINARY, a 24-byte header, then the original path
// in UTF-16 with its terminating zero. The read buffer leaves room beyond the usual
// 800 bytes; a larger value fails the read like any other unusable one.
constexpr uint32_t IMAGE_CACHE_TYPE = 3;  // REG_BINARY
constexpr uint32_t IMAGE_CACHE_PATH_OFFSET = 24;
constexpr uint32_t IMAGE_CACHE_DATA_BYTES = 2048;

// The picture's path from the image cache's bytes: 1 when the type is binary, the size
// even, and a zero unit ends a path of 1 to 259 units starting at byte 24. Otherwise 0
// and an empty path: the caller then reads the older value.
int PathFromImageCache(uint32_t type, const uint8_t* data, uint32_t bytes, char16_t (&path)[TEXT_UNITS]);

// With a picture per monitor, Windows 8 and later also write TranscodedImageCache_000,
// _001, ... (TranscodedImageCount of them), one per monitor, laid out as the image
// cache and holding, from byte 544, the monitor's device interface path in UTF-16 with
// its terminating zero. Which index is which monitor is not fixed: the device path is.
constexpr uint32_t IMAGE_CACHE_DEVICE_OFFSET = 544;
constexpr uint32_t MAX_MONITOR_CACHES = 16;

// The picture of one per-monitor value when it is the monitor's: 1 and the path when a
// zero unit on a code-unit boundary at or after byte 544 ends a device field that equals
// monitor whole (letters compared without regard to case; an empty one equals none),
// and the path is usable (PathFromImageCache). Otherwise 0 and an empty path.
int PathForMonitor(uint32_t type,
                   const uint8_t* data,
                   uint32_t bytes,
                   const char16_t* monitor,
                   char16_t (&path)[TEXT_UNITS]);

// Which of count monitor IDs (the desktop wallpaper interface's device paths) names
// monitor, letters compared without regard to case: its index, or -1 when none does or
// monitor is empty.
int32_t FindMonitorId(const char16_t* const* ids, uint32_t count, const char16_t* monitor);

// Turns the bytes that the registry returned (bytes of them, at most
// WALLPAPER_DATA_BYTES) into a terminated text; 0 when they are no usable text.
// Whole code units only; the text ends at the first zero or the end of the data;
// 0 bytes give an empty text; 260 units without a zero are a failure (empty text).
int WallpaperTextFromData(const uint8_t* data, uint32_t bytes, char16_t (&text)[TEXT_UNITS]);

// Asks for the per-monitor value of one index: 1 and its type, bytes and size; 0 when
// no value of that index exists; -1 when one exists but cannot be read.
using MonitorCacheReader =
    int (*)(void* context, uint32_t index, uint32_t* type, uint8_t* data, uint32_t* bytes);

// The picture of monitor's own per-monitor value. With a usable TranscodedImageCount
// (count 0 to MAX_MONITOR_CACHES) every index below it is tried, a missing one passed
// over: a monitor that went away leaves a gap. Without one (count -1) the search ends at
// the first missing index. 1 and the path, or 0 and an empty path.
int FindMonitorPicture(MonitorCacheReader read,
                       void* context,
                       int32_t count,
                       const char16_t* monitor,
                       uint8_t (&cache)[IMAGE_CACHE_DATA_BYTES],
                       char16_t (&path)[TEXT_UNITS]);
