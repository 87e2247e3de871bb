#include "window/placement.h"

#include "base/settings.h"
#include "window/scale.h"

namespace {

// Both halves are truncated toward zero before they are combined.
int64_t Half(int64_t value) {
    return value / 2;
}

}  // namespace

// Positions in tenths are shares of the work area, which is in the screen's pixels
// already; only pixel positions are scaled.
WindowPoint InitialPosition(int32_t width, int32_t height) {
    const int64_t anchor = settings.hInTenths ? int64_t{settings.hPosition} * workWidth / 10
                                              : ScaleToDpi(settings.hPosition, positionDpi);
    int64_t x = anchor;
    if (settings.hAnchor == 0) {
        x = anchor - Half(width);
    } else if (settings.hAnchor == 2) {
        x = anchor - width;
    }
    const int64_t y = settings.vInTenths ? (int64_t{workHeight} - height) * settings.vPosition / 10
                                         : int64_t{ScaleToDpi(settings.vPosition, positionDpi)};
    return WindowPoint{ClampToInt32(x), ClampToInt32(y)};
}

WindowPoint KeepPosition(PriorRect prior, int32_t width, int32_t height) {
    int64_t x = prior.left;
    if (settings.hAnchor == 0) {
        x = int64_t{prior.left} + (Half(prior.width) - Half(width));
    } else if (settings.hAnchor == 2) {
        x = int64_t{prior.left} + prior.width - width;
    }

    int64_t y = prior.top;
    const int64_t freeHeight = int64_t{workHeight} - prior.height;
    // A window exactly as tall as the work area had no free space to keep a share of:
    // its top edge stays where it was.
    if (settings.vInTenths && freeHeight != 0) {
        // |height - prior.height| < 2^32 and |prior.top| <= 2^31, so the product stays
        // below 2^63 in magnitude, and so does prior.top minus the quotient.
        const int64_t product = (int64_t{height} - prior.height) * prior.top;
        y = int64_t{prior.top} - product / freeHeight;
    }
    return WindowPoint{ClampToInt32(x), ClampToInt32(y)};
}

// Across: the left edge, the centre or the last column. Down: the top edge, or for a
// share of the free height the row at that share of the window, which stays at the same
// share of the work area.
WindowPoint AnchorPoint(PriorRect rect) {
    int64_t x = rect.left;
    if (settings.hAnchor == 0) {
        x += Half(rect.width);
    } else if (settings.hAnchor == 2) {
        x += int64_t{rect.width} - 1;
    }
    int64_t y = rect.top;
    const int64_t freeHeight = int64_t{workHeight} - rect.height;
    if (settings.vInTenths && freeHeight != 0) {
        y += int64_t{rect.height} * rect.top / freeHeight;
    }
    return WindowPoint{ClampToInt32(x), ClampToInt32(y)};
}

uint32_t CurrentFrameStyle() {
    if (settings.captionFrame) {
        return STYLE_CAPTION;
    }
    return settings.thinFrame ? STYLE_THIN : STYLE_BARE;
}

FrameExtra CurrentFrameExtra() {
    if (settings.captionFrame) {
        return FrameExtra{captionExtraCx, captionExtraCy};
    }
    if (settings.thinFrame) {
        return FrameExtra{thinExtraCx, thinExtraCy};
    }
    return FrameExtra{0, 0};
}
