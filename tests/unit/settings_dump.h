// Readable forms of texts and of the whole settings record for test messages.
#pragma once

#include <cstdio>
#include <string>

#include "base/settings.h"

inline std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[12];
            snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

// Every field, so that a case also proves that nothing else changed.
inline std::string Dump(const DisplaySettings& s) {
    std::string out;
    auto field = [&out](const char* name, long long value) {
        out += name;
        out += '=';
        out += std::to_string(value);
        out += ' ';
    };
    field("maxLines", s.maxLines);
    field("restOnLastLine", s.restOnLastLine);
    field("showExtension", s.showExtension);
    field("padLines", s.padLines);
    field("lineAlign", s.lineAlign);
    field("windowWidth", s.windowWidth);
    field("fixedWidth", s.fixedWidth);
    field("lineHeight", s.lineHeight);
    field("fixedLineHeight", s.fixedLineHeight);
    field("hAnchor", s.hAnchor);
    field("hPosition", s.hPosition);
    field("hInTenths", s.hInTenths);
    field("vPosition", s.vPosition);
    field("vInTenths", s.vInTenths);
    field("customFont", s.customFont);
    field("fontSize", s.fontSize);
    field("fitFont", s.fitFont);
    out += "fontFace=\"" + Narrow(s.fontFace) + "\" ";
    field("fontWeight", s.fontWeight);
    field("textRed", s.textColor.red);
    field("textGreen", s.textColor.green);
    field("textBlue", s.textColor.blue);
    field("backRed", s.backColor.red);
    field("backGreen", s.backColor.green);
    field("backBlue", s.backColor.blue);
    field("transparentText", s.transparentText);
    field("transparentBack", s.transparentBack);
    field("autoExit", s.autoExit);
    field("autoExitSeconds", s.autoExitSeconds);
    field("autoMinimize", s.autoMinimize);
    field("autoMinimizeSeconds", s.autoMinimizeSeconds);
    field("captionFrame", s.captionFrame);
    field("thinFrame", s.thinFrame);
    field("zOrderAfter", static_cast<long long>(s.zOrderAfter));
    field("clickOpens", s.clickOpens);
    field("trayIcon", s.trayIcon);
    field("taskbarButton", s.taskbarButton);
    return out;
}
