// The click gesture that the labels and the tray icon share.
#pragma once

#include <windows.h>

// Starts the delayed Explorer open of a click (Shift: the previous wallpaper).
void ScheduleExplorerOpen(HWND window);

// True while the key is held, sampled now.
inline bool KeyHeld(int virtualKey) {
    return GetAsyncKeyState(virtualKey) < 0;
}
