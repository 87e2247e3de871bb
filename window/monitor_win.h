// Which monitor the window stands on, as the per-monitor image cache values name it.
#pragma once

#include <windows.h>

#include "base/text.h"

// As long as DISPLAY_DEVICEW's DeviceID, where the path comes from.
constexpr int DEVICE_PATH_UNITS = 128;

HMONITOR PrimaryMonitor();

// The window's monitor: the one under its anchor point, which a layout keeps in place,
// so that a layout's new size never makes the window another monitor's. Not the one
// with the largest part of it: a window across a border would change monitors with
// each picture of another width.
HMONITOR WindowMonitor(HWND window);

// The window's rectangle, or a minimised window's normal one, which counts from its work
// area's corner: true for that one.
bool WindowOrNormalRect(HWND window, RECT* rect);

// The device interface path of the window's monitor, or of the primary monitor
// when window is null; empty when the system names none. That monitor is the one the
// picture is read for until the next call.
void MonitorDevicePath(HWND window, char16_t (&device)[DEVICE_PATH_UNITS]);

// The device interface path of monitor, as MonitorDevicePath gives it, without making
// it the monitor the picture is read for.
void DevicePathOf(HMONITOR monitor, char16_t (&device)[DEVICE_PATH_UNITS]);

// Whether window stands on another monitor than the one its picture was last read for.
int MovedToAnotherMonitor(HWND window);
