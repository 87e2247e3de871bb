#include "base/caption.h"

#include "base/language.h"

void MakeCaption(const char16_t* programPath, char16_t (&result)[TEXT_UNITS]) {
    result[0] = 0;
    size_t n = TextLength(programPath);
    if (n <= 4) {
        return;  // Nothing is left once the four characters are dropped.
    }
    // The search runs over the whole shortened path, so that a path longer than the
    // name buffer still yields its base name; only the copy is cut to the buffer.
    size_t length = n - 4;
    size_t start = 0;
    for (size_t k = length - 1; k >= 1; --k) {
        if (programPath[k] == u'\\') {
            start = k + 1;
            break;
        }
    }
    CopyTextPart(result, ArrayCount(result), programPath + start, length - start);
}

void FormatWindowTitle(const char16_t* name, char16_t (&title)[TEXT_UNITS]) {
    FormatText(title, ArrayCount(title), Text(TEXT_WINDOW_TITLE), name);
}

void FormatOptionListTitle(const char16_t* name, char16_t (&title)[TEXT_UNITS]) {
    FormatText(title, ArrayCount(title), Text(TEXT_OPTION_LIST_TITLE), name);
}

void FormatOwnerClassName(const char16_t* name, char16_t (&className)[TEXT_UNITS]) {
    FormatText(className, ArrayCount(className), u"%s0", name);
}
