#include "app/startup_win.h"

#include <shellapi.h>

#include "base/caption.h"
#include "base/ids.h"
#include "base/language.h"
#include "base/options.h"
#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/registry_win.h"
#include "window/mainwnd_win.h"
#include "window/picture_win.h"
#include "window/placement.h"
#include "window/placement_win.h"
#include "window/shell_win.h"
#include "window/signin_win.h"
#include "window/tray_win.h"

namespace {

// Another instance runs when its main window or its open option list exists.
int BringOtherInstanceForward(const char16_t* optionListTitle) {
    HWND other = FindWindowW(Wide(caption), nullptr);
    if (other == nullptr) {
        other = FindWindowW(nullptr, Wide(optionListTitle));
    }
    if (other == nullptr) {
        return 0;
    }
    SetForegroundWindow(other);
    return 1;
}

ATOM RegisterWindowClass(const char16_t* className, WNDPROC procedure, HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadProgramIcon(SM_CXICON, SM_CYICON);
    windowClass.hIconSm = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = Wide(className);
    return RegisterClassExW(&windowClass);
}

void DeriveStartupValues() {
    uint32_t text = ColorValue(settings.textColor);
    uint32_t back = ColorValue(settings.backColor);
    colorKey = ComputeColorKey(text, back);
    backBrush = CreateSolidBrush(back);
    keyBrush = CreateSolidBrush(colorKey);
    ComputeDerivedFrameValues();
}

// The plain loop wakes for every kind of input on every Windows, touch and pen
// included. A GetMessageW that fails (-1) ends it rather than spinning.
void RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int RunApplication(HINSTANCE instance, int showCommand) {
    // A drive without its medium (a slideshow on a card or a disc) fails its reads
    // quietly instead of asking for a disk; the bits the starter set stay (the first
    // call answers them).
    const UINT quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    SetErrorMode(SetErrorMode(quiet) | quiet);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return 0;
    }
    const char16_t* programPath = count > 0 ? reinterpret_cast<const char16_t*>(arguments[0]) : u"";
    MakeCaption(programPath, caption);
    // Before the titles: the instance found by title is the same user's, in the same language.
    const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    SetLanguage(japanese ? LANGUAGE_JAPANESE : LANGUAGE_ENGLISH);
    char16_t windowTitle[TEXT_UNITS];
    char16_t optionListTitle[TEXT_UNITS];
    FormatWindowTitle(caption, windowTitle);
    FormatOptionListTitle(caption, optionListTitle);

    if (BringOtherInstanceForward(optionListTitle)) {
        return 0;
    }

    SetDefaultSettings(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    lineCount = 0;
    for (int i = 1; i < count; ++i) {
        if (!ApplyOption(reinterpret_cast<const char16_t*>(arguments[i]))) {
            MessageBoxW(nullptr, Wide(Text(TEXT_OPTION_LIST)), Wide(optionListTitle), MB_ICONINFORMATION);
            return 0;
        }
    }
    LocalFree(arguments);

    DeriveStartupValues();
    appInstance = instance;

    HWND ownerWindow = nullptr;
    if (!settings.taskbarButton) {
        // A hidden owner keeps the main window off the taskbar.
        char16_t ownerClass[TEXT_UNITS];
        FormatOwnerClassName(caption, ownerClass);
        if (!RegisterWindowClass(ownerClass, OwnerWndProc, instance)) {
            return 0;
        }
        ownerWindow =
            CreateWindowExW(0, Wide(ownerClass), Wide(windowTitle), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                            0, workHeight, 0, 0, nullptr, nullptr, instance, nullptr);
        ShowWindow(ownerWindow, SW_HIDE);
    }
    if (!RegisterWindowClass(caption, MainWndProc, instance)) {
        return 0;
    }
    // Watched from before the first read, so that no picture change is missed.
    WatchWallpaperKeys();
    // Born zero-sized below the work area; the first layout inside WM_CREATE gives the
    // window its real frame, size and place.
    HWND mainWindow = CreateWindowExW(0, Wide(caption), Wide(windowTitle), STYLE_CAPTION, 0, workHeight, 0, 0,
                                      ownerWindow, nullptr, instance, nullptr);
    if (mainWindow == nullptr) {
        return 0;  // no window would ever post the quit that ends the loop
    }
    PostWallpaperNoticesTo(mainWindow);
    AddPictureItems(mainWindow);
    AddSignInItem();
    if (settings.trayIcon && !TraySetUp(mainWindow, ownerWindow)) {
        StopWatchingWallpaperKeys();  // no thread of the program's own runs into its end
        return 0;
    }
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);

    RunMessageLoop();
    StopWatchingWallpaperKeys();
    EndPictureItems();

    if (settings.trayIcon) {
        SetTrayIcon(mainWindow, 0);
    }
    if (labelFont != nullptr) {
        DeleteObject(labelFont);
    }
    DeleteObject(backBrush);
    DeleteObject(keyBrush);
    return 0;
}
