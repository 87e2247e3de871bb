// The settings record, the values derived from it once at start-up, and the other
// process-wide records that several subsystems share. Platform-free: handle-typed
// values are kept as plain integers and become handles in the shell.
#pragma once

#include <cstdint>

#include "base/text.h"

// Alignment styles of the labels (the values of SS_LEFT, SS_CENTER, SS_RIGHT).
constexpr int32_t ALIGN_LEFT = 0;
constexpr int32_t ALIGN_CENTER = 1;
constexpr int32_t ALIGN_RIGHT = 2;

// Insert-after values of the placement calls: HWND_TOP and HWND_TOPMOST.
constexpr intptr_t Z_ORDER_TOP = 0;
constexpr intptr_t Z_ORDER_TOPMOST = -1;

constexpr int FACE_UNITS = 32;

struct ColorTriple {
    uint32_t red;
    uint32_t green;
    uint32_t blue;
};

struct DisplaySettings {
    int32_t maxLines;
    int32_t restOnLastLine;
    int32_t showExtension;
    int32_t padLines;
    int32_t lineAlign;
    int32_t windowWidth;
    int32_t fixedWidth;
    int32_t lineHeight;
    int32_t fixedLineHeight;
    int32_t hAnchor;
    int32_t hPosition;
    int32_t hInTenths;
    int32_t vPosition;
    int32_t vInTenths;
    int32_t customFont;
    int32_t fontSize;
    int32_t fitFont;
    char16_t fontFace[FACE_UNITS];
    int32_t fontWeight;
    ColorTriple textColor;
    ColorTriple backColor;
    int32_t transparentText;
    int32_t transparentBack;
    int32_t autoExit;
    int32_t autoExitSeconds;
    int32_t autoMinimize;
    int32_t autoMinimizeSeconds;
    int32_t captionFrame;
    int32_t thinFrame;
    intptr_t zOrderAfter;
    int32_t clickOpens;
    int32_t trayIcon;
    int32_t taskbarButton;
};

extern DisplaySettings settings;

// Derived once at start-up from the finished settings and the platform.
extern uint32_t colorKey;
extern int32_t workWidth;
extern int32_t workHeight;
extern int32_t captionExtraCx;
extern int32_t captionExtraCy;
extern int32_t thinExtraCx;
extern int32_t thinExtraCy;

// The program file's base name: class name, titles, box captions, tray tip.
extern char16_t caption[TEXT_UNITS];

// Fills settings with the defaults; the two colours are the system's COLORREFs
// for window text and button face.
void SetDefaultSettings(uint32_t systemTextColor, uint32_t systemBackColor);

// red | green << 8 | blue << 16, each component taken as its low 8 bits.
uint32_t ColorValue(ColorTriple color);

// Splits a COLORREF into its three components.
ColorTriple ColorFromValue(uint32_t value);

// The first of 0x000001, 0x000100, 0x010000 that equals neither colour.
uint32_t ComputeColorKey(uint32_t textColor, uint32_t backColor);
