#include "wallpaper/slideshow.h"

namespace {

constexpr int64_t MS_PER_DAY = 86400000;

}  // namespace

int IntervalIsUsable(int32_t interval) {
    return interval >= 1 && interval <= MAX_SLIDESHOW_INTERVAL;
}

// For a time of day from GetLocalTime this is the plain signed 32-bit arithmetic
// exactly. The 64-bit sum and the folding into the day only matter for inputs that
// no clock gives (negative or out-of-range fields): they keep the result within
// 1001 to interval + 1000 instead of overflowing.
int32_t NextChangeDelay(int32_t interval, int32_t hour, int32_t minute, int32_t second, int32_t millisecond) {
    if (!IntervalIsUsable(interval)) {
        return 0;
    }
    int64_t t = ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    t %= MS_PER_DAY;
    if (t < 0) {
        t += MS_PER_DAY;
    }
    int64_t r = t % interval;
    return static_cast<int32_t>(interval - r + SLIDESHOW_MARGIN_MS);
}

// Anything but 4 bytes is refused: fewer would leave part of the count unwritten,
// more does not reach here (the registry answers ERROR_MORE_DATA).
int IntervalFromData(const uint8_t* data, uint32_t bytes, int32_t* interval) {
    if (bytes != 4) {
        return 0;
    }
    uint32_t value = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                     static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    *interval = static_cast<int32_t>(value);
    return 1;
}

int SlideshowCanAdvance(uint32_t state) {
    const uint32_t wanted = SLIDESHOW_ENABLED | SLIDESHOW_CONFIGURED;
    return (state & (wanted | SLIDESHOW_DISABLED_BY_REMOTE_SESSION)) == wanted;
}
