// The label windows and the GDI side of the font fit.
#pragma once

#include <windows.h>

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

// Rebuilds the labels, fits the font, sizes the window and places it, leaving it
// hidden. initial: the first layout (reads the path; 0 when it cannot be read).
// Otherwise a refresh that keeps the window's place, reading the path again when reread.
int LayoutLabels(HWND window, int initial, int reread);

// A refresh without a new read that puts the window's top-left corner at (left, top).
int LayoutLabelsAt(HWND window, int32_t left, int32_t top);
