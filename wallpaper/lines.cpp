#include "wallpaper/lines.h"

LineLabel lines[MAX_LINES];
int32_t lineCount;
char16_t currentPath[TEXT_UNITS];
char16_t previousPath[TEXT_UNITS];

namespace {

constexpr char16_t BACKSLASH = u'\\';
constexpr char16_t FULL_STOP = u'.';
constexpr char16_t BLANK = u' ';

// " %s " in place. A line of more than TEXT_UNITS - 3 (257) units has no room for the
// two blanks and is left as it is: the blanks are only a margin, while cutting the line
// would drop the end of the name the window is there to show.
void PadLine(char16_t (&line)[TEXT_UNITS]) {
    size_t n = TextLength(line, ArrayCount(line));
    if (n + 3 > ArrayCount(line)) {
        return;
    }
    line[n + 2] = 0;
    line[n + 1] = BLANK;
    for (size_t i = n; i > 0; --i) {
        line[i] = line[i - 1];
    }
    line[0] = BLANK;
}

}  // namespace

// The scans never look at position 0, so a leading
// full stop or backslash is never a cut point. A path longer than 259 units (never
// the case for a registry read) is first cut to the 260-unit buffer.
void SplitWallpaperPath(const char16_t* path,
                        int32_t maxLines,
                        int32_t restOnLastLine,
                        int32_t showExtension,
                        int32_t padLines,
                        SplitLines* result) {
    char16_t text[TEXT_UNITS];
    CopyText(text, path);
    int32_t n = static_cast<int32_t>(TextLength(text, ArrayCount(text)));

    if (!showExtension) {
        for (int32_t p = n - 1; p >= 1; --p) {
            if (text[p] == FULL_STOP) {
                text[p] = 0;
                n = p;
                break;
            }
        }
    }

    int32_t count = 0;
    for (int32_t p = n; p >= 1; --p) {
        if (count >= maxLines || count >= MAX_LINES) {
            break;
        }
        // count + 1 rather than maxLines - 1: no overflow for any maxLines.
        if (restOnLastLine && count + 1 == maxLines) {
            break;
        }
        if (text[p] == BACKSLASH) {
            CopyText(result->text[count], text + p + 1);
            text[p] = 0;
            ++count;
        }
    }
    if (count < maxLines && count < MAX_LINES) {
        CopyText(result->text[count], text);
        ++count;
    }

    for (int32_t i = 0; i < MAX_LINES; ++i) {
        if (i >= count) {
            result->text[i][0] = 0;
        } else if (padLines) {
            PadLine(result->text[i]);
        }
    }
    result->count = count;
}

// The registry gives bytes, not a text: only whole code units count (an odd last
// byte is dropped), the text ends at the first zero or at the end of the data, and
// nothing past the data is looked at. 260 units without a zero mean a stored path of
// at least 260 characters, which does not fit currentPath: like data longer than 520
// bytes (which the registry refuses with ERROR_MORE_DATA) it is a failed read, rather
// than a cut path that would name a file that does not exist.
int WallpaperTextFromData(const uint8_t* data, uint32_t bytes, char16_t (&text)[TEXT_UNITS]) {
    text[0] = 0;
    if (bytes > WALLPAPER_DATA_BYTES) {
        return 0;
    }
    size_t units = bytes / sizeof(char16_t);
    size_t n = 0;
    while (n < units) {
        char16_t unit = static_cast<char16_t>(data[2 * n] | data[2 * n + 1] << 8);
        if (unit == 0) {
            break;
        }
        text[n] = unit;
        ++n;
    }
    if (n >= ArrayCount(text)) {
        text[0] = 0;
        return 0;
    }
    text[n] = 0;
    return 1;
}

namespace {

// The units from data up to their zero, which must lie inside the value on a code-unit
// boundary; none, or too many for text, leave text empty and give 0, as an empty text does.
int TextUpToZero(const uint8_t* units, size_t available, char16_t (&text)[TEXT_UNITS]) {
    size_t n = 0;
    for (;; ++n) {
        if (n == available) {
            text[0] = 0;
            return 0;  // no zero inside the value
        }
        const char16_t unit = static_cast<char16_t>(units[2 * n] | units[2 * n + 1] << 8);
        if (unit == 0) {
            break;
        }
        if (n == ArrayCount(text) - 1) {
            text[0] = 0;
            return 0;  // 260 units or more
        }
        text[n] = unit;
    }
    text[n] = 0;
    return n > 0;
}

// Device paths are ASCII; Windows writes the class identifier in lower case where a
// monitor may report it in upper case.
char16_t FoldCase(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

int SameDevicePath(const char16_t* a, const char16_t* b) {
    size_t n = 0;
    while (FoldCase(a[n]) == FoldCase(b[n]) && a[n] != 0) {
        ++n;
    }
    return a[n] == b[n];  // both ended together
}

}  // namespace

// Only a fully framed path counts: a value cut short, without its zero or with a path
// too long for currentPath would name a file that is not the one on the desktop, and
// the older value is the better guess then.
int PathFromImageCache(uint32_t type, const uint8_t* data, uint32_t bytes, char16_t (&path)[TEXT_UNITS]) {
    path[0] = 0;
    if (type != IMAGE_CACHE_TYPE || bytes % sizeof(char16_t) != 0 || bytes < IMAGE_CACHE_PATH_OFFSET) {
        return 0;
    }
    return TextUpToZero(data + IMAGE_CACHE_PATH_OFFSET, (bytes - IMAGE_CACHE_PATH_OFFSET) / sizeof(char16_t),
                        path);
}

// The field ends at its zero. Windows reports it empty for a monitor it calls
// Default_Monitor: such a value names no monitor, and the plain image cache is the
// better guess then.
int PathForMonitor(uint32_t type,
                   const uint8_t* data,
                   uint32_t bytes,
                   const char16_t* monitor,
                   char16_t (&path)[TEXT_UNITS]) {
    path[0] = 0;
    char16_t field[TEXT_UNITS];
    if (monitor[0] == 0 || bytes <= IMAGE_CACHE_DEVICE_OFFSET ||
        !TextUpToZero(data + IMAGE_CACHE_DEVICE_OFFSET,
                      (bytes - IMAGE_CACHE_DEVICE_OFFSET) / sizeof(char16_t), field) ||
        !SameDevicePath(field, monitor)) {
        return 0;  // another monitor, or no field
    }
    return PathFromImageCache(type, data, bytes, path);
}

int32_t FindMonitorId(const char16_t* const* ids, uint32_t count, const char16_t* monitor) {
    for (uint32_t i = 0; i < count && monitor[0] != 0; ++i) {
        if (SameDevicePath(ids[i], monitor)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int FindMonitorPicture(MonitorCacheReader read,
                       void* context,
                       int32_t count,
                       const char16_t* monitor,
                       uint8_t (&cache)[IMAGE_CACHE_DATA_BYTES],
                       char16_t (&path)[TEXT_UNITS]) {
    path[0] = 0;
    const bool counted = count >= 0 && count <= static_cast<int32_t>(MAX_MONITOR_CACHES);
    const uint32_t limit = counted ? static_cast<uint32_t>(count) : MAX_MONITOR_CACHES;
    for (uint32_t i = 0; i < limit && monitor[0] != 0; ++i) {
        uint32_t type = 0;
        uint32_t bytes = sizeof(cache);
        const int found = read(context, i, &type, cache, &bytes);
        if (found == 0 && !counted) {
            break;
        }
        if (found > 0 && bytes <= sizeof(cache) && PathForMonitor(type, cache, bytes, monitor, path)) {
            return 1;
        }
    }
    return 0;
}
