#include "window/mainwnd_win.h"

#include <shellapi.h>

#include "base/ids.h"
#include "base/language.h"
#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/registry_win.h"
#include "window/gestures.h"
#include "window/layout.h"
#include "window/layout_win.h"
#include "window/monitor_win.h"
#include "window/placement_win.h"
#include "window/scale.h"
#include "window/shell_win.h"
#include "window/tray_win.h"

HINSTANCE appInstance;
HBRUSH backBrush;
HBRUSH keyBrush;
HFONT labelFont;
HMENU sysMenu;

namespace {

// The file the pending Explorer open is for, taken at the click: a slideshow refresh
// before the open fires must not change what the user clicked on.
char16_t explorerTarget[TEXT_UNITS];

void StartSecondsTimer(HWND window, UINT_PTR id, int32_t seconds) {
    SetTimer(window, id, TimerPeriodFromSeconds(seconds), nullptr);
}

LRESULT OnCreate(HWND window) {
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, colorKey, 0, LWA_COLORKEY);
    if (!LayoutLabels(window, 1, 0)) {
        MessageBoxW(window, Wide(Text(TEXT_NO_WALLPAPER)), Wide(caption), MB_ICONERROR);
        PostQuitMessage(0);
        return 0;
    }
    if (settings.autoExit) {
        StartSecondsTimer(window, TIMER_AUTO_EXIT, settings.autoExitSeconds);
    }
    if (settings.autoMinimize) {
        StartSecondsTimer(window, TIMER_AUTO_MINIMIZE, settings.autoMinimizeSeconds);
    }
    // The first read took the primary monitor's picture; placed on another monitor, the
    // window shows that one's instead, and nothing shown before it.
    if (OffPrimaryMonitor(window)) {
        OnMonitorMayHaveChanged(window);
        CopyText(previousPath, u"");
    }
    ArmSlideshowTimer(window);
    ShowWindow(window, SW_SHOWNA);
    return 0;
}

// At most one position box: a second request brings the open one forward.
void ShowPositionBox(HWND window) {
    char16_t title[TEXT_UNITS];
    FormatPositionTitle(caption, title);
    HWND open = FindWindowW(nullptr, Wide(title));
    if (open != nullptr) {
        SetForegroundWindow(open);
        return;
    }
    RECT r;
    GetWindowRect(window, &r);
    // In the options' units, so that what the box shows can be typed back as options.
    char16_t text[TEXT_UNITS];
    FormatPositionText(ScaleFromDpi(r.left, layoutDpi), ScaleFromDpi(r.top, layoutDpi),
                       ScaleFromDpi(r.right, layoutDpi), ScaleFromDpi(r.bottom, layoutDpi),
                       ScaleFromDpi(rowHeight, layoutDpi), text);
    MessageBoxW(nullptr, Wide(text), Wide(title), MB_OK);
}

LRESULT OnLabelDoubleClick(HWND window) {
    // The first click of the pair scheduled an open; the double-click cancels it.
    KillTimer(window, TIMER_OPEN_EXPLORER);
    if (IsIconic(window)) {
        return 0;
    }
    if (KeyHeld(VK_SHIFT)) {
        settings.transparentBack = !settings.transparentBack;
    } else if (KeyHeld(VK_CONTROL)) {
        ShowPositionBox(window);
        return 0;
    } else {
        settings.captionFrame = !settings.captionFrame;
    }
    LayoutLabels(window, 0, 0);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return 0;
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != LABEL_ID) {
        // The tray menu is the system menu: its choices arrive here as commands.
        SendMessageW(window, WM_SYSCOMMAND, wParam, lParam);
        return 0;
    }
    switch (HIWORD(wParam)) {
        case STN_CLICKED:
            if (KeyHeld(VK_CONTROL)) {
                PostMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
            } else if (settings.clickOpens) {
                ScheduleExplorerOpen(window);
            }
            break;
        case STN_DBLCLK:
            return OnLabelDoubleClick(window);
        default:
            break;
    }
    return 0;
}

// The picture of the monitor that window stands on; 0 when none can be read.
int ReadPictureOfWindow(HWND window, char16_t (&path)[TEXT_UNITS]) {
    char16_t monitor[DEVICE_PATH_UNITS];
    MonitorDevicePath(window, monitor);
    return ReadWallpaperPath(monitor, path);
}

// A new picture restarts the automatic minimise: the window comes back to show it.
void RestartAutoMinimize(HWND window) {
    if (settings.autoMinimize) {
        StartSecondsTimer(window, TIMER_AUTO_MINIMIZE, settings.autoMinimizeSeconds);
        ShowWindow(window, SW_RESTORE);
        ShowWindow(window, SW_HIDE);
    }
}

// The slideshow's tick and the registry's notice both end here. Only another picture,
// or labels that a failed read took away, are worth a new layout: the notice has
// usually shown a change before the tick comes, and a slideshow that Windows pauses
// (on battery) ticks with the same picture. A failed read empties a window that shows
// a name, as it always has; an empty one stays as it is.
void RefreshIfChanged(HWND window) {
    char16_t path[TEXT_UNITS];
    const int shown = lineCount > 0;
    if (ReadPictureOfWindow(window, path) ? shown && TextEquals(path, currentPath) : !shown) {
        return;
    }
    RestartAutoMinimize(window);
    LayoutLabels(window, 0, 1);
    ShowWindow(window, SW_SHOWNA);
}

void OnSlideshowTimer(HWND window) {
    KillTimer(window, TIMER_SLIDESHOW);
    ArmSlideshowTimer(window);
    RefreshIfChanged(window);
}

// A double quote in the path would end the quoted argument early and hand Explorer the
// rest as arguments of its own.
int ContainsQuote(const char16_t* text) {
    for (; *text != 0; ++text) {
        if (*text == u'"') {
            return 1;
        }
    }
    return 0;
}

void OnOpenExplorerTimer(HWND window) {
    KillTimer(window, TIMER_OPEN_EXPLORER);
    if (ContainsQuote(explorerTarget)) {
        return;
    }
    char16_t parameters[EXPLORER_PARAMETER_UNITS];
    FormatExplorerParameters(explorerTarget, parameters);
    ShellExecuteW(nullptr, nullptr, L"explorer.exe", Wide(parameters), nullptr, SW_SHOW);
}

void OnAutoExitTimer(HWND window) {
    // A pending Explorer open is left alone: the quit ends the loop before it fires.
    KillTimer(window, TIMER_SLIDESHOW);
    KillTimer(window, TIMER_AUTO_EXIT);
    KillTimer(window, TIMER_AUTO_MINIMIZE);
    PostQuitMessage(0);
}

void OnAutoMinimizeTimer(HWND window) {
    KillTimer(window, TIMER_AUTO_MINIMIZE);
    ShowWindow(window, SW_MINIMIZE);
    if (!settings.taskbarButton) {
        // Without a taskbar button a minimised window would sit on the desktop's edge.
        ShowWindow(window, SW_HIDE);
    }
    UpdateWindow(window);
}

LRESULT OnTimer(HWND window, WPARAM id) {
    switch (id) {
        case TIMER_SLIDESHOW:
            OnSlideshowTimer(window);
            break;
        case TIMER_OPEN_EXPLORER:
            OnOpenExplorerTimer(window);
            break;
        case TIMER_AUTO_EXIT:
            OnAutoExitTimer(window);
            break;
        case TIMER_AUTO_MINIMIZE:
            OnAutoMinimizeTimer(window);
            break;
        default:
            break;
    }
    return 0;
}

LRESULT OnCtlColorStatic(HDC dc, HWND control) {
    int32_t i = 0;
    while (i < lineCount && reinterpret_cast<HWND>(lines[i].window) != control) {
        ++i;
    }
    if (i == lineCount) {
        return 0;  // Not one of our labels: leave its device context alone.
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, settings.transparentText ? colorKey : ColorValue(settings.textColor));
    return reinterpret_cast<LRESULT>(settings.transparentBack ? keyBrush : backBrush);
}

// Either key changes for many reasons besides the picture. The next notice is asked for
// before the read, so that a change during it is not lost.
LRESULT OnDesktopChanged(HWND window, WPARAM key) {
    RenewWallpaperNotice(key);
    RefreshIfChanged(window);
    return 0;
}

// Dragged to a monitor of another scale, or the scale changed: the label font and the
// frame are made anew for the new DPI, and the window's corner goes where the system
// suggests. That layout reads nothing; the monitor's own picture is looked at after.
LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    const bool visible = IsWindowVisible(window) != FALSE;
    UseDpi(HIWORD(wParam));
    LayoutLabelsAt(window, suggested->left, suggested->top);
    if (visible) {
        ShowWindow(window, SW_SHOWNA);
    }
    // Another scale usually means another monitor, which may show a picture of its own.
    OnMonitorMayHaveChanged(window);
    return 0;
}

}  // namespace

// Each monitor may show a picture of its own. Not a new picture on the desktop, so the
// automatic minimise goes on, and a hidden or minimised window stays so.
void OnMonitorMayHaveChanged(HWND window) {
    char16_t path[TEXT_UNITS];
    if (!ReadPictureOfWindow(window, path) || TextEquals(path, currentPath)) {
        return;
    }
    const BOOL shown = IsWindowVisible(window);
    LayoutLabels(window, 0, 1);
    if (shown) {
        ShowWindow(window, SW_SHOWNA);
    }
}

void ScheduleExplorerOpen(HWND window) {
    const char16_t* target = currentPath;
    if (KeyHeld(VK_SHIFT)) {
        if (previousPath[0] == 0) {
            return;
        }
        target = previousPath;
    }
    CopyText(explorerTarget, target);
    // Waiting out the double-click time lets a double-click cancel the open.
    SetTimer(window, TIMER_OPEN_EXPLORER, GetDoubleClickTime() + 10, nullptr);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(window);
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            return OnCommand(window, wParam, lParam);
        case WM_TIMER:
            return OnTimer(window, wParam);
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_TRAYNOTIFY:
            return OnTrayNotify(window, lParam);
        case WM_TRAYMENU:
            return OnTrayMenu(window);
        case WM_DESKTOPCHANGED:
            return OnDesktopChanged(window, wParam);
        case WM_DPICHANGED:
            return OnDpiChanged(window, wParam, lParam);
        case WM_EXITSIZEMOVE:
        case WM_DISPLAYCHANGE:
            OnMonitorMayHaveChanged(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK OwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
