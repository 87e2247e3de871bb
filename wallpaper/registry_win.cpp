#include "wallpaper/registry_win.h"

#include "app/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/slideshow.h"
#include "window/ids.h"

namespace {

const wchar_t WALLPAPER_KEY[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t WALLPAPER_VALUE[] = L"WallPaperSource";
const wchar_t SLIDESHOW_KEY[] = L"Control Panel\\Personalization\\Desktop Slideshow";
const wchar_t INTERVAL_VALUE[] = L"Interval";

// One value of a key of the current user. *bytes is the buffer's size on entry and,
// on success, the size the registry actually wrote: the callers read only that much,
// so a short value never brings in bytes of an earlier read. The type variable is
// preset and never looked at: the data is taken whatever its type. Data longer than
// the buffer makes the query answer ERROR_MORE_DATA, a failure like any other status.
int ReadUserValue(const wchar_t* subkey, const wchar_t* name, DWORD presetType, BYTE* data, DWORD* bytes) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    DWORD type = presetType;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, data, bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

int ReadWallpaperLines() {
    lineCount = 0;
    for (LineLabel& line : lines) {
        line = LineLabel{};
    }

    BYTE data[WALLPAPER_DATA_BYTES] = {};
    DWORD bytes = sizeof(data);
    if (!ReadUserValue(WALLPAPER_KEY, WALLPAPER_VALUE, REG_SZ, data, &bytes)) {
        return 0;
    }
    char16_t text[TEXT_UNITS];
    if (!WallpaperTextFromData(data, bytes, text)) {
        return 0;
    }

    CopyText(currentPath, text);
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
