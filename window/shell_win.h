// Process-wide handles of the Win32 shell, made at start-up and used by the window code.
#pragma once

#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 code units on both sides");

// The core's char16_t texts are the API's wchar_t texts on Windows.
inline const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* Wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}

extern HINSTANCE appInstance;
extern HBRUSH backBrush;
extern HBRUSH keyBrush;
extern HFONT labelFont;
extern HMENU sysMenu;

// The program's icon "Icon" drawn for the size of the two system metrics (SM_CXSMICON and
// SM_CYSMICON for the small one), not one image stretched; from appInstance.
HICON LoadProgramIcon(int widthMetric, int heightMetric);
