#include "window/mainwnd_win.h"

#include <shellapi.h>

#include "base/ids.h"
#include "base/language.h"
#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/registry_win.h"
#include "window/click_win.h"
#include "window/gestures.h"
#include "window/layout.h"
#include "window/layout_win.h"
#include "window/monitor_win.h"
#include "window/picture_win.h"
#include "window/placement_win.h"
#include "window/scale.h"
#include "window/shell_win.h"
#include "window/signin_win.h"
#include "window/tray_win.h"

namespace {

// Between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE the system's move loop drives the window:
// a layout that hid it would blink and leave the loop moving a hidden window. Between
// WM_ENTERMENULOOP and WM_EXITMENULOOP a menu (the title bar's or the tray's) is open
// over it, and its items stay with the picture the user saw. What falls due meanwhile
// waits for the end of both.
bool moving;
bool inMenu;
bool newPictureDue;
bool monitorCheckDue;
// A monitor check is posted from WM_WINDOWPOSCHANGED and not handled yet.
bool monitorCheckPosted;

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
    if (MovedToAnotherMonitor(window)) {
        Refresh(window, false);
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
    char16_t text[TEXT_UNITS];
    FormatPositionText(r.left, r.top, r.right, r.bottom, rowHeight, positionDpi, layoutDpi, text);
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

// A new picture restarts the automatic minimise: the window comes back to show it.
void RestartAutoMinimize(HWND window) {
    if (settings.autoMinimize) {
        StartSecondsTimer(window, TIMER_AUTO_MINIMIZE, settings.autoMinimizeSeconds);
        ShowWindow(window, SW_RESTORE);
        ShowWindow(window, SW_HIDE);
    }
}

void OnSlideshowTimer(HWND window) {
    KillTimer(window, TIMER_SLIDESHOW);
    ArmSlideshowTimer(window);
    Refresh(window, true);
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
            OpenScheduledExplorer(window);
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

// Either key changes for many reasons besides the picture. The waiter asked for the next
// notice before it posted this one.
LRESULT OnDesktopChanged(HWND window) {
    Refresh(window, true);
    return 0;
}

// Dragged to a monitor of another scale, or the scale changed. A change that a layout's
// own move raised is left to that layout, which looks at the DPI when it ends. A
// minimised window's suggested rectangle is its minimised one, and a hidden window has
// no place to be suggested: both keep their anchor. Another monitor may show another
// picture: the move's WM_WINDOWPOSCHANGED sees to that.
LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    ReadPositionDpi();  // the primary monitor's scale may be the one that changed
    if (LayoutInProgress()) {
        return 0;
    }
    UseDpi(HIWORD(wParam));
    const BOOL visible = IsWindowVisible(window);
    if (IsIconic(window) || !visible) {
        LayoutLabels(window, 0, 0);
        if (visible) {
            ShowWindow(window, SW_SHOWNA);
        }
        return 0;
    }
    LayoutForNewDpi(window, *reinterpret_cast<const RECT*>(lParam));
    return 0;
}

// Any move may put the window on another monitor, not only a drag: Windows+Shift+arrow,
// a monitor unplugged, the shell arranging windows. The picture is read once the move
// is over, from the queue.
LRESULT OnWindowPosChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    if (!monitorCheckPosted && MovedToAnotherMonitor(window)) {
        monitorCheckPosted = PostMessageW(window, WM_MONITORCHECK, 0, 0) != FALSE;
    }
    return DefWindowProcW(window, WM_WINDOWPOSCHANGED, wParam, lParam);
}

// The end of a move or of a menu: what was held runs now, once neither holds it.
LRESULT RunHeldRefresh(HWND window) {
    if (!moving && !inMenu && (newPictureDue || monitorCheckDue)) {
        const bool newPicture = newPictureDue;
        newPictureDue = false;
        monitorCheckDue = false;
        Refresh(window, newPicture);
    }
    return 0;
}

// The taskbar moved or the display changed: the next layout places by the new work area.
// After a display change the monitors may have other names: their pictures are read again.
LRESULT OnDisplayChange(HWND window) {
    ReadWorkArea();
    ReadPositionDpi();
    Refresh(window, false);
    return 0;
}

}  // namespace

// One read per refresh. Only another picture or title, or labels that a failed read took
// away, are worth a new layout: the notice has usually shown a change before the tick comes,
// and a slideshow that Windows pauses (on battery) ticks with the same picture.
// newPicture (the tick, the notice): a failed read empties a window that shows a name,
// and a new name restarts the automatic minimise and shows the window. Otherwise (the
// window may stand on another monitor) a failed read changes nothing, and a hidden or
// minimised window stays so.
void Refresh(HWND window, bool newPicture) {
    if (moving || inMenu) {
        (newPicture ? newPictureDue : monitorCheckDue) = true;
        return;
    }
    PictureRead read;
    read.ok = ReadPictureOfWindow(window, read.path, read.title);
    const int shown = lineCount > 0;
    const int same = TextEquals(read.path, currentPath) && TextEquals(read.title, currentTitle);
    if (read.ok ? shown && same : !shown || !newPicture) {
        return;
    }
    const BOOL visible = IsWindowVisible(window);
    if (newPicture) {
        RestartAutoMinimize(window);
    }
    LayoutLabelsWithPath(window, read);
    if (newPicture || visible) {
        ShowWindow(window, SW_SHOWNA);
    }
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
            return OnDesktopChanged(window);
        case WM_DPICHANGED:
            return OnDpiChanged(window, wParam, lParam);
        case WM_WINDOWPOSCHANGED:
            return OnWindowPosChanged(window, wParam, lParam);
        case WM_MONITORCHECK:
            monitorCheckPosted = false;
            Refresh(window, false);
            return 0;
        case WM_ENTERSIZEMOVE:
            moving = true;
            return 0;
        case WM_EXITSIZEMOVE:
            moving = false;
            return RunHeldRefresh(window);
        case WM_ENTERMENULOOP:
            inMenu = true;
            return 0;
        case WM_EXITMENULOOP:
            inMenu = false;
            return RunHeldRefresh(window);
        case WM_DISPLAYCHANGE:
            return OnDisplayChange(window);
        case WM_SYSCOMMAND:
            // From the title bar's menu, or the tray menu through OnCommand.
            if (OnPictureCommand(window, wParam) || OnSignInCommand(wParam)) {
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_INITMENUPOPUP:
            // The title bar's menu; the tray menu is made ready by UpdateTrayMenu.
            if (HIWORD(lParam) != 0) {
                UpdatePictureItems(window);
            }
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_SETTINGCHANGE:
            // A change of a monitor's scale comes as a setting change to windows on the
            // other monitors.
            ReadPositionDpi();
            if (wParam == SPI_SETWORKAREA) {
                ReadWorkArea();
            }
            return DefWindowProcW(window, message, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK OwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}
