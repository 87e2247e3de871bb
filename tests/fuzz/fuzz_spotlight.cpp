// Spotlight's value, whatever it holds: the search stays inside the value and its work,
// and a title (found exactly when given) is whole characters without control characters.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "wallpaper/spotlight.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The seeds' item 2 names this picture.
    const char16_t* path =
        u"C:\\Users\\Ann\\AppData\\Local\\Packages\\MicrosoftWindows.Client.CBS_cw5n1h2txyewy\\LocalCache\\"
        u"Microsoft\\IrisService\\1a2b\\18162785942.jpg";
    std::vector<char16_t> value(size / 2);
    for (size_t i = 0; i < value.size(); ++i) {
        value[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    std::vector<int> work(SpotlightWorkBytes(value.size()) / sizeof(int) + 1);
    char16_t title[TEXT_UNITS];
    const int found = FindSpotlightTitle(value.data(), value.size(), path, work.data(), title);
    const size_t n = TextLength(title, TEXT_UNITS);
    if (n == TEXT_UNITS || found != (n != 0)) {
        abort();
    }
    for (size_t i = 0; i < n; ++i) {
        const char16_t unit = title[i];
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < n && (title[i + 1] & 0xFC00) == 0xDC00;
        if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || ((unit & 0xF800) == 0xD800 && !pair)) {
            abort();
        }
        i += pair;
    }
    return 0;
}
