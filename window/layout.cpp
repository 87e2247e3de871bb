#include "window/layout.h"

#include "base/settings.h"
#include "wallpaper/lines.h"
#include "window/placement.h"
#include "window/scale.h"

int32_t rowHeight;

namespace {

// The font height of the latest layout in pixels, for which fontSize and DPI. A height
// measured from the face's cell is kept as measured: scaling its option value back up
// could round to another height and grow the window at the next layout.
struct FontPixels {
    int32_t fontSize;
    int32_t dpi;
    int32_t pixels;
};
FontPixels fontPixels;

int32_t FontSizePixels() {
    if (fontPixels.fontSize != settings.fontSize || fontPixels.dpi != layoutDpi) {
        fontPixels = FontPixels{settings.fontSize, layoutDpi, ScaleToDpi(settings.fontSize, layoutDpi)};
    }
    return fontPixels.pixels;
}

struct TextBounds {
    int32_t widest;
    int32_t tallest;
};

// The widest and the tallest line in the measuring font as it is now; both 0 without lines.
TextBounds MeasureLines(const TextMeasurer& measurer) {
    TextBounds bounds{0, 0};
    for (int32_t i = 0; i < lineCount && i < MAX_LINES; ++i) {
        const TextExtent extent = measurer.LineExtent(measurer.context, i);
        if (extent.cx > bounds.widest) {
            bounds.widest = extent.cx;
        }
        if (extent.cy > bounds.tallest) {
            bounds.tallest = extent.cy;
        }
    }
    return bounds;
}

// Whether every line is at most limit wide (or high): the same answer as comparing the
// widest (tallest) line, but a fit step stops measuring at the first line too large,
// which is most of the steps of a fit that starts far above the answer.
bool LinesFit(const TextMeasurer& measurer, int32_t limit, bool byWidth) {
    if (limit < 0) {
        return false;  // The widest of no lines is 0, which is above a negative limit.
    }
    for (int32_t i = 0; i < lineCount && i < MAX_LINES; ++i) {
        const TextExtent extent = measurer.LineExtent(measurer.context, i);
        if ((byWidth ? extent.cx : extent.cy) > limit) {
            return false;
        }
    }
    return true;
}

// The highest font a fit tries. A font's rows are at least its height, so a font taller
// than both the screen and the fixed row gives a window taller than the whole screen
// whatever it fits; counting down to the screen's height from there only costs time
// (seconds from 8,640, hidden, at every re-layout).
int32_t FitCeiling(int32_t screenHeight, int32_t lineHeight) {
    int32_t ceiling = screenHeight > 0 ? screenHeight : MAX_FIT_FONT_HEIGHT;
    if (settings.fixedLineHeight && lineHeight > ceiling) {
        ceiling = lineHeight;
    }
    return ceiling > MAX_FIT_FONT_HEIGHT ? MAX_FIT_FONT_HEIGHT : ceiling;
}

// A font size of 0 becomes the cell height of the face's default font the first time a
// fit needs a height to count down from, and stays so for every later layout. The cell
// is in pixels of the screen; the option keeps counting 96-DPI pixels.
void DeriveFontSize(const TextMeasurer& measurer) {
    if (settings.fontSize == 0) {
        const int32_t cell = measurer.CellHeight(measurer.context);
        settings.fontSize = ScaleFromDpi(cell, layoutDpi);
        fontPixels = FontPixels{settings.fontSize, layoutDpi, cell};
    }
}

}  // namespace

LabelLayout ComputeLabelLayout(const TextMeasurer& measurer, int32_t screenHeight) {
    const bool fit = settings.customFont && settings.fitFont;
    if (settings.customFont) {
        measurer.CreateLabelFont(measurer.context, FontSizePixels());
    }
    // The pixel options in the screen's pixels; the fits below count in those.
    const int32_t windowWidth = ScaleToDpi(settings.windowWidth, layoutDpi);
    const int32_t lineHeight = ScaleToDpi(settings.lineHeight, layoutDpi);
    const FrameExtra extra = CurrentFrameExtra();
    const int32_t availWidth = ClampToInt32(int64_t{windowWidth} - extra.cx);
    int32_t widthFitHeight = 0;
    const int32_t ceiling = FitCeiling(screenHeight, lineHeight);
    LabelLayout layout{};

    if (settings.fixedWidth) {
        layout.labelWidth = availWidth;
        if (fit) {
            DeriveFontSize(measurer);
            const int32_t start = FontSizePixels();
            for (int32_t h = start < ceiling ? start : ceiling; h > 0; --h) {
                measurer.CreateLabelFont(measurer.context, h);
                if (LinesFit(measurer, availWidth, true)) {
                    widthFitHeight = h;
                    break;
                }
            }
        }
    } else {
        const int32_t widest = MeasureLines(measurer).widest;
        layout.labelWidth = widest < availWidth ? availWidth : widest;
    }

    if (settings.fixedLineHeight) {
        layout.rowHeight = lineHeight;
        if (fit) {
            DeriveFontSize(measurer);
            // A width fit that found no height counts as none: start again from fontSize.
            const int32_t start = widthFitHeight > 0 ? widthFitHeight : FontSizePixels();
            for (int32_t h = start < ceiling ? start : ceiling; h > 0; --h) {
                measurer.CreateLabelFont(measurer.context, h);
                if (LinesFit(measurer, lineHeight, false)) {
                    break;
                }
            }
            if (!settings.fixedWidth) {
                // The label narrows to the smaller font only while it stays wider than
                // what windowWidth leaves; it is never lowered to availWidth itself.
                const int32_t widest = MeasureLines(measurer).widest;
                if (widest < layout.labelWidth && widest > availWidth) {
                    layout.labelWidth = widest;
                }
            }
        }
    } else {
        const int32_t tallest = MeasureLines(measurer).tallest;
        layout.rowHeight = tallest < lineHeight ? lineHeight : tallest;
    }

    // Ten rows of a huge fixed row height would overflow 32 bits; the sizes are held
    // at the largest value instead.
    layout.outerWidth = ClampToInt32(int64_t{layout.labelWidth} + extra.cx);
    layout.outerHeight = ClampToInt32(int64_t{layout.rowHeight} * lineCount + extra.cy);
    return layout;
}

// Under a fixed width narrower than the frame, availWidth is negative; a window of
// negative width means nothing, so the labels are made 0 pixels wide.
int32_t LabelWindowWidth(const LabelLayout& layout) {
    return layout.labelWidth < 0 ? 0 : layout.labelWidth;
}
