#include "window/layout.h"

#include "base/settings.h"
#include "wallpaper/lines.h"
#include "window/placement.h"

int32_t rowHeight;

namespace {

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
int32_t FitCeiling(int32_t screenHeight) {
    int32_t ceiling = screenHeight > 0 ? screenHeight : MAX_FIT_FONT_HEIGHT;
    if (settings.fixedLineHeight && settings.lineHeight > ceiling) {
        ceiling = settings.lineHeight;
    }
    return ceiling > MAX_FIT_FONT_HEIGHT ? MAX_FIT_FONT_HEIGHT : ceiling;
}

// A font size of 0 becomes the cell height of the face's default font the first time a
// fit needs a height to count down from, and stays so for every later layout.
void DeriveFontSize(const TextMeasurer& measurer) {
    if (settings.fontSize == 0) {
        settings.fontSize = measurer.CellHeight(measurer.context);
    }
}

}  // namespace

LabelLayout ComputeLabelLayout(const TextMeasurer& measurer, int32_t screenHeight) {
    const bool fit = settings.customFont && settings.fitFont;
    if (settings.customFont) {
        measurer.CreateLabelFont(measurer.context, settings.fontSize);
    }
    const FrameExtra extra = CurrentFrameExtra();
    const int32_t availWidth = ClampToInt32(int64_t{settings.windowWidth} - extra.cx);
    int32_t widthFitHeight = 0;
    const int32_t ceiling = FitCeiling(screenHeight);
    LabelLayout layout{};

    if (settings.fixedWidth) {
        layout.labelWidth = availWidth;
        if (fit) {
            DeriveFontSize(measurer);
            for (int32_t h = settings.fontSize < ceiling ? settings.fontSize : ceiling; h > 0; --h) {
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
        layout.rowHeight = settings.lineHeight;
        if (fit) {
            DeriveFontSize(measurer);
            // A width fit that found no height counts as none: start again from fontSize.
            const int32_t start = widthFitHeight > 0 ? widthFitHeight : settings.fontSize;
            for (int32_t h = start < ceiling ? start : ceiling; h > 0; --h) {
                measurer.CreateLabelFont(measurer.context, h);
                if (LinesFit(measurer, settings.lineHeight, false)) {
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
        layout.rowHeight = tallest < settings.lineHeight ? settings.lineHeight : tallest;
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
