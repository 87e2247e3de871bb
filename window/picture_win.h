// The system menu's items that act on the picture shown: next picture, open it, copy its
// path. The tray menu is the same menu, so both show them.
#pragma once

#include <windows.h>

// Puts a separator and the three items at the end of window's system menu (sysMenu).
void AddPictureItems(HWND window);

// Enables or greys the three items for what the window shows now; asked afresh at each
// opening of the menu, since a slideshow starts, pauses and stops at any time.
void UpdatePictureItems(HWND window);

// Carries out a system command that is one of the three items: 1, or 0 for any other.
int OnPictureCommand(HWND window, WPARAM command);

// Puts text on the clipboard as Unicode text; 0 when the clipboard stayed held by
// another program through every attempt.
int CopyToClipboard(HWND window, const wchar_t* text);
constexpr int CLIPBOARD_ATTEMPTS = 5;
constexpr DWORD CLIPBOARD_RETRY_MS = 20;

// At exit: COM is released when a menu opening started it.
void EndPictureItems();
