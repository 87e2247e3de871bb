#include "base/options.h"

#include "base/settings.h"
#include "base/text.h"

int ParseSignedNumber(const char16_t* text, int32_t* value) {
    int32_t sign = 1;
    if (*text == u'-') {
        sign = -1;
        ++text;
    } else if (*text == u'+') {
        ++text;
    }
    // The digits are read from a work buffer of 260 units; a longer digit string does
    // not fit and is refused instead of being read partly.
    char16_t work[TEXT_UNITS];
    if (!CopyText(work, text)) {
        *value = 0;
        return 0;
    }
    // Unsigned arithmetic gives the 32-bit wrap-around without signed overflow.
    uint32_t number = 0;
    for (const char16_t* p = work; *p != 0; ++p) {
        if (*p < u'0' || *p > u'9') {
            *value = 0;
            return 0;
        }
        number = number * 10u + static_cast<uint32_t>(*p - u'0');
    }
    uint32_t signedNumber = sign < 0 ? 0u - number : number;
    *value = static_cast<int32_t>(signedNumber);
    return 1;
}

namespace {

int ApplyFlag(char16_t letter) {
    switch (letter) {
        case u'e':
        case u'E':
            settings.showExtension = 1;
            return 1;
        case u'i':
            settings.trayIcon = 1;
            settings.taskbarButton = 0;
            return 1;
        case u'I':
            settings.trayIcon = 1;
            settings.taskbarButton = 1;
            return 1;
        case u'm':
            settings.zOrderAfter = Z_ORDER_TOPMOST;
            settings.clickOpens = 1;
            return 1;
        case u'M':
            settings.zOrderAfter = Z_ORDER_TOPMOST;
            settings.clickOpens = 0;
            return 1;
        case u'p':
            settings.transparentText = 1;
            return 1;
        case u'P':
            settings.transparentBack = 1;
            return 1;
        case u't':
            settings.captionFrame = 0;
            settings.thinFrame = 0;
            return 1;
        case u'T':
            settings.captionFrame = 0;
            settings.thinFrame = 1;
            return 1;
        default:
            return 0;
    }
}

int IsComponent(int32_t value) {
    return value >= 0 && value <= 255;
}

// Alignment option values: 0 centre, 1 left, 2 right.
int AlignmentFromOption(int32_t value, int32_t* align) {
    switch (value) {
        case 0:
            *align = ALIGN_CENTER;
            return 1;
        case 1:
            *align = ALIGN_LEFT;
            return 1;
        case 2:
            *align = ALIGN_RIGHT;
            return 1;
        default:
            return 0;
    }
}

void SetHorizontal(int32_t value, int32_t anchor, int32_t inTenths) {
    settings.hPosition = value;
    settings.hAnchor = anchor;
    settings.hInTenths = inTenths;
}

int ApplyNumber(char16_t letter, int32_t value) {
    switch (letter) {
        case u'd':
        case u'D':
            if (value < 1) {
                return 0;
            }
            settings.maxLines = value;
            settings.restOnLastLine = letter == u'D';
            return 1;
        case u'a':
        case u'A': {
            // padLines is set before the value is tested; harmless, a rejection ends start-up.
            settings.padLines = letter == u'a';
            int32_t align;
            if (!AlignmentFromOption(value, &align)) {
                return 0;
            }
            settings.lineAlign = align;
            return 1;
        }
        case u'w':
        case u'W':
            if (value < 0) {
                return 0;
            }
            settings.windowWidth = value;
            settings.fixedWidth = letter == u'W';
            return 1;
        case u'h':
        case u'H':
            if (value < 0) {
                return 0;
            }
            settings.lineHeight = value;
            settings.fixedLineHeight = letter == u'H';
            return 1;
        case u'c':
            SetHorizontal(value, 0, 0);
            return 1;
        case u'l':
            SetHorizontal(value, 1, 0);
            return 1;
        case u'r':
            SetHorizontal(value, 2, 0);
            return 1;
        case u'C':
            SetHorizontal(value, 0, 1);
            return 1;
        case u'L':
            SetHorizontal(value, 1, 1);
            return 1;
        case u'R':
            SetHorizontal(value, 2, 1);
            return 1;
        case u'y':
        case u'Y':
            settings.vPosition = value;
            settings.vInTenths = letter == u'Y';
            return 1;
        case u's':
        case u'S':
            if (value < 0) {
                return 0;
            }
            settings.fontSize = value;
            settings.customFont = 1;
            settings.fitFont = letter == u's';
            return 1;
        case u'u':
        case u'g':
        case u'b':
        case u'U':
        case u'G':
        case u'B': {
            if (!IsComponent(value)) {
                return 0;
            }
            uint32_t component = static_cast<uint32_t>(value);
            switch (letter) {
                case u'u': settings.textColor.red = component; break;
                case u'g': settings.textColor.green = component; break;
                case u'b': settings.textColor.blue = component; break;
                case u'U': settings.backColor.red = component; break;
                case u'G': settings.backColor.green = component; break;
                default: settings.backColor.blue = component; break;
            }
            return 1;
        }
        case u'q':
            if (value < 1) {
                return 0;
            }
            settings.autoExitSeconds = value;
            settings.autoExit = 1;
            return 1;
        case u'Q':
            if (value < 1) {
                return 0;
            }
            settings.autoMinimizeSeconds = value;
            settings.autoMinimize = 1;
            return 1;
        default:
            return 0;
    }
}

}  // namespace

int ApplyOption(const char16_t* argument) {
    if (argument[0] == 0) {
        return 0;
    }
    if (argument[1] == 0) {
        return ApplyFlag(argument[0]);
    }
    if (argument[0] == u'f' || argument[0] == u'F') {
        // A longer face name is cut to what the font record holds, not refused.
        CopyText(settings.fontFace, argument + 1);
        settings.customFont = 1;
        settings.fontWeight = argument[0] == u'F' ? 700 : 400;
        return 1;
    }
    int32_t value;
    if (!ParseSignedNumber(argument + 1, &value)) {
        return 0;
    }
    return ApplyNumber(argument[0], value);
}
