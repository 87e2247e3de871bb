// Which DPI the window is drawn at, and the frame sizes for it. Every function newer
// than Windows 7 is looked up at run time, so the program still starts there and
// imports no DLL it did not import before.
#pragma once

#include <windows.h>

// The DPI of the primary monitor, where positions are counted from and where the first
// layout puts the window. Later changes arrive with WM_DPICHANGED.
UINT PrimaryMonitorDpi();

// AdjustWindowRect for that DPI where the system can say (Windows 10 1607 and later);
// before that, for the system's DPI.
void AdjustWindowRectForDpi(RECT* rect, DWORD style, UINT dpi);
