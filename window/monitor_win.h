// Which monitor the window stands on, as the per-monitor image cache values name it.
#pragma once

#include <windows.h>

#include "base/text.h"

// As long as DISPLAY_DEVICEW's DeviceID, where the path comes from.
constexpr int DEVICE_PATH_UNITS = 128;

// The device interface path of the monitor nearest to window, or of the primary monitor
// when window is null; empty when the system names none.
void MonitorDevicePath(HWND window, char16_t (&device)[DEVICE_PATH_UNITS]);

// Whether window stands on another monitor than the primary one.
int OffPrimaryMonitor(HWND window);
