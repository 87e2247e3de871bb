// The main window's procedure and the hidden owner's.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Reads the picture of the monitor that window stands on and, when it is not the one
// shown, lays the window out anew where it stands. newPicture: the slideshow's tick or a
// key's notice; otherwise the window may have gone to another monitor.
void Refresh(HWND window, bool newPicture);
