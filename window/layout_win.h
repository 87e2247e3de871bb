// The label windows and the GDI side of the font fit.
#pragma once

#include <windows.h>

#include "base/text.h"
#include "window/layout.h"

// State of the GDI measurer: the device context it measures in, and the font that
// the context had before the first label font was selected into it.
struct GdiMeasuring {
    HDC dc;
    HGDIOBJ originalFont;
};

// A TextMeasurer over dc whose fonts become labelFont.
TextMeasurer GdiTextMeasurer(GdiMeasuring* measuring, HDC dc);

// Puts the context's own font back, so that labelFont is selected nowhere once the
// context is released and can be deleted by the next layout or at shutdown.
void EndGdiMeasuring(GdiMeasuring* measuring);

// A picture's path and Spotlight title as read, for a layout that should not read them again.
struct PictureRead {
    int ok;
    char16_t path[TEXT_UNITS];
    char16_t title[TEXT_UNITS];
};

// The picture of the monitor that window stands on, and its title; 0 when none can be read.
int ReadPictureOfWindow(HWND window, char16_t (&path)[TEXT_UNITS], char16_t (&title)[TEXT_UNITS]);

// Rebuilds the labels, fits the font, sizes the window and places it, leaving it
// hidden. initial: the first layout (reads the path; 0 when it cannot be read).
// Otherwise a refresh that keeps the window's place, reading the path again when reread.
// A layout that leaves the window at another DPI than it used is done again at that one.
int LayoutLabels(HWND window, int initial, int reread);

// A refresh with the lines made from read.
int LayoutLabelsWithPath(HWND window, const PictureRead& read);

// Font, labels and size for a new layoutDpi, the window moved to the suggested corner
// in one SetWindowPos, and left shown.
void LayoutForNewDpi(HWND window, const RECT& suggested);

// Whether a layout is under way (its own moves raise WM_DPICHANGED).
int LayoutInProgress();
