#include "wallpaper/registry_win.h"

#include <cstdlib>

#include "base/ids.h"
#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/slideshow.h"
#include "wallpaper/spotlight.h"

namespace {

const wchar_t WALLPAPER_KEY[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t WALLPAPER_VALUE[] = L"WallPaperSource";
const wchar_t DESKTOP_KEY[] = L"Control Panel\\Desktop";
const wchar_t IMAGE_CACHE_VALUE[] = L"TranscodedImageCache";
const wchar_t IMAGE_COUNT_VALUE[] = L"TranscodedImageCount";
const wchar_t SLIDESHOW_KEY[] = L"Control Panel\\Personalization\\Desktop Slideshow";
const wchar_t INTERVAL_VALUE[] = L"Interval";
const wchar_t CREATIVES_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\DesktopSpotlight\\Creatives";
const wchar_t CREATIVES_VALUE[] = L"Creatives";

// Where the waiter posts its message; set once, before the waiter starts.
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

// TranscodedImageCount when it is a count (a 4-byte REG_DWORD of at most 16), else -1.
int32_t MonitorCacheCount(HKEY key) {
    DWORD count = 0;
    DWORD bytes = sizeof(count);
    DWORD type = 0;
    if (RegQueryValueExW(key, IMAGE_COUNT_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&count), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof(count) || count > MAX_MONITOR_CACHES) {
        return -1;
    }
    return static_cast<int32_t>(count);
}

// TranscodedImageCache_000 and up, made from the plain value's name, in Control Panel\Desktop.
int ReadMonitorCacheValue(void* context, uint32_t index, uint32_t* type, uint8_t* data, uint32_t* bytes) {
    wchar_t name[] = L"TranscodedImageCache_000";
    static_assert(ArrayCount(name) == ArrayCount(IMAGE_CACHE_VALUE) + 4, "the plain value's name and _000");
    name[ArrayCount(name) - 3] = static_cast<wchar_t>(L'0' + index / 10 % 10);
    name[ArrayCount(name) - 2] = static_cast<wchar_t>(L'0' + index % 10);
    DWORD valueType = 0;
    DWORD size = *bytes;
    const LONG status = RegQueryValueExW(static_cast<HKEY>(context), name, nullptr, &valueType, data, &size);
    *type = valueType;
    *bytes = size;
    return status == ERROR_SUCCESS ? 1 : status == ERROR_FILE_NOT_FOUND ? 0 : -1;
}

// The picture of monitor's own per-monitor value; cache is the caller's read buffer.
int ReadMonitorImageCache(const char16_t* monitor,
                          BYTE (&cache)[IMAGE_CACHE_DATA_BYTES],
                          char16_t (&path)[TEXT_UNITS]) {
    HKEY key;
    if (monitor[0] == 0 ||
        RegOpenKeyExW(HKEY_CURRENT_USER, DESKTOP_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;  // without the monitor's path no value can be its
    }
    const int found =
        FindMonitorPicture(ReadMonitorCacheValue, key, MonitorCacheCount(key), monitor, cache, path);
    RegCloseKey(key);
    return found;
}

// The keys whose values name the desktop picture: Control Panel\Desktop, where Windows
// 8 and later record each new picture, and WallPaperSource's, which Windows 7 keeps;
// and Spotlight's, whose new value may give the same picture a new title. Each has its
// own notice and event; the waiter thread waits for the events.
struct KeyWatch {
    const wchar_t* subkey;
    HKEY key;
    HANDLE changed;
};
KeyWatch watches[] = {{DESKTOP_KEY, nullptr, nullptr},
                      {WALLPAPER_KEY, nullptr, nullptr},
                      {CREATIVES_KEY, nullptr, nullptr}};

// The waiter and what ends it. Its stack is reserved at 64 KiB: Wine counts a thread's
// whole reservation as private memory, and the default (2 MB) doubled the program's.
constexpr SIZE_T WAITER_STACK_BYTES = 64 * 1024;
HANDLE waiter;
HANDLE stopWaiter;

void StopWatching(KeyWatch& watch) {
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

// Asks for the next notice itself (an asynchronous notice lasts as long as the thread
// that asked for it, and this one outlives every notice it asks for), before the post,
// so that a change while the main thread reads is not lost. The window takes the post
// in any message loop, a box's or a menu's as well. Once this thread runs, only it
// touches the watches, until it is joined.
DWORD WINAPI WaitForNotices(void*) {
    for (;;) {
        HANDLE events[1 + ARRAYSIZE(watches)] = {stopWaiter};
        KeyWatch* of[1 + ARRAYSIZE(watches)] = {};
        DWORD count = 1;
        for (KeyWatch& watch : watches) {
            if (watch.changed != nullptr) {
                of[count] = &watch;
                events[count++] = watch.changed;
            }
        }
        const DWORD which = WaitForMultipleObjects(count, events, FALSE, INFINITE) - WAIT_OBJECT_0;
        if (which == 0 || which >= count) {
            return 0;
        }
        KeyWatch& watch = *of[which];
        if (!AskForNotice(watch)) {
            StopWatching(watch);
        }
        PostMessageW(noticeWindow, WM_DESKTOPCHANGED, static_cast<WPARAM>(&watch - watches), 0);
    }
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
    char16_t text[TEXT_UNITS];
    char16_t title[TEXT_UNITS] = {};
    const int read = ReadWallpaperPath(monitor, text);
    if (read) {
        ReadSpotlightTitle(text, title);
    }
    return TakeWallpaperPath(read, text, title);
}

// The value is read into memory of its own size, freed at once: a Spotlight value is a
// few kilobytes, and most desktops have none.
int ReadSpotlightTitle(const char16_t* path, char16_t (&title)[TEXT_UNITS]) {
    title[0] = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, CREATIVES_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    int found = 0;
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, CREATIVES_VALUE, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        type == REG_SZ && bytes <= SPOTLIGHT_VALUE_BYTES) {
        const size_t valueRoom = (bytes + 7) & ~size_t{7};  // the work after it, aligned
        BYTE* block = static_cast<BYTE*>(malloc(valueRoom + SpotlightWorkBytes(bytes / 2)));
        if (block != nullptr) {
            // A value grown since the size was asked is too large for the block: no title
            // now, and the change's notice reads it again.
            if (RegQueryValueExW(key, CREATIVES_VALUE, nullptr, &type, block, &bytes) == ERROR_SUCCESS &&
                type == REG_SZ) {
                found = FindSpotlightTitle(reinterpret_cast<const char16_t*>(block), bytes / 2, path,
                                           block + valueRoom, title);
            }
            free(block);
        }
    }
    RegCloseKey(key);
    return found;
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
// Spotlight's key exists only where Windows Spotlight has run: elsewhere it costs nothing.
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

// A change since WatchWallpaperKeys left its event set, so the wait ends at once. Without
// a waiter nothing is watched: the slideshow timer still refreshes. With no key watched
// there is nothing to wait for, and no thread is started.
void PostWallpaperNoticesTo(HWND window) {
    noticeWindow = window;
    bool watching = false;
    for (const KeyWatch& watch : watches) {
        watching = watching || watch.changed != nullptr;
    }
    if (!watching) {
        return;
    }
    stopWaiter = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stopWaiter != nullptr) {
        waiter = CreateThread(nullptr, WAITER_STACK_BYTES, WaitForNotices, nullptr,
                              STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    }
    if (waiter == nullptr) {
        StopWatchingWallpaperKeys();
    }
}

void StopWatchingWallpaperKeys() {
    if (waiter != nullptr) {
        SetEvent(stopWaiter);
        WaitForMultipleObjects(1, &waiter, FALSE, INFINITE);
        CloseHandle(waiter);
        waiter = nullptr;
    }
    if (stopWaiter != nullptr) {
        CloseHandle(stopWaiter);
        stopWaiter = nullptr;
    }
    for (KeyWatch& watch : watches) {
        StopWatching(watch);
    }
}
