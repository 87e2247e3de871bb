// The image cache's path against a reference that follows the rule word for word:
// binary, an even size of at least 26 bytes, and a zero unit at byte 24 + 2k
// (k from 1 to 259) with no zero unit before it; the path is the k units before it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "wallpaper/lines.h"

namespace {

int Reference(uint32_t type, const std::vector<uint8_t>& value, std::vector<char16_t>* path) {
    if (type != 3 || value.size() % 2 != 0 || value.size() < 26) {
        return 0;
    }
    for (size_t at = 24; at + 1 < value.size(); at += 2) {
        const char16_t unit = static_cast<char16_t>(value[at] + 256 * value[at + 1]);
        if (unit == 0) {
            return path->size() >= 1 && path->size() <= 259;
        }
        path->push_back(unit);
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 2 * IMAGE_CACHE_DATA_BYTES) {
        return 0;
    }
    // The first byte picks the registry type; the rest is the value, copied so that a
    // read past its end is caught.
    const uint32_t type = data[0] % 5;
    const std::vector<uint8_t> value(data + 1, data + size);
    char16_t path[TEXT_UNITS];
    for (char16_t& unit : path) {
        unit = 0xA5A5;
    }
    const int ok = PathFromImageCache(type, value.data(), static_cast<uint32_t>(value.size()), path);
    std::vector<char16_t> expected;
    const int expectedOk = Reference(type, value, &expected);
    const size_t length = TextLength(path, TEXT_UNITS);
    if (ok != expectedOk || length == TEXT_UNITS) {
        abort();
    }
    // The device field ends at a zero unit at byte 544 + 2k (k >= 1): the value is the monitor's
    // whose path that is, in either case, when its path is usable; one unit more is another.
    std::u16string monitor;
    bool ended = false;
    for (size_t at = 544; at + 1 < value.size() && !ended; at += 2) {
        const char16_t unit = static_cast<char16_t>(value[at] + 256 * value[at + 1]);
        ended = unit == 0;
        monitor.push_back((unit | 0x20) >= u'a' && (unit | 0x20) <= u'z' ? unit ^ 0x20 : unit);  // other case
    }
    if (ended) {
        monitor.pop_back();  // the zero
    }
    const int mine = ended && !monitor.empty() && ok;
    const uint32_t bytes = static_cast<uint32_t>(value.size());
    char16_t chosen[TEXT_UNITS];
    if (PathForMonitor(type, value.data(), bytes, monitor.c_str(), chosen) != mine ||
        !TextEquals(chosen, mine ? path : u"") ||
        PathForMonitor(type, value.data(), bytes, (monitor + u"x").c_str(), chosen)) {
        abort();
    }
    if (!ok) {
        if (length != 0) {
            abort();
        }
        return 0;
    }
    if (length != expected.size() || !std::equal(expected.begin(), expected.end(), path)) {
        abort();
    }
    return 0;
}
