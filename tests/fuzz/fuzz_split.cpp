// Whatever another program left in the wallpaper value: 0 to 600 bytes of registry
// data, turned into a text and cut into lines under every setting combination.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "wallpaper/lines.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 601) {
        return 0;
    }
    // The first byte picks the line count; the rest is the value's data, copied so
    // that a read past its end is caught.
    const int32_t maxLineChoices[] = {1, 2, 3, 9, 10, 11, 12, 1000, INT32_MAX};
    const int32_t maxLines = maxLineChoices[data[0] % 9];
    const std::vector<uint8_t> value(data + 1, data + size);
    const uint32_t bytes = static_cast<uint32_t>(value.size());

    char16_t text[TEXT_UNITS];
    memset(text, 0xA5, sizeof text);
    const int ok = WallpaperTextFromData(value.data(), bytes, text);
    Check(TextLength(text, TEXT_UNITS) < TEXT_UNITS);
    if (!ok) {
        Check(text[0] == 0);
        return 0;
    }
    for (int combination = 0; combination < 8; ++combination) {
        SplitLines result;
        memset(&result, 0xA5, sizeof result);
        SplitWallpaperPath(text, maxLines, combination & 1, (combination >> 1) & 1, (combination >> 2) & 1,
                           &result);
        Check(result.count >= 1 && result.count <= MAX_LINES);
        Check(result.count <= maxLines);
        for (int32_t i = 0; i < MAX_LINES; ++i) {
            const size_t length = TextLength(result.text[i], TEXT_UNITS);
            Check(length < TEXT_UNITS);
            Check(i < result.count || length == 0);
        }
    }
    return 0;
}
