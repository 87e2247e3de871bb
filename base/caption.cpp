#include "base/caption.h"

namespace {

// caption followed by a fixed text, cut to the buffer when the caption is long.
void FormatAfterName(const char16_t* name, const char16_t* suffix, char16_t (&result)[TEXT_UNITS]) {
    CopyText(result, name);
    AppendText(result, suffix);
}

}  // namespace

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
    FormatAfterName(name, u" 現在のデスクトップ背景  ", title);
}

void FormatOptionListTitle(const char16_t* name, char16_t (&title)[TEXT_UNITS]) {
    FormatAfterName(name, u" コマンドラインオプション一覧  ", title);
}

void FormatOwnerClassName(const char16_t* name, char16_t (&className)[TEXT_UNITS]) {
    FormatAfterName(name, u"0", className);
}
