// ComputeLabelLayout with arbitrary settings, frame extras and lines, measured by a
// measurer whose extents are arbitrary but never shrink as the font grows. The fitted
// font height is checked against a bisection, which is only right for such a measurer
// and shares nothing with the countdown under test.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/settings.h"
#include "wallpaper/lines.h"
#include "window/layout.h"
#include "window/placement.h"

namespace {

// A fit starts at the requested size, or lower: at the larger of the screen's height and
// a fixed row height, and never above the height of a 16K display (8,640 pixels).
constexpr int32_t FIT_START_CAP = 8640;

// Largest font height the target lets a fit count down from: the countdown is one font
// creation per pixel, so bigger sizes only slow the search down.
constexpr int32_t MAX_FUZZ_FONT = FIT_START_CAP + 500;  // the cap on the fit start is reached too

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

int32_t Saturate(int64_t value) {
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
}

struct Model {
    int32_t height;         // of the current measuring font; -1: the system's font
    int32_t systemHeight;   // what the system's font measures as
    int32_t defaultHeight;  // what a font of height 0 comes out as
    int32_t leading;
    int32_t base[MAX_LINES];
    int32_t perPixel[MAX_LINES];
    int32_t extraHeight[MAX_LINES];
    int64_t creations;
    int32_t lastCreated;
};

Model model;

int32_t EffectiveHeight(int32_t height) {
    return height < 0 ? model.systemHeight : height == 0 ? model.defaultHeight : height;
}

TextExtent ExtentAt(int32_t height, int32_t index) {
    const int32_t e = EffectiveHeight(height);
    return TextExtent{Saturate(int64_t{model.base[index]} + int64_t{model.perPixel[index]} * e),
                      Saturate(int64_t{e} + model.extraHeight[index])};
}

int32_t WidestAt(int32_t height) {
    int32_t widest = 0;
    for (int32_t i = 0; i < lineCount; ++i) {
        widest = ExtentAt(height, i).cx > widest ? ExtentAt(height, i).cx : widest;
    }
    return widest;
}

int32_t TallestAt(int32_t height) {
    int32_t tallest = 0;
    for (int32_t i = 0; i < lineCount; ++i) {
        tallest = ExtentAt(height, i).cy > tallest ? ExtentAt(height, i).cy : tallest;
    }
    return tallest;
}

void CreateLabelFont(void*, int32_t height) {
    Check(height >= 0);
    model.height = height;
    model.lastCreated = height;
    ++model.creations;
}

int32_t CellHeight(void*) {
    return Saturate(int64_t{EffectiveHeight(model.height)} + model.leading);
}

TextExtent LineExtent(void*, int32_t index) {
    Check(index >= 0 && index < lineCount);
    return ExtentAt(model.height, index);
}

// Largest h in 1..top with fits(h), or 0; fits holds for every h below one that fits.
template <typename Fits>
int32_t Bisect(int32_t top, Fits fits) {
    int32_t low = 0;         // fits (or is the floor)
    int32_t high = top + 1;  // does not fit
    while (high - low > 1) {
        const int32_t middle = low + (high - low) / 2;
        if (fits(middle)) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return low;
}

struct Reader {
    const uint8_t* data;
    size_t size;
    uint32_t Next() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = v << 8 | (size > 0 ? (--size, *data++) : 0);
        }
        return v;
    }
    int32_t Below(uint32_t bound) { return static_cast<int32_t>(Next() % bound); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    const uint32_t flags = in.Next();
    SetDefaultSettings(0, 0);
    settings.customFont = flags & 1;
    settings.fitFont = (flags >> 1) & 1;
    settings.fixedWidth = (flags >> 2) & 1;
    settings.fixedLineHeight = (flags >> 3) & 1;
    settings.captionFrame = (flags >> 4) & 1;
    settings.thinFrame = (flags >> 5) & 1;
    const bool realisticFrame = (flags >> 6) & 1;
    const bool smallSizes = (flags >> 7) & 1;
    lineCount = static_cast<int32_t>((flags >> 8) % (MAX_LINES + 1));
    settings.windowWidth = smallSizes ? in.Below(2000) : static_cast<int32_t>(in.Next() & 0x7FFFFFFF);
    settings.lineHeight = smallSizes ? in.Below(200) : static_cast<int32_t>(in.Next() & 0x7FFFFFFF);
    settings.fontSize = in.Below(MAX_FUZZ_FONT + 1);
    captionExtraCx = static_cast<int32_t>(in.Next());
    captionExtraCy = static_cast<int32_t>(in.Next());
    thinExtraCx = static_cast<int32_t>(in.Next());
    thinExtraCy = static_cast<int32_t>(in.Next());
    if (realisticFrame) {
        captionExtraCx = captionExtraCx & 31;
        captionExtraCy = captionExtraCy & 63;
        thinExtraCx = thinExtraCx & 15;
        thinExtraCy = thinExtraCy & 15;
    }
    // Mostly screens of real sizes; now and then none known (0) or one above the cap.
    const int32_t screenHeight = smallSizes ? in.Below(3000) : in.Below(FIT_START_CAP * 3);
    model = Model{};
    model.height = -1;
    model.systemHeight = in.Below(100);
    model.defaultHeight = in.Below(MAX_FUZZ_FONT);
    model.leading = in.Below(10);
    for (int32_t i = 0; i < MAX_LINES; ++i) {
        model.base[i] = smallSizes ? in.Below(500) : static_cast<int32_t>(in.Next() & 0x7FFFFFFF);
        model.perPixel[i] = in.Below(smallSizes ? 64 : 1 << 20);
        model.extraHeight[i] = in.Below(smallSizes ? 20 : 1 << 30);
    }

    const DisplaySettings before = settings;
    const FrameExtra extra = CurrentFrameExtra();
    const int32_t availWidth = Saturate(int64_t{settings.windowWidth} - extra.cx);
    const bool fit = settings.customFont && settings.fitFont;
    const bool fitsSomething = fit && (settings.fixedWidth || settings.fixedLineHeight);

    TextMeasurer measurer{nullptr, CreateLabelFont, CellHeight, LineExtent};
    const LabelLayout layout = ComputeLabelLayout(measurer, screenHeight);

    // Outer size = label size + frame extras.
    Check(layout.outerWidth == Saturate(int64_t{layout.labelWidth} + extra.cx));
    Check(layout.outerHeight == Saturate(int64_t{layout.rowHeight} * lineCount + extra.cy));
    Check(LabelWindowWidth(layout) >= 0);

    // Only a fit writes fontSize, and only a size of 0, with the default font's cell height.
    int32_t start = before.fontSize;
    if (fitsSomething && before.fontSize == 0) {
        start = Saturate(int64_t{model.defaultHeight} + model.leading);
    }
    Check(settings.fontSize == start);
    Check(settings.customFont || model.creations == 0);
    // One creation at the start and at most one per pixel in each fit loop.
    Check(model.creations <= 1 + 2 * int64_t{start});

    int32_t ceiling = screenHeight == 0 ? FIT_START_CAP : screenHeight;
    if (settings.fixedLineHeight && settings.lineHeight > ceiling) {
        ceiling = settings.lineHeight;
    }
    ceiling = ceiling > FIT_START_CAP ? FIT_START_CAP : ceiling;
    int32_t font = settings.customFont ? before.fontSize : -1;
    int32_t widthFit = 0;
    if (settings.fixedWidth) {
        Check(layout.labelWidth == availWidth);
        if (fit) {
            widthFit = Bisect(start > ceiling ? ceiling : start,
                              [&](int32_t h) { return WidestAt(h) <= availWidth; });
            font = widthFit > 0 ? widthFit : 1;
            if (start == 0) {
                font = before.fontSize;  // no height to count down from: no loop ran
            }
        }
    }
    int32_t labelWidth = availWidth;
    if (!settings.fixedWidth) {
        const int32_t widest = WidestAt(font);
        labelWidth = widest < availWidth ? availWidth : widest;
    }
    if (settings.fixedLineHeight) {
        Check(layout.rowHeight == settings.lineHeight);
        if (fit) {
            int32_t top = widthFit > 0 ? widthFit : start;
            top = top > ceiling ? ceiling : top;
            const int32_t rowFit =
                Bisect(top, [&](int32_t h) { return TallestAt(h) <= settings.lineHeight; });
            if (top > 0) {
                font = rowFit > 0 ? rowFit : 1;
            }
            // The label narrows to the smaller font only while it stays above availWidth.
            const int32_t widest = WidestAt(font);
            if (!settings.fixedWidth && widest < labelWidth && widest > availWidth) {
                labelWidth = widest;
            }
        }
    } else {
        const int32_t tallest = TallestAt(font);
        Check(layout.rowHeight == (tallest < settings.lineHeight ? settings.lineHeight : tallest));
    }
    Check(layout.labelWidth == labelWidth);
    if (settings.customFont) {
        Check(model.lastCreated == font);
    }
    return 0;
}
