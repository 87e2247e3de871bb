#include "wallpaper/registry_win.h"

#include "base/ids.h"
#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/slideshow.h"

namespace {

const wchar_t WALLPAPER_KEY[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t WALLPAPER_VALUE[] = L"WallPaperSource";
const wchar_t DESKTOP_KEY[] = L"Control Panel\\Desktop";
const wchar_t IMAGE_CACHE_VALUE[] = L"TranscodedImageCache";
const wchar_t IMAGE_COUNT_VALUE[] = L"TranscodedImageCount";
const wchar_t SLIDESHOW_KEY[] = L"Control Panel\\Personalization\\Desktop Slideshow";
const wchar_t INTERVAL_VALUE[] = L"Interval";

// One value of an open key. *bytes is the buffer's size on entry and, on success, the
// size the registry actually wrote: the callers read only that much, so a short value
// never brings in bytes of an earlier read. The type variable is preset and only handed
// back (*type) to a caller that asks for it. Data longer than the buffer makes the query
// answer ERROR_MORE_DATA, a failure like any other status.
LONG QueryValue(HKEY key,
                const wchar_t* name,
                DWORD presetType,
                BYTE* data,
                DWORD* bytes,
                DWORD* type = nullptr) {
    DWORD storedType = presetType;
    const LONG status = RegQueryValueExW(key, name, nullptr, &storedType, data, bytes);
    if (type != nullptr) {
        *type = storedType;
    }
    return status;
}

// One value of a key of the current user, as QueryValue; 1 on success.
int ReadUserValue(const wchar_t* subkey,
                  const wchar_t* name,
                  DWORD presetType,
                  BYTE* data,
                  DWORD* bytes,
                  DWORD* type = nullptr) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    const LONG status = QueryValue(key, name, presetType, data, bytes, type);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// The picture of monitor's own per-monitor value. _000 is asked first, so that a desktop
// without these values costs one query; then as many as TranscodedImageCount says (none
// when it is 0), else up to the first missing index, at most 16 either way. A missing
// index always ends the search: Windows writes them without gaps. cache is the read buffer.
int ReadMonitorImageCache(HKEY key,
                          const char16_t* monitor,
                          BYTE (&cache)[IMAGE_CACHE_DATA_BYTES],
                          char16_t (&path)[TEXT_UNITS]) {
    if (monitor[0] == 0) {
        return 0;  // no monitor path: no value can be its
    }
    wchar_t name[] = L"TranscodedImageCache_000";
    const size_t tens = ArrayCount(name) - 3;
    DWORD bytes = sizeof(cache);
    DWORD type = 0;
    LONG status = QueryValue(key, name, REG_BINARY, cache, &bytes, &type);
    if (status == ERROR_FILE_NOT_FOUND) {
        return 0;
    }
    DWORD count = 0;
    DWORD countBytes = sizeof(count);
    DWORD countType = 0;
    DWORD limit = MAX_MONITOR_CACHES;
    if (QueryValue(key, IMAGE_COUNT_VALUE, REG_DWORD, reinterpret_cast<BYTE*>(&count), &countBytes,
                   &countType) == ERROR_SUCCESS &&
        countType == REG_DWORD && countBytes == sizeof(count) && count < limit) {
        limit = count;
    }
    for (DWORD i = 0; i < limit; ++i) {
        if (i > 0) {
            name[tens] = static_cast<wchar_t>(L'0' + i / 10);
            name[tens + 1] = static_cast<wchar_t>(L'0' + i % 10);
            bytes = sizeof(cache);
            status = QueryValue(key, name, REG_BINARY, cache, &bytes, &type);
            if (status == ERROR_FILE_NOT_FOUND) {
                break;
            }
        }
        if (status == ERROR_SUCCESS && PathForMonitor(type, cache, bytes, monitor, path)) {
            return 1;
        }
    }
    path[0] = 0;
    return 0;
}

// The key whose values change with every new desktop picture, and the event its
// change notice sets; both live until StopWatchingDesktopKey.
HKEY desktopKey;
HANDLE desktopChanged;

}  // namespace

// Windows 8 and later no longer keep WallPaperSource up to date: the picture on the
// desktop, the slideshow's included, is named by the image cache, which Windows writes
// at every change. With a picture per monitor the plain cache names the one applied
// last, perhaps another monitor's, so the monitor's own value comes first. Where there
// is no usable cache (Windows 7, Wine) the older value is read as before.
int ReadWallpaperPath(const char16_t* monitor, char16_t (&path)[TEXT_UNITS]) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, DESKTOP_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        BYTE cache[IMAGE_CACHE_DATA_BYTES];
        DWORD bytes = sizeof(cache);
        DWORD type = 0;
        const int found =
            ReadMonitorImageCache(key, monitor, cache, path) ||
            (QueryValue(key, IMAGE_CACHE_VALUE, REG_BINARY, cache, &bytes, &type) == ERROR_SUCCESS &&
             PathFromImageCache(type, cache, bytes, path));
        RegCloseKey(key);
        if (found) {
            return 1;
        }
    }
    BYTE data[WALLPAPER_DATA_BYTES] = {};
    DWORD bytes = sizeof(data);
    if (!ReadUserValue(WALLPAPER_KEY, WALLPAPER_VALUE, REG_SZ, data, &bytes)) {
        path[0] = 0;
        return 0;
    }
    return WallpaperTextFromData(data, bytes, path);
}

int ReadWallpaperLines(const char16_t* monitor) {
    lineCount = 0;
    for (LineLabel& line : lines) {
        line = LineLabel{};
    }

    char16_t text[TEXT_UNITS];
    if (!ReadWallpaperPath(monitor, text)) {
        return 0;
    }
    // Two refreshes (the slideshow timer and the change notice) may read the same
    // change: only a new path makes the shown one the previous.
    if (!TextEquals(text, currentPath)) {
        CopyText(previousPath, currentPath);
        CopyText(currentPath, text);
    }
    SplitLines split;
    SplitWallpaperPath(text, settings.maxLines, settings.restOnLastLine, settings.showExtension,
                       settings.padLines, &split);
    for (int32_t i = 0; i < split.count; ++i) {
        CopyText(lines[i].text, split.text[i]);
    }
    lineCount = split.count;
    return 1;
}

int SlideshowDelay(int32_t* delay) {
    BYTE data[4] = {};
    DWORD bytes = sizeof(data);
    if (!ReadUserValue(SLIDESHOW_KEY, INTERVAL_VALUE, REG_DWORD, data, &bytes)) {
        return 0;
    }
    int32_t interval;
    if (!IntervalFromData(data, bytes, &interval) || !IntervalIsUsable(interval)) {
        return 0;  // Too short, zero, negative or too large: as if no slideshow were set.
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    *delay = NextChangeDelay(interval, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return 1;
}

void ArmSlideshowTimer(HWND window) {
    int32_t delay;
    if (!SlideshowDelay(&delay)) {
        return;
    }
    SetTimer(window, TIMER_SLIDESHOW, static_cast<UINT>(delay), nullptr);
}

// The notice is one-shot: each call asks for the next change. Asked for before the
// path is read, so that a change during the read is not lost.
HANDLE WatchDesktopKey() {
    if (desktopChanged == nullptr) {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, DESKTOP_KEY, 0, KEY_NOTIFY, &desktopKey) != ERROR_SUCCESS) {
            return nullptr;
        }
        desktopChanged = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (desktopChanged == nullptr) {
            RegCloseKey(desktopKey);
            return nullptr;
        }
    }
    if (RegNotifyChangeKeyValue(desktopKey, FALSE, REG_NOTIFY_CHANGE_LAST_SET, desktopChanged, TRUE) !=
        ERROR_SUCCESS) {
        StopWatchingDesktopKey();
        return nullptr;
    }
    return desktopChanged;
}

void StopWatchingDesktopKey() {
    if (desktopChanged != nullptr) {
        RegCloseKey(desktopKey);
        CloseHandle(desktopChanged);
        desktopChanged = nullptr;
    }
}
