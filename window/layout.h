// Label sizes and font fitting, measured through a small interface so that the
// arithmetic runs without the platform.
#pragma once

#include <cstdint>

struct TextExtent {
    int32_t cx;
    int32_t cy;
};

// Plain table of operations; context is the measurer's own state.
struct TextMeasurer {
    void* context;
    // Makes a font of that height the label font (and the measuring font), replacing the old one.
    void (*CreateLabelFont)(void* context, int32_t height);
    // tmHeight + tmExternalLeading of the label font.
    int32_t (*CellHeight)(void* context);
    // Extent of the whole text of lines[index] in the measuring font.
    TextExtent (*LineExtent)(void* context, int32_t index);
};

// Where a fit starts counting down at the most: the height of the tallest display made
// (16K, 8,640 pixels). Counting down from a size such as s2147483647 one pixel (one
// font) at a time would never end.
constexpr int32_t MAX_FIT_FONT_HEIGHT = 8640;

struct LabelLayout {
    int32_t labelWidth;
    int32_t rowHeight;
    int32_t outerWidth;
    int32_t outerHeight;
};

// Fits the font, then sizes the labels and the window for lines[0] to lines[lineCount - 1].
// labelWidth is availWidth under a fixed width even when that is negative, so that
// outerWidth stays windowWidth; LabelWindowWidth gives what a label window can take.
// screenHeight is the virtual screen's height (0 when unknown): a fit starts no higher
// than it or the fixed row height, whichever is larger.
LabelLayout ComputeLabelLayout(const TextMeasurer& measurer, int32_t screenHeight);

// The width handed to each label window: labelWidth, or 0 when it is negative.
int32_t LabelWindowWidth(const LabelLayout& layout);

// Row height of the latest layout.
extern int32_t rowHeight;
