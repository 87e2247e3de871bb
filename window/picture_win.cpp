// The desktop wallpaper interface is declared for Windows 8 and later only; the program
// still runs on 7, where creating it fails and "next picture" stays greyed.
#define NTDDI_VERSION 0x06020000

#include "window/picture_win.h"

#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>

#include "base/ids.h"
#include "base/language.h"
#include "base/system_dll_win.h"
#include "wallpaper/lines.h"
#include "wallpaper/slideshow.h"
#include "window/monitor_win.h"
#include "window/shell_win.h"
#include "window/signin_win.h"

namespace {

// ole32 is looked up when a menu first opens, not imported: the start stays as cheap as
// without the menu, and nothing of COM runs unless someone opens it.
struct Ole {
    bool tried;
    bool initialised;
    HRESULT(WINAPI* initialize)(LPVOID, DWORD);
    HRESULT(WINAPI* createInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    void(WINAPI* uninitialize)();
    void(WINAPI* freeMemory)(LPVOID);
} ole;

const CLSID DESKTOP_WALLPAPER_CLASS = {0xc2cf3110,
                                       0x460e,
                                       0x4fc1,
                                       {0xb9, 0xd0, 0x8a, 0x1c, 0x0c, 0x9c, 0xc4, 0xbd}};

template <typename Proc>
bool Find(HMODULE module, const char* name, Proc& proc) {
    proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return proc != nullptr;
}

// The interface, or null where there is none (Windows 7), COM could not start, or the
// shell does not answer; asked afresh each time, so that a restarted Explorer is found.
IDesktopWallpaper* OpenDesktopWallpaper() {
    if (!ole.tried) {
        ole.tried = true;
        const HMODULE module = LoadSystemLibrary(L"ole32.dll");
        if (module != nullptr && Find(module, "CoInitializeEx", ole.initialize) &&
            Find(module, "CoCreateInstance", ole.createInstance) &&
            Find(module, "CoUninitialize", ole.uninitialize) &&
            Find(module, "CoTaskMemFree", ole.freeMemory)) {
            ole.initialised =
                SUCCEEDED(ole.initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
        }
    }
    IDesktopWallpaper* wallpaper = nullptr;
    if (!ole.initialised ||
        FAILED(ole.createInstance(DESKTOP_WALLPAPER_CLASS, nullptr, CLSCTX_ALL, __uuidof(IDesktopWallpaper),
                                  reinterpret_cast<void**>(&wallpaper)))) {
        return nullptr;
    }
    return wallpaper;
}

// The interface's monitor IDs (as many as the image cache values can name; the list
// ends at the first that cannot be read), each to be freed with ole.freeMemory.
struct MonitorIds {
    LPWSTR ids[MAX_MONITOR_CACHES];
    UINT count;
};

// The window's own entry of ids, or -1.
int32_t OwnMonitor(IDesktopWallpaper* wallpaper, HWND window, MonitorIds& list) {
    list.count = 0;
    UINT count = 0;
    if (FAILED(wallpaper->GetMonitorDevicePathCount(&count))) {
        return -1;
    }
    count = count < MAX_MONITOR_CACHES ? count : MAX_MONITOR_CACHES;
    while (list.count < count &&
           SUCCEEDED(wallpaper->GetMonitorDevicePathAt(list.count, &list.ids[list.count])) &&
           list.ids[list.count] != nullptr) {
        ++list.count;
    }
    char16_t device[DEVICE_PATH_UNITS];
    DevicePathOf(WindowMonitor(window), device);
    return FindMonitorId(reinterpret_cast<const char16_t* const*>(list.ids), list.count, device);
}

void FreeIds(const MonitorIds& list) {
    for (UINT i = 0; i < list.count; ++i) {
        ole.freeMemory(list.ids[i]);
    }
}

// A slideshow that can move on, for the window's own monitor: with one monitor the
// interface takes no ID (null), with more none of the others is the window's to move.
bool SlideshowRuns(HWND window) {
    IDesktopWallpaper* wallpaper = OpenDesktopWallpaper();
    if (wallpaper == nullptr) {
        return false;
    }
    DESKTOP_SLIDESHOW_STATE state = DESKTOP_SLIDESHOW_STATE(0);
    bool runs = SUCCEEDED(wallpaper->GetStatus(&state)) && SlideshowCanAdvance(state);
    if (runs && GetSystemMetrics(SM_CMONITORS) > 1) {
        MonitorIds list;
        runs = OwnMonitor(wallpaper, window, list) >= 0;
        FreeIds(list);
    }
    wallpaper->Release();
    return runs;
}

// The slideshow of the window's own monitor moves on; the new picture then arrives
// through the registry's notice like any other change. A failure shows nothing.
void NextPicture(HWND window) {
    IDesktopWallpaper* wallpaper = OpenDesktopWallpaper();
    if (wallpaper == nullptr) {
        return;
    }
    MonitorIds list;
    const int32_t mine = OwnMonitor(wallpaper, window, list);
    if (mine >= 0 || GetSystemMetrics(SM_CMONITORS) <= 1) {
        wallpaper->AdvanceSlideshow(mine >= 0 ? list.ids[mine] : nullptr, DSD_FORWARD);
    }
    FreeIds(list);
    wallpaper->Release();
}

// What the window shows; empty when the last read found nothing.
const char16_t* ShownPath() {
    return lineCount > 0 ? currentPath : u"";
}

bool FileExists(const char16_t* path) {
    const DWORD attributes = GetFileAttributesW(Wide(path));  // "" names no file
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void EnableItem(UINT item, bool enabled) {
    EnableMenuItem(sysMenu, item, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

void AddPictureItems(HWND window) {
    sysMenu = GetSystemMenu(window, FALSE);
    AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
    static_assert(MENU_COPY_PATH == MENU_NEXT_PICTURE + 0x20 && TEXT_COPY_PATH == TEXT_NEXT_PICTURE + 2,
                  "the items and their texts in the same order");
    for (int i = 0; i < 3; ++i) {
        AppendMenuW(sysMenu, MF_STRING, MENU_NEXT_PICTURE + 0x10 * i,
                    Wide(Text(TextId(TEXT_NEXT_PICTURE + i))));
    }
}

void UpdatePictureItems(HWND window) {
    UpdateSignInItem();
    const char16_t* path = ShownPath();
    EnableItem(MENU_NEXT_PICTURE, SlideshowRuns(window));
    EnableItem(MENU_OPEN_PICTURE, FileExists(path));
    EnableItem(MENU_COPY_PATH, path[0] != 0);
}

int OnPictureCommand(HWND window, WPARAM command) {
    const char16_t* path = ShownPath();
    switch (command & 0xFFF0) {
        case MENU_NEXT_PICTURE:
            NextPicture(window);
            return 1;
        case MENU_OPEN_PICTURE:
            // The path is the file itself, never parameters: whatever it holds stays one
            // argument of the program the file's type opens with.
            if (FileExists(path)) {
                ShellExecuteW(window, L"open", Wide(path), nullptr, nullptr, SW_SHOWNORMAL);
            }
            return 1;
        case MENU_COPY_PATH:
            if (path[0] != 0) {
                CopyToClipboard(window, Wide(path));
            }
            return 1;
        default:
            return 0;
    }
}

int CopyToClipboard(HWND window, const wchar_t* text) {
    const size_t bytes = (TextLength(reinterpret_cast<const char16_t*>(text)) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* data = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (data == nullptr) {
        GlobalFree(memory);
        return 0;
    }
    memcpy(data, text, bytes);
    GlobalUnlock(memory);
    // Another program may hold the clipboard open for a moment; not for long.
    int attempt = 1;
    while (!OpenClipboard(window)) {
        if (attempt++ == CLIPBOARD_ATTEMPTS) {
            GlobalFree(memory);
            return 0;
        }
        Sleep(CLIPBOARD_RETRY_MS);
    }
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!taken) {
        GlobalFree(memory);
    }
    return taken;
}

void EndPictureItems() {
    if (ole.initialised) {
        ole.uninitialize();
    }
}
