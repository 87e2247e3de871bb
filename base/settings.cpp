#include "base/settings.h"

DisplaySettings settings;
uint32_t colorKey;
int32_t workWidth;
int32_t workHeight;
int32_t captionExtraCx;
int32_t captionExtraCy;
int32_t thinExtraCx;
int32_t thinExtraCy;
char16_t caption[TEXT_UNITS];

void SetDefaultSettings(uint32_t systemTextColor, uint32_t systemBackColor) {
    settings = DisplaySettings{};
    settings.maxLines = 1;
    settings.padLines = 1;
    settings.restOnLastLine = 0;
    settings.hAnchor = 0;
    settings.lineAlign = ALIGN_CENTER;
    settings.fixedWidth = 0;
    settings.windowWidth = 0;
    settings.fixedLineHeight = 0;
    settings.lineHeight = 0;
    settings.hInTenths = 1;
    settings.hPosition = 5;
    settings.vInTenths = 1;
    settings.vPosition = 5;
    settings.customFont = 0;
    settings.fitFont = 1;
    settings.fontSize = 0;
    settings.fontFace[0] = 0;
    settings.fontWeight = 400;
    settings.transparentText = 0;
    settings.transparentBack = 0;
    settings.captionFrame = 1;
    settings.thinFrame = 0;
    settings.zOrderAfter = Z_ORDER_TOP;
    settings.clickOpens = 1;
    settings.autoExit = 0;
    settings.autoExitSeconds = 0;
    settings.autoMinimize = 0;
    settings.autoMinimizeSeconds = 0;
    settings.trayIcon = 0;
    settings.taskbarButton = 1;
    settings.showExtension = 0;
    settings.textColor = ColorFromValue(systemTextColor);
    settings.backColor = ColorFromValue(systemBackColor);
}

uint32_t ColorValue(ColorTriple color) {
    return (color.red & 0xFF) | (color.green & 0xFF) << 8 | (color.blue & 0xFF) << 16;
}

ColorTriple ColorFromValue(uint32_t value) {
    return ColorTriple{value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF};
}

uint32_t ComputeColorKey(uint32_t textColor, uint32_t backColor) {
    uint32_t key = 0x000001;
    if (textColor == 0x000001 || backColor == 0x000001) {
        key = 0x000100;
        if (textColor == 0x000100 || backColor == 0x000100) {
            key = 0x010000;
        }
    }
    return key;
}
