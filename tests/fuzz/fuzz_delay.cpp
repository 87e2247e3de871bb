// NextChangeDelay over its whole input space, intervals outside the data model and
// clock fields no clock gives included.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "wallpaper/slideshow.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

int32_t Take(const uint8_t* data) {
    uint32_t v;
    memcpy(&v, data, sizeof v);
    return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 20) {
        return 0;
    }
    int32_t interval = Take(data);
    int32_t hour = Take(data + 4);
    int32_t minute = Take(data + 8);
    int32_t second = Take(data + 12);
    int32_t millisecond = Take(data + 16);
    // Half of the inputs keep the clock to what GetLocalTime can give.
    const bool realClock = size > 20 && (data[20] & 1);
    if (realClock) {
        hour = static_cast<int32_t>(static_cast<uint32_t>(hour) % 24);
        minute = static_cast<int32_t>(static_cast<uint32_t>(minute) % 60);
        second = static_cast<int32_t>(static_cast<uint32_t>(second) % 60);
        millisecond = static_cast<int32_t>(static_cast<uint32_t>(millisecond) % 1000);
    }
    const int32_t delay = NextChangeDelay(interval, hour, minute, second, millisecond);
    if (!IntervalIsUsable(interval)) {
        Check(interval < 1 || interval > MAX_SLIDESHOW_INTERVAL);
        Check(delay == 0);
        return 0;
    }
    Check(delay >= 1001 && int64_t{delay} <= int64_t{interval} + 1000);
    if (realClock) {
        // The fire time lies on the interval's grid from midnight, one margin late.
        const int64_t t = ((int64_t{hour} * 60 + minute) * 60 + second) * 1000 + millisecond;
        const int64_t fire = t + delay - 1000;
        Check(fire % interval == 0 && fire > t && fire - t <= interval);
    }
    return 0;
}
