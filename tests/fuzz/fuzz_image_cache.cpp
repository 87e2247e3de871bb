// The image cache's path against a reference that follows the rule word for word:
// binary, an even size of at least 26 bytes, and a zero unit at byte 24 + 2k
// (k from 1 to 259) with no zero unit before it; the path is the k units before it.
// Likewise the device field: a zero unit at byte 544 + 2k (k at least 1) with none
// before it; the value is a monitor's exactly when the field is that monitor's path, in
// whatever case, and the path is usable.
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

int ReferenceDevice(const std::vector<uint8_t>& value, std::u16string* device) {
    for (size_t at = 544; at + 1 < value.size(); at += 2) {
        const char16_t unit = static_cast<char16_t>(value[at] + 256 * value[at + 1]);
        if (unit == 0) {
            return !device->empty();
        }
        device->push_back(unit);
    }
    return 0;
}

std::u16string OtherCase(std::u16string text) {
    for (char16_t& unit : text) {
        if (unit >= u'a' && unit <= u'z') {
            unit = static_cast<char16_t>(unit - u'a' + u'A');
        } else if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit - u'A' + u'a');
        }
    }
    return text;
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
    if (!ok && length != 0) {
        abort();
    }
    if (ok && (length != expected.size() || !std::equal(expected.begin(), expected.end(), path))) {
        abort();
    }

    std::u16string device;
    const int deviceOk = ReferenceDevice(value, &device);
    // The field's own path in the other case is the monitor; one unit less or more is not.
    const std::u16string monitor = OtherCase(device);
    char16_t chosen[TEXT_UNITS];
    const int chosenOk =
        PathForMonitor(type, value.data(), static_cast<uint32_t>(value.size()), monitor.c_str(), chosen);
    if (chosenOk != (deviceOk && ok) || (chosenOk && !TextEquals(chosen, path))) {
        abort();
    }
    const uint32_t bytes = static_cast<uint32_t>(value.size());
    if ((!monitor.empty() &&
         PathForMonitor(type, value.data(), bytes, monitor.substr(0, monitor.size() - 1).c_str(), chosen)) ||
        PathForMonitor(type, value.data(), bytes, (monitor + u"x").c_str(), chosen)) {
        abort();
    }
    return 0;
}
