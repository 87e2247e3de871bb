// The system menu's items that act on the picture shown: next picture, open it, copy its
// path, move it to the Recycle Bin. The tray menu is the same menu, so both show them.
#pragma once

#include <windows.h>

#include "base/text.h"

// Puts a separator and the four items at the end of window's system menu (sysMenu).
void AddPictureItems(HWND window);

// The picture the window showed when its menu last opened (empty: none), which the
// items act on: a refresh held while the menu was open has run by the time the choice
// arrives, and may show another picture.
extern char16_t menuPicture[TEXT_UNITS];

// Takes the picture shown now as menuPicture and enables or greys the four items for it;
// at each opening of the menu, since a slideshow starts, pauses and stops at any time.
void UpdatePictureItems(HWND window);

// Carries out a system command that is one of the four items, on menuPicture: 1, or 0
// for any other.
int OnPictureCommand(HWND window, WPARAM command);

// Puts text on the clipboard as Unicode text; 0 when the clipboard stayed held by
// another program through every attempt.
int CopyToClipboard(HWND window, const wchar_t* text);
constexpr int CLIPBOARD_ATTEMPTS = 5;
constexpr DWORD CLIPBOARD_RETRY_MS = 20;

// An object of a COM class on this thread's apartment, COM started at the first use;
// false (and null) when COM or the class is not there.
bool CreateComObject(REFCLSID objectClass, REFIID iid, void** object);

// True for a file, false for a folder or nothing ("" included); at the choice, never at
// the menu's opening.
bool FileExists(const char16_t* path);

// At exit: COM is released when a menu opening started it.
void EndPictureItems();
