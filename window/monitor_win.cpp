#include "window/monitor_win.h"

#include "window/placement.h"
#include "window/shell_win.h"

HMONITOR pictureMonitor;

HMONITOR PrimaryMonitor() {
    return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

bool WindowOrNormalRect(HWND window, RECT* rect) {
    if (!IsIconic(window)) {
        GetWindowRect(window, rect);
        return false;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    *rect = placement.rcNormalPosition;
    return true;
}

// A minimised window stands where it will be restored; the taskbar's width that its
// normal rectangle is off by is no matter here.
HMONITOR WindowMonitor(HWND window) {
    RECT rect{};
    WindowOrNormalRect(window, &rect);
    const WindowPoint anchor =
        AnchorPoint(PriorRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top});
    return MonitorFromPoint(POINT{anchor.x, anchor.y}, MONITOR_DEFAULTTONEAREST);
}

void MonitorDevicePath(HWND window, char16_t (&device)[DEVICE_PATH_UNITS]) {
    pictureMonitor = window != nullptr ? WindowMonitor(window) : PrimaryMonitor();
    DevicePathOf(pictureMonitor, device);
}

// The monitor's name (\\.\DISPLAY1) leads to its first device, whose interface path is
// what Windows writes into the monitor's image cache value.
void DevicePathOf(HMONITOR monitor, char16_t (&device)[DEVICE_PATH_UNITS]) {
    device[0] = 0;
    MONITORINFOEXW info;
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) {
        return;
    }
    DISPLAY_DEVICEW display;
    display.cb = sizeof(display);
    if (!EnumDisplayDevicesW(info.szDevice, 0, &display, EDD_GET_DEVICE_INTERFACE_NAME)) {
        return;
    }
    static_assert(sizeof(display.DeviceID) == DEVICE_PATH_UNITS * sizeof(char16_t),
                  "a monitor's whole path fits");
    CopyText(device, reinterpret_cast<const char16_t*>(display.DeviceID));
}

int MovedToAnotherMonitor(HWND window) {
    return WindowMonitor(window) != pictureMonitor;
}
