// Which DPI the window is drawn at, and the frame sizes for it. Every function newer
// than Windows 7 is looked up at run time, so the program still starts there and
// imports no DLL it did not import before.
#pragma once

#include <windows.h>

// The DPI a monitor's scale asks for; the screen's where the system knows one DPI only.
UINT MonitorDpi(HMONITOR monitor);

// The DPI of the monitor the window stands on.
UINT WindowDpi(HWND window);

// The DPI the system font was made for: the primary monitor's at logon.
UINT SystemDpi();

// AdjustWindowRect for that DPI where the system can say (Windows 10 1607 and later);
// before that, for the system's DPI.
void AdjustWindowRectForDpi(RECT* rect, DWORD style, UINT dpi);
