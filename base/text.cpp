#include "base/text.h"

size_t TextLength(const char16_t* text, size_t limit) {
    size_t n = 0;
    while (n < limit && text[n] != 0) {
        ++n;
    }
    return n;
}

int CopyTextPart(char16_t* destination, size_t count, const char16_t* source, size_t length) {
    if (count == 0) {
        return 0;
    }
    size_t n = 0;
    while (n < length && n + 1 < count && source[n] != 0) {
        destination[n] = source[n];
        ++n;
    }
    destination[n] = 0;
    return n == length || source[n] == 0;
}

int CopyText(char16_t* destination, size_t count, const char16_t* source) {
    return CopyTextPart(destination, count, source, SIZE_MAX);
}

int AppendText(char16_t* destination, size_t count, const char16_t* source) {
    size_t used = TextLength(destination, count);
    if (used >= count) {
        return 0;  // Not a terminated text: refuse rather than run past the buffer.
    }
    return CopyText(destination + used, count - used, source);
}

int AppendNumber(char16_t* destination, size_t count, int32_t value) {
    char16_t digits[12];
    size_t n = ArrayCount(digits);
    digits[--n] = 0;
    // Work on the magnitude as unsigned so that INT32_MIN needs no negation in int.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[--n] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        digits[--n] = u'-';
    }
    return AppendText(destination, count, digits + n);
}

int FormatText(char16_t* destination,
               size_t count,
               const char16_t* format,
               const char16_t* name,
               const int32_t* numbers,
               size_t numberCount) {
    if (count == 0) {
        return 0;
    }
    destination[0] = 0;
    int whole = 1;
    size_t next = 0;
    for (const char16_t* p = format; *p != 0; ++p) {
        if (p[0] == u'%' && p[1] == u's' && name != nullptr) {
            whole &= AppendText(destination, count, name);
            ++p;
        } else if (p[0] == u'%' && p[1] == u'i' && next < numberCount) {
            whole &= AppendNumber(destination, count, numbers[next++]);
            ++p;
        } else {
            const char16_t unit[2] = {*p, 0};
            whole &= AppendText(destination, count, unit);
        }
    }
    return whole;
}

int TextEquals(const char16_t* a, const char16_t* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}
