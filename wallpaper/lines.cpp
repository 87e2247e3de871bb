#include "wallpaper/lines.h"

#include "base/settings.h"

LineLabel lines[MAX_LINES];
int32_t lineCount;
char16_t currentPath[TEXT_UNITS];
char16_t previousPath[TEXT_UNITS];
char16_t currentTitle[TEXT_UNITS];

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

// Device paths are ASCII; Windows writes the class identifier in lower case where a
// monitor may report it in upper case.
char16_t FoldCase(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

// Whether the device path whose units unitAt(n) gives ends with a zero among its first
// available units and equals monitor up to there, letters in either case.
template <typename UnitAt>
int SameDevicePath(UnitAt unitAt, size_t available, const char16_t* monitor) {
    for (size_t n = 0; n < available; ++n) {
        const char16_t unit = unitAt(n);
        if (FoldCase(unit) != FoldCase(monitor[n])) {
            return 0;  // another monitor, or a path longer or shorter than monitor
        }
        if (unit == 0) {
            return 1;
        }
    }
    return 0;  // no zero inside
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

namespace {

// The file's lines with title in place of its name. Split as with the extension shown:
// the title has no extension to lose, and a file name without a full stop would let the
// cut fall in a folder's name. In line 0 the title replaces what follows the last
// backslash (the whole line when only the name is there), so that the rest of the path
// on one line keeps its folders; a cut falls between two characters.
void SplitTitledPath(const char16_t* path, const char16_t* title, SplitLines* result) {
    SplitWallpaperPath(path, settings.maxLines, settings.restOnLastLine, 1, 0, result);
    char16_t(&line)[TEXT_UNITS] = result->text[0];
    size_t name = TextLength(line, ArrayCount(line));
    while (name > 1 && line[name - 1] != BACKSLASH) {
        --name;
    }
    line[name > 1 ? name : 0] = 0;
    if (!AppendText(line, title)) {
        const size_t n = TextLength(line, ArrayCount(line));
        if (line[n - 1] >= 0xD800 && line[n - 1] <= 0xDBFF) {
            line[n - 1] = 0;  // the first half of a pair whose second did not fit
        }
    }
    for (int32_t i = 0; i < result->count && settings.padLines; ++i) {
        PadLine(result->text[i]);
    }
}

}  // namespace

int TakeWallpaperPath(int read, const char16_t* text, const char16_t* title) {
    lineCount = 0;
    for (LineLabel& line : lines) {
        line = LineLabel{};
    }
    if (!read) {
        return 0;
    }
    // Two refreshes (the slideshow timer and the change notice) may read the same
    // change: only a new path makes the shown one the previous.
    if (!TextEquals(text, currentPath)) {
        CopyText(previousPath, currentPath);
        CopyText(currentPath, text);
    }
    CopyText(currentTitle, title);
    SplitLines split;
    if (title[0] != 0) {
        SplitTitledPath(text, title, &split);
    } else {
        SplitWallpaperPath(text, settings.maxLines, settings.restOnLastLine, settings.showExtension,
                           settings.padLines, &split);
    }
    for (int32_t i = 0; i < split.count; ++i) {
        CopyText(lines[i].text, split.text[i]);
    }
    lineCount = split.count;
    return 1;
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

// Only a fully framed path counts: a value cut short, without its zero or with a path
// too long for currentPath would name a file that is not the one on the desktop, and
// the older value is the better guess then.
int PathFromImageCache(uint32_t type, const uint8_t* data, uint32_t bytes, char16_t (&path)[TEXT_UNITS]) {
    path[0] = 0;
    if (type != IMAGE_CACHE_TYPE || bytes % sizeof(char16_t) != 0 || bytes < IMAGE_CACHE_PATH_OFFSET) {
        return 0;
    }
    const uint8_t* units = data + IMAGE_CACHE_PATH_OFFSET;
    const size_t available = (bytes - IMAGE_CACHE_PATH_OFFSET) / sizeof(char16_t);
    size_t n = 0;
    for (;; ++n) {
        if (n == available) {
            path[0] = 0;
            return 0;  // no zero inside the value
        }
        const char16_t unit = static_cast<char16_t>(units[2 * n] | units[2 * n + 1] << 8);
        if (unit == 0) {
            break;
        }
        if (n == ArrayCount(path) - 1) {
            path[0] = 0;
            return 0;  // a path of 260 units or more
        }
        path[n] = unit;
    }
    path[n] = 0;
    return n > 0;
}

// The field is compared where it lies, up to its zero, which must lie inside the value
// on a code-unit boundary. Windows reports it empty for a monitor it calls
// Default_Monitor: such a value names no monitor, and the plain image cache is the
// better guess then.
int PathForMonitor(uint32_t type,
                   const uint8_t* data,
                   uint32_t bytes,
                   const char16_t* monitor,
                   char16_t (&path)[TEXT_UNITS]) {
    path[0] = 0;
    if (monitor[0] == 0 || bytes <= IMAGE_CACHE_DEVICE_OFFSET) {
        return 0;
    }
    const uint8_t* units = data + IMAGE_CACHE_DEVICE_OFFSET;
    const auto fieldUnit = [units](size_t n) {
        return static_cast<char16_t>(units[2 * n] | units[2 * n + 1] << 8);
    };
    if (!SameDevicePath(fieldUnit, (bytes - IMAGE_CACHE_DEVICE_OFFSET) / sizeof(char16_t), monitor)) {
        return 0;
    }
    return PathFromImageCache(type, data, bytes, path);
}

int32_t FindMonitorId(const char16_t* const* ids, uint32_t count, const char16_t* monitor) {
    for (uint32_t i = 0; i < count && monitor[0] != 0; ++i) {
        const char16_t* id = ids[i];
        if (SameDevicePath([id](size_t n) { return id[n]; }, SIZE_MAX, monitor)) {
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
