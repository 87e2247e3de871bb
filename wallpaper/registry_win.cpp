#include "wallpaper/registry_win.h"

#include <cstring>

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

// Where the pool's callbacks post their message; set once, before the first wait.
HWND noticeWindow;

// One value of a key of the current user. *bytes is the buffer's size on entry and,
// on success, the size the registry actually wrote: the callers read only that much,
// so a short value never brings in bytes of an earlier read. The type variable is
// preset and only handed back (*type) to a caller that asks for it. Data longer than
// the buffer makes the query answer ERROR_MORE_DATA, a failure like any other status.
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
    DWORD storedType = presetType;
    LONG status = RegQueryValueExW(key, name, nullptr, &storedType, data, bytes);
    RegCloseKey(key);
    if (type != nullptr) {
        *type = storedType;
    }
    return status == ERROR_SUCCESS;
}

// How many per-monitor values to look at: TranscodedImageCount when it is a count, at
// most 16; 16 (and the first missing index ends the search) without one.
DWORD MonitorCacheLimit(HKEY key) {
    DWORD count = 0;
    DWORD bytes = sizeof(count);
    DWORD type = 0;
    if (RegQueryValueExW(key, IMAGE_COUNT_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&count), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof(count) || count > MAX_MONITOR_CACHES) {
        return MAX_MONITOR_CACHES;
    }
    return count;
}

// The picture of monitor's own per-monitor value. _000 is asked first, so that a desktop
// without these values costs one query more than the plain value; a missing index ends
// the search, as does the count (none when it is 0). cache is the caller's read buffer.
int ReadMonitorImageCache(const char16_t* monitor,
                          BYTE (&cache)[IMAGE_CACHE_DATA_BYTES],
                          char16_t (&path)[TEXT_UNITS]) {
    HKEY key;
    if (monitor[0] == 0 ||
        RegOpenKeyExW(HKEY_CURRENT_USER, DESKTOP_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;  // without the monitor's path no value can be its
    }
    // TranscodedImageCache_000 and up, made from the plain value's name.
    constexpr size_t plain = ArrayCount(IMAGE_CACHE_VALUE) - 1;
    wchar_t name[plain + 5];
    memcpy(name, IMAGE_CACHE_VALUE, sizeof(IMAGE_CACHE_VALUE));
    name[plain] = L'_';
    name[plain + 1] = L'0';
    name[plain + 4] = 0;
    int found = 0;
    for (DWORD i = 0, limit = 1; i < limit; ++i) {
        name[plain + 2] = static_cast<wchar_t>(L'0' + i / 10);
        name[plain + 3] = static_cast<wchar_t>(L'0' + i % 10);
        DWORD type = 0;
        DWORD bytes = sizeof(cache);
        const LONG status = RegQueryValueExW(key, name, nullptr, &type, cache, &bytes);
        if (status == ERROR_FILE_NOT_FOUND) {
            break;
        }
        if (i == 0) {
            limit = MonitorCacheLimit(key);
        }
        if (i < limit && status == ERROR_SUCCESS && PathForMonitor(type, cache, bytes, monitor, path)) {
            found = 1;
            break;
        }
    }
    RegCloseKey(key);
    return found;
}

// The keys whose values name the desktop picture: Control Panel\Desktop, where Windows
// 8 and later record each new picture, and WallPaperSource's, which Windows 7 keeps.
// Each has its own notice and event; the thread pool waits for the events.
struct KeyWatch {
    const wchar_t* subkey;
    HKEY key;
    HANDLE changed;
    HANDLE wait;
};
KeyWatch watches[] = {{DESKTOP_KEY, nullptr, nullptr, nullptr}, {WALLPAPER_KEY, nullptr, nullptr, nullptr}};

void StopWatching(KeyWatch& watch) {
    if (watch.wait != nullptr) {
        // Waits out a callback under way, so that nothing uses the event once it is closed.
        UnregisterWaitEx(watch.wait, INVALID_HANDLE_VALUE);
        watch.wait = nullptr;
    }
    if (watch.changed != nullptr) {
        CloseHandle(watch.changed);
        watch.changed = nullptr;
    }
    if (watch.key != nullptr) {
        RegCloseKey(watch.key);
        watch.key = nullptr;
    }
}

// A notice is one-shot: each call asks for the next change.
int AskForNotice(KeyWatch& watch) {
    return RegNotifyChangeKeyValue(watch.key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, watch.changed, TRUE) ==
           ERROR_SUCCESS;
}

// Runs on a thread of the pool: the main thread does the rest, where every other
// refresh runs and where the next notice must be asked for.
VOID CALLBACK OnKeyChanged(PVOID context, BOOLEAN) {
    const KeyWatch* watch = static_cast<const KeyWatch*>(context);
    PostMessageW(noticeWindow, WM_DESKTOPCHANGED, static_cast<WPARAM>(watch - watches), 0);
}

}  // namespace

// Windows 8 and later no longer keep WallPaperSource up to date: the picture on the
// desktop, the slideshow's included, is named by the image cache, which Windows writes
// at every change. With a picture per monitor the plain cache names the one applied
// last, perhaps another monitor's, so the monitor's own value comes first. Where there
// is no usable cache (Windows 7, Wine) the older value is read as before.
int ReadWallpaperPath(const char16_t* monitor, char16_t (&path)[TEXT_UNITS]) {
    BYTE cache[IMAGE_CACHE_DATA_BYTES];
    if (ReadMonitorImageCache(monitor, cache, path)) {
        return 1;
    }
    DWORD bytes = sizeof(cache);
    DWORD type = 0;
    if (ReadUserValue(DESKTOP_KEY, IMAGE_CACHE_VALUE, REG_BINARY, cache, &bytes, &type) &&
        PathFromImageCache(type, cache, bytes, path)) {
        return 1;
    }
    BYTE data[WALLPAPER_DATA_BYTES] = {};
    bytes = sizeof(data);
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

// Asked for before the first read, so that a change during it is not lost. A key that
// cannot be opened or watched is left unwatched: the slideshow timer still refreshes.
void WatchWallpaperKeys() {
    for (KeyWatch& watch : watches) {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, watch.subkey, 0, KEY_NOTIFY, &watch.key) != ERROR_SUCCESS) {
            watch.key = nullptr;
            continue;
        }
        watch.changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (watch.changed == nullptr || !AskForNotice(watch)) {
            StopWatching(watch);
        }
    }
}

// A change since WatchWallpaperKeys left its event set, so the wait fires at once.
void PostWallpaperNoticesTo(HWND window) {
    noticeWindow = window;
    for (KeyWatch& watch : watches) {
        if (watch.changed != nullptr &&
            !RegisterWaitForSingleObject(&watch.wait, watch.changed, OnKeyChanged, &watch, INFINITE,
                                         WT_EXECUTEINWAITTHREAD)) {
            watch.wait = nullptr;
            StopWatching(watch);
        }
    }
}

// An asynchronous notice lasts only as long as the thread that asked for it: asked for
// here, on the main thread, never on the pool's.
void RenewWallpaperNotice(WPARAM index) {
    if (index < ARRAYSIZE(watches) && watches[index].changed != nullptr && !AskForNotice(watches[index])) {
        StopWatching(watches[index]);
    }
}

void StopWatchingWallpaperKeys() {
    for (KeyWatch& watch : watches) {
        StopWatching(watch);
    }
}
