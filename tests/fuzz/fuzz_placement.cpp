// InitialPosition and KeepPosition with extreme settings, work areas and sizes,
// against the formulas worked in 128 bits: equal wherever the exact value fits in 32
// bits, and held at the nearest end of the range where it does not.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/settings.h"
#include "window/placement.h"

namespace {

using Wide = __int128;

// A flags byte, then ten 32-bit values: exactly what the target reads.
constexpr size_t INPUT_BYTES = 1 + 10 * sizeof(uint32_t);

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

int32_t Take(const uint8_t*& data) {
    uint32_t v;
    memcpy(&v, data, sizeof v);
    data += sizeof v;
    return static_cast<int32_t>(v);
}

int32_t Expected(Wide exact) {
    if (exact > INT32_MAX) {
        return INT32_MAX;
    }
    if (exact < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(exact);
}

Wide ReferenceX(Wide anchor, int32_t width) {
    switch (settings.hAnchor) {
        case 0:
            return anchor - Wide{width} / 2;
        case 2:
            return anchor - width;
        default:
            return anchor;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < INPUT_BYTES) {
        return 0;
    }
    const uint8_t flags = *data++;
    SetDefaultSettings(0, 0);
    settings.hAnchor = flags % 3;
    settings.hInTenths = (flags >> 2) & 1;
    settings.vInTenths = (flags >> 3) & 1;
    settings.hPosition = Take(data);
    settings.vPosition = Take(data);
    workWidth = Take(data);
    workHeight = Take(data);
    const int32_t width = Take(data);
    const int32_t height = Take(data);
    PriorRect prior;
    prior.left = Take(data);
    prior.top = Take(data);
    prior.width = Take(data);
    prior.height = Take(data);
    if (flags & 0x10) {
        // Sizes and a work area as a desktop has them, positions anywhere.
        workWidth = static_cast<int32_t>(static_cast<uint32_t>(workWidth) % 20000);
        workHeight = static_cast<int32_t>(static_cast<uint32_t>(workHeight) % 20000);
    }

    const WindowPoint initial = InitialPosition(width, height);
    const Wide anchor =
        settings.hInTenths ? Wide{settings.hPosition} * workWidth / 10 : Wide{settings.hPosition};
    const Wide initialY =
        settings.vInTenths ? (Wide{workHeight} - height) * settings.vPosition / 10 : Wide{settings.vPosition};
    Check(initial.x == Expected(ReferenceX(anchor, width)));
    Check(initial.y == Expected(initialY));

    const WindowPoint kept = KeepPosition(prior, width, height);
    Wide keptX = prior.left;
    if (settings.hAnchor == 0) {
        keptX = Wide{prior.left} + (Wide{prior.width} / 2 - Wide{width} / 2);
    } else if (settings.hAnchor == 2) {
        keptX = Wide{prior.left} + prior.width - width;
    }
    Wide keptY = prior.top;
    const Wide freeHeight = Wide{workHeight} - prior.height;
    if (settings.vInTenths && freeHeight != 0) {
        keptY = Wide{prior.top} - (Wide{height} - prior.height) * prior.top / freeHeight;
    }
    Check(kept.x == Expected(keptX));
    Check(kept.y == Expected(keptY));
    return 0;
}
