// On Windows 7 there is no desktop wallpaper interface: creating it fails and "next
// picture" stays greyed.
#include "window/picture_win.h"

#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <shtypes.h>

#include "base/ids.h"
#include "base/language.h"
#include "base/system_dll_win.h"
#include "wallpaper/lines.h"
#include "wallpaper/slideshow.h"
#include "window/monitor_win.h"
#include "window/recycle_win.h"
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

bool OleStarted() {
    if (!ole.tried) {
        ole.tried = true;
        const HMODULE module = LoadSystemLibrary(L"ole32.dll");
        if (FindProc(module, "CoInitializeEx", ole.initialize) &&
            FindProc(module, "CoCreateInstance", ole.createInstance) &&
            FindProc(module, "CoUninitialize", ole.uninitialize) &&
            FindProc(module, "CoTaskMemFree", ole.freeMemory)) {
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

// The file's extension with its dot, or "" when its name has none.
const char16_t* ExtensionOf(const char16_t* path) {
    const char16_t* extension = u"";
    for (; *path != 0; ++path) {
        if (*path == u'.') {
            extension = path;
        } else if (*path == u'\\' || *path == u'/') {
            extension = u"";
        }
    }
    return extension;
}

// The type's own word where the system cannot say (Wine's shlwapi answers E_NOTIMPL):
// the PerceivedType value that the type's registration writes, as the system reads it
// for a type outside its built-in list.
bool RegisteredAsImage(const wchar_t* extension) {
    wchar_t perceived[16] = L"";
    DWORD bytes = sizeof(perceived);
    return extension[0] != 0 &&
           RegGetValueW(HKEY_CLASSES_ROOT, extension, L"PerceivedType", RRF_RT_REG_SZ, nullptr, perceived,
                        &bytes) == ERROR_SUCCESS &&
           CompareStringOrdinal(perceived, -1, L"image", -1, TRUE) == CSTR_EQUAL;
}

// A wallpaper value may name a program, a shortcut or a script, which the "open" verb
// would start: only a file whose type the system perceives as an image is opened.
// shlwapi is loaded when the item is chosen, not at start.
bool IsPicture(const char16_t* path) {
    const wchar_t* extension = Wide(ExtensionOf(path));
    HRESULT(WINAPI * perceivedType)(PCWSTR, PERCEIVED*, PERCEIVEDFLAG*, PWSTR*);
    const HMODULE shlwapi = LoadSystemLibrary(L"shlwapi.dll");
    PERCEIVED type = PERCEIVED_TYPE_UNSPECIFIED;
    PERCEIVEDFLAG source = 0;
    const HRESULT asked = FindProc(shlwapi, "AssocGetPerceivedType", perceivedType)
                              ? perceivedType(extension, &type, &source, nullptr)
                              : E_NOTIMPL;
    if (shlwapi != nullptr) {
        FreeLibrary(shlwapi);
    }
    if (asked == E_NOTIMPL) {
        return RegisteredAsImage(extension);
    }
    return SUCCEEDED(asked) && type == PERCEIVED_TYPE_IMAGE;
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
void UpdatePictureItems(HWND window) {
    UpdateSignInItem();
    CopyText(menuPicture, lineCount > 0 ? currentPath : u"");
    const bool shown = menuPicture[0] != 0;
    EnableItem(MENU_NEXT_PICTURE, SlideshowRuns(window));
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
            // menu opened, or not a picture: nothing happens, as for a greyed item.
            if (FileExists(path) && IsPicture(path)) {
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
            if (RecyclePicture(window, path) && SlideshowRuns(window)) {
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
