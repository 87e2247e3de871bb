// The main window's procedure, the hidden owner's, and the Explorer-open gesture.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Starts the delayed Explorer open of a click (Shift: the previous wallpaper).
void ScheduleExplorerOpen(HWND window);

// Reads the picture of the monitor that window now stands on and, when it is not the
// one shown, lays the window out anew where it stands: at the end of a move, a display
// change, a change of scale.
void OnMonitorMayHaveChanged(HWND window);

// True while the key is held, sampled now.
inline bool KeyHeld(int virtualKey) {
    return GetAsyncKeyState(virtualKey) < 0;
}
