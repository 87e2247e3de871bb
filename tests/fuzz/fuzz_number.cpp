// ParseSignedNumber against a reference that reads the digits in 64 bits, reduced
// modulo 2^32 at every step so that it never overflows either.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/options.h"

namespace {

// 1 and the value modulo 2^32 for an optional sign followed by ASCII digits only.
int Reference(const char16_t* text, size_t length, int64_t* value) {
    size_t i = 0;
    int64_t sign = 1;
    if (i < length && (text[i] == u'-' || text[i] == u'+')) {
        sign = text[i] == u'-' ? -1 : 1;
        ++i;
    }
    int64_t number = 0;
    for (; i < length; ++i) {
        if (text[i] < u'0' || text[i] > u'9') {
            return 0;
        }
        number = (number * 10 + (text[i] - u'0')) % 4294967296;
    }
    *value = sign * number;
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Bytes in pairs become code units; a zero unit ends the text as it would in a C string.
    size_t units = size / 2;
    char16_t* text = static_cast<char16_t*>(malloc((units + 1) * sizeof(char16_t)));
    size_t length = 0;
    while (length < units) {
        char16_t unit = static_cast<char16_t>(data[2 * length] | data[2 * length + 1] << 8);
        if (unit == 0) {
            break;
        }
        text[length++] = unit;
    }
    text[length] = 0;

    int32_t value = 12345;
    const int ok = ParseSignedNumber(text, &value);
    int64_t expected = 0;
    const int referenceOk = Reference(text, length, &expected);
    const size_t digits = length - (length > 0 && (text[0] == u'-' || text[0] == u'+'));
    if (digits > 259) {
        // Too long for the work text: refused, never read partly.
        if (ok != 0 || value != 0) {
            abort();
        }
    } else if (referenceOk) {
        if (ok != 1 || (int64_t{value} - expected) % 4294967296 != 0) {
            abort();
        }
    } else if (ok != 0 || value != 0) {
        abort();
    }
    free(text);
    return 0;
}
