// The picture's move to the Recycle Bin, from its menu item: asked first, into the bin
// only, never destroyed.
#pragma once

#include <windows.h>

// Asks whether the file at path goes to the Recycle Bin (No by default) and, on Yes,
// moves it there; a file that is missing asks nothing, one that stays says so. 1 when
// the file was moved.
int RecyclePicture(HWND window, const char16_t* path);
