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
#include "window/recycle_win.h"
#include "window/shell_win.h"

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

bool OleStarted() {
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
    return ole.initialised;
}

// The interface, or null where there is none (Windows 7), COM could not start, or the
// shell does not answer; asked afresh each time, so that a restarted Explorer is found.
IDesktopWallpaper* OpenDesktopWallpaper() {
    IDesktopWallpaper* wallpaper = nullptr;
    return CreateComObject(DESKTOP_WALLPAPER_CLASS, __uuidof(IDesktopWallpaper),
                           reinterpret_cast<void**>(&wallpaper))
               ? wallpaper
               : nullptr;
}

bool SlideshowRuns() {
    IDesktopWallpaper* wallpaper = OpenDesktopWallpaper();
    if (wallpaper == nullptr) {
        return false;
    }
    DESKTOP_SLIDESHOW_STATE state = DESKTOP_SLIDESHOW_STATE(0);
    const bool runs = SUCCEEDED(wallpaper->GetStatus(&state)) && SlideshowCanAdvance(state);
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
    char16_t device[DEVICE_PATH_UNITS];
    DevicePathOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), device);
    // More monitors than the image cache values can name are not looked at.
    LPWSTR ids[MAX_MONITOR_CACHES] = {};
    UINT count = 0;
    if (FAILED(wallpaper->GetMonitorDevicePathCount(&count))) {
        count = 0;
    }
    count = count < MAX_MONITOR_CACHES ? count : MAX_MONITOR_CACHES;
    for (UINT i = 0; i < count; ++i) {
        if (FAILED(wallpaper->GetMonitorDevicePathAt(i, &ids[i])) || ids[i] == nullptr) {
            count = i;  // the list ends at the first that cannot be read
        }
    }
    const int32_t mine = FindMonitorId(reinterpret_cast<const char16_t* const*>(ids), count, device);
    wallpaper->AdvanceSlideshow(mine >= 0 ? ids[mine] : nullptr, DSD_FORWARD);
    for (UINT i = 0; i < count; ++i) {
        ole.freeMemory(ids[i]);
    }
    wallpaper->Release();
}

void EnableItem(UINT item, bool enabled) {
    EnableMenuItem(sysMenu, item, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

bool CreateComObject(REFCLSID objectClass, REFIID iid, void** object) {
    *object = nullptr;
    return OleStarted() && SUCCEEDED(ole.createInstance(objectClass, nullptr, CLSCTX_ALL, iid, object)) &&
           *object != nullptr;
}

bool FileExists(const char16_t* path) {
    const DWORD attributes = GetFileAttributesW(Wide(path));  // "" names no file
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

char16_t menuPicture[TEXT_UNITS];

void AddPictureItems(HWND window) {
    sysMenu = GetSystemMenu(window, FALSE);
    AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
    static_assert(
        MENU_RECYCLE_PICTURE == MENU_NEXT_PICTURE + 0x30 && TEXT_RECYCLE_PICTURE == TEXT_NEXT_PICTURE + 3,
        "the items and their texts in the same order");
    for (int i = 0; i < 4; ++i) {
        AppendMenuW(sysMenu, MF_STRING, MENU_NEXT_PICTURE + 0x10 * i,
                    Wide(Text(TextId(TEXT_NEXT_PICTURE + i))));
    }
}

// Nothing here looks at the disk: a slideshow folder on a share that is away, or a drive
// without its medium, would hold the menu for the network's time-out. The file is looked
// for when the item is chosen.
void UpdatePictureItems(HWND) {
    CopyText(menuPicture, lineCount > 0 ? currentPath : u"");
    const bool shown = menuPicture[0] != 0;
    EnableItem(MENU_NEXT_PICTURE, SlideshowRuns());
    EnableItem(MENU_OPEN_PICTURE, shown);
    EnableItem(MENU_COPY_PATH, shown);
    EnableItem(MENU_RECYCLE_PICTURE, shown);
}

int OnPictureCommand(HWND window, WPARAM command) {
    const char16_t* path = menuPicture;
    switch (command & 0xFFF0) {
        case MENU_NEXT_PICTURE:
            NextPicture(window);
            return 1;
        case MENU_OPEN_PICTURE:
            // The path is the file itself, never parameters: whatever it holds stays one
            // argument of the program the file's type opens with. A file gone since the
            // menu opened: nothing happens, as for a greyed item.
            if (FileExists(path)) {
                ShellExecuteW(window, L"open", Wide(path), nullptr, nullptr, SW_SHOWNORMAL);
            }
            return 1;
        case MENU_COPY_PATH:
            if (path[0] != 0) {
                CopyToClipboard(window, Wide(path));
            }
            return 1;
        case MENU_RECYCLE_PICTURE:
            // The window keeps the name until the desktop changes; a slideshow moves on.
            if (RecyclePicture(window, path) && SlideshowRuns()) {
                NextPicture(window);
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
