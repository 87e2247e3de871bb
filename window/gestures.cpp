#include "window/gestures.h"

#include "window/scale.h"

void FormatExplorerParameters(const char16_t* path, char16_t (&parameters)[EXPLORER_PARAMETER_UNITS]) {
    CopyText(parameters, u"/select,\"");
    AppendText(parameters, path);
    AppendText(parameters, u"\"");
}

void FormatPositionTitle(const char16_t* name, char16_t (&title)[TEXT_UNITS]) {
    CopyText(title, name);
    AppendText(title, u" ウィンドウの位置と大きさ  ");
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
    const size_t n = ArrayCount(text);
    CopyText(text, u"左：");
    AppendNumber(text, n, ScaleFromDpi(left, edgeDpi));
    AppendText(text, u"   右：");
    AppendNumber(text, n, ScaleFromDpi(right, edgeDpi));
    AppendText(text, u"   上：");
    AppendNumber(text, n, ScaleFromDpi(top, edgeDpi));
    AppendText(text, u"   下：");
    AppendNumber(text, n, ScaleFromDpi(bottom, edgeDpi));
    AppendText(text, u"  \n幅：");
    AppendNumber(text, n, ScaleFromDpi(Difference(right, left), sizeDpi));
    AppendText(text, u"   高さ：");
    AppendNumber(text, n, ScaleFromDpi(Difference(bottom, top), sizeDpi));
    AppendText(text, u"   (行高：");
    AppendNumber(text, n, ScaleFromDpi(rowPitch, sizeDpi));
    AppendText(text, u")  ");
}

uint32_t TimerPeriodFromSeconds(int32_t seconds) {
    if (seconds <= 0) {
        return 0;
    }
    uint64_t period = static_cast<uint64_t>(seconds) * 1000u;
    return period > MAX_TIMER_PERIOD_MS ? MAX_TIMER_PERIOD_MS : static_cast<uint32_t>(period);
}
