#include "window/gestures.h"

#include "base/language.h"
#include "window/scale.h"

void FormatExplorerParameters(const char16_t* path, char16_t (&parameters)[EXPLORER_PARAMETER_UNITS]) {
    CopyText(parameters, u"/select,\"");
    AppendText(parameters, path);
    AppendText(parameters, u"\"");
}

void FormatPositionTitle(const char16_t* name, char16_t (&title)[TEXT_UNITS]) {
    FormatText(title, ArrayCount(title), Text(TEXT_POSITION_TITLE), name);
}

namespace {

// Differences of screen coordinates wrap like the platform's 32-bit arithmetic would,
// without signed-overflow undefined behaviour.
int32_t Difference(int32_t high, int32_t low) {
    return static_cast<int32_t>(static_cast<uint32_t>(high) - static_cast<uint32_t>(low));
}

}  // namespace

void FormatPositionText(int32_t left,
                        int32_t top,
                        int32_t right,
                        int32_t bottom,
                        int32_t rowPitch,
                        int32_t edgeDpi,
                        int32_t sizeDpi,
                        char16_t (&text)[TEXT_UNITS]) {
    const int32_t pixels[] = {left,    right, top, bottom, Difference(right, left), Difference(bottom, top),
                              rowPitch};
    int32_t values[ArrayCount(pixels)];
    for (size_t i = 0; i < ArrayCount(pixels); ++i) {
        values[i] = ScaleFromDpi(pixels[i], i < 4 ? edgeDpi : sizeDpi);
    }
    FormatText(text, ArrayCount(text), Text(TEXT_POSITION), nullptr, values, ArrayCount(values));
}

uint32_t TimerPeriodFromSeconds(int32_t seconds) {
    if (seconds <= 0) {
        return 0;
    }
    uint64_t period = static_cast<uint64_t>(seconds) * 1000u;
    return period > MAX_TIMER_PERIOD_MS ? MAX_TIMER_PERIOD_MS : static_cast<uint32_t>(period);
}

bool DeleteGoesToBin(uint32_t flags) {
    return (flags & DELETE_TO_BIN) != 0;
}

int FormatFileList(const char16_t* path, char16_t (&list)[FILE_LIST_UNITS]) {
    const size_t length = TextLength(path, FILE_LIST_UNITS);
    list[0] = 0;
    list[1] = 0;
    if (length == 0 || length + 2 > FILE_LIST_UNITS) {
        return 0;
    }
    CopyTextPart(list, FILE_LIST_UNITS, path, length);
    list[length + 1] = 0;
    return 1;
}

void FormatRecycleText(TextId id, const char16_t* path, char16_t (&text)[RECYCLE_TEXT_UNITS]) {
    const char16_t* name = path;
    for (const char16_t* at = path; *at != 0; ++at) {
        if (*at == u'\\' || *at == u'/') {
            name = at + 1;
        }
    }
    FormatText(text, ArrayCount(text), Text(id), name);
}
