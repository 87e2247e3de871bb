// A whole command line: argument 0 makes the caption and the titles, the others go
// through ApplyOption until the first rejection, as at start-up. Checked after each
// argument: the settings stay inside the ranges the grammar allows, a rejected
// argument changes nothing (but padLines for a and A), and no text leaves its buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/caption.h"
#include "base/options.h"
#include "base/settings.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

int IsBoolean(int32_t value) {
    return value == 0 || value == 1;
}

void CheckRanges(const DisplaySettings& s) {
    Check(s.maxLines >= 1);
    Check(s.lineAlign == ALIGN_LEFT || s.lineAlign == ALIGN_CENTER || s.lineAlign == ALIGN_RIGHT);
    Check(s.windowWidth >= 0 && s.lineHeight >= 0 && s.fontSize >= 0);
    Check(s.hAnchor >= 0 && s.hAnchor <= 2);
    Check(s.fontWeight == 400 || s.fontWeight == 700);
    for (const ColorTriple& c : {s.textColor, s.backColor}) {
        Check(c.red <= 255 && c.green <= 255 && c.blue <= 255);
    }
    Check(s.autoExit ? s.autoExitSeconds >= 1 : s.autoExitSeconds == 0);
    Check(s.autoMinimize ? s.autoMinimizeSeconds >= 1 : s.autoMinimizeSeconds == 0);
    Check(s.zOrderAfter == Z_ORDER_TOP || s.zOrderAfter == Z_ORDER_TOPMOST);
    for (int32_t flag :
         {s.restOnLastLine, s.showExtension, s.padLines, s.fixedWidth, s.fixedLineHeight, s.hInTenths,
          s.vInTenths, s.customFont, s.fitFont, s.transparentText, s.transparentBack, s.autoExit,
          s.autoMinimize, s.captionFrame, s.thinFrame, s.clickOpens, s.trayIcon, s.taskbarButton}) {
        Check(IsBoolean(flag));
    }
    Check(!(s.captionFrame && s.thinFrame));  // no option sets both
    Check(TextLength(s.fontFace, FACE_UNITS) <= FACE_UNITS - 1);
}

// Bytes in pairs become code units; a zero unit ends an argument. Every argument gets
// a buffer of exactly its length, so that a read past its end is caught.
std::vector<std::vector<char16_t>> SplitArguments(const uint8_t* data, size_t size) {
    std::vector<std::vector<char16_t>> arguments(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0) {
            arguments.back().push_back(0);
            arguments.emplace_back();
        } else {
            arguments.back().push_back(unit);
        }
    }
    arguments.back().push_back(0);
    return arguments;
}

struct Guarded {
    char16_t text[TEXT_UNITS];
    char16_t guard[8];
};

void Prepare(Guarded* g) {
    memset(g->text, 0xA5, sizeof g->text);
    memset(g->guard, 0x5A, sizeof g->guard);
}

void CheckGuarded(const Guarded& g) {
    for (char16_t c : g.guard) {
        Check(c == 0x5A5A);
    }
    Check(TextLength(g.text, TEXT_UNITS) <= TEXT_UNITS - 1);
}

// The caption as the rule says: n - 4 units, then what follows the last backslash at an
// index of at least 1; cut to 259 units.
std::u16string ReferenceCaption(const char16_t* path) {
    const std::u16string text(path);
    if (text.size() <= 4) {
        return u"";
    }
    const std::u16string shortened = text.substr(0, text.size() - 4);
    size_t start = 0;
    const size_t k = shortened.find_last_of(u'\\');
    if (k != std::u16string::npos && k >= 1) {
        start = k + 1;
    }
    return shortened.substr(start, TEXT_UNITS - 1);
}

void CheckCaption(const char16_t* path) {
    Guarded name;
    Prepare(&name);
    MakeCaption(path, name.text);
    CheckGuarded(name);
    Check(ReferenceCaption(path) == name.text);

    void (*const formats[])(const char16_t*, char16_t(&)[TEXT_UNITS]) = {
        FormatWindowTitle, FormatOptionListTitle, FormatOwnerClassName};
    for (auto format : formats) {
        Guarded title;
        Prepare(&title);
        format(name.text, title.text);
        CheckGuarded(title);
        const std::u16string made(title.text);
        const std::u16string caption(name.text);
        Check(made.compare(0, caption.size(), caption) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<char16_t>> arguments = SplitArguments(data, size);
    CheckCaption(arguments[0].data());

    SetDefaultSettings(size > 0 ? 0x00FFFFFFu * data[0] : 0, 0x00F0F0F0);
    CheckRanges(settings);
    for (size_t i = 1; i < arguments.size(); ++i) {
        const char16_t* argument = arguments[i].data();
        DisplaySettings before = settings;
        if (ApplyOption(argument) != 1) {
            // Only a and A touch a field (padLines) before their value is refused.
            Check(argument[0] == u'a' || argument[0] == u'A' || settings.padLines == before.padLines);
            before.padLines = settings.padLines;
            Check(memcmp(&before, &settings, sizeof before) == 0);
            CheckRanges(settings);
            break;
        }
        CheckRanges(settings);
    }
    return 0;
}
