// The click gesture that the labels and the tray icon share: both call here, and neither
// calls the other for it.
#pragma once

#include <windows.h>

// Starts the delayed Explorer open of a click (Shift: the previous wallpaper).
void ScheduleExplorerOpen(HWND window);

// The open that ScheduleExplorerOpen's timer (TIMER_OPEN_EXPLORER) was started for.
void OpenScheduledExplorer(HWND window);

// True while the key is held, sampled now.
inline bool KeyHeld(int virtualKey) {
    return GetAsyncKeyState(virtualKey) < 0;
}
