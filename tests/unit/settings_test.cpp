#include <gtest/gtest.h>

#include <cstring>

#include "base/settings.h"
#include "tests/unit/settings_dump.h"

namespace {

// The defaults as the settings table gives them, field by field in its order.
DisplaySettings ExpectedDefaults(ColorTriple text, ColorTriple back) {
    DisplaySettings s;
    memset(&s, 0x5A, sizeof s);
    s.maxLines = 1;
    s.restOnLastLine = 0;
    s.showExtension = 0;
    s.padLines = 1;
    s.lineAlign = 1;  // SS_CENTER
    s.windowWidth = 0;
    s.fixedWidth = 0;
    s.lineHeight = 0;
    s.fixedLineHeight = 0;
    s.hAnchor = 0;
    s.hPosition = 5;
    s.hInTenths = 1;
    s.vPosition = 5;
    s.vInTenths = 1;
    s.customFont = 0;
    s.fontSize = 0;
    s.fitFont = 1;
    s.fontFace[0] = 0;
    s.fontWeight = 400;
    s.textColor = text;
    s.backColor = back;
    s.transparentText = 0;
    s.transparentBack = 0;
    s.autoExit = 0;
    s.autoExitSeconds = 0;
    s.autoMinimize = 0;
    s.autoMinimizeSeconds = 0;
    s.captionFrame = 1;
    s.thinFrame = 0;
    s.zOrderAfter = 0;  // HWND_TOP
    s.clickOpens = 1;
    s.trayIcon = 0;
    s.taskbarButton = 1;
    return s;
}

}  // namespace

// Defaults are set over whatever the record held before (all bits set here), and the
// two system colours are split into components with their top byte ignored.
TEST(SetDefaultSettings, EveryFieldTakesItsDefault) {
    struct Case {
        uint32_t systemText;
        uint32_t systemBack;
        ColorTriple text;
        ColorTriple back;
    };
    const Case cases[] = {
        {0x00000000, 0x00F0F0F0, {0, 0, 0}, {0xF0, 0xF0, 0xF0}},
        {0x00332211, 0x00665544, {0x11, 0x22, 0x33}, {0x44, 0x55, 0x66}},
        {0xFF332211, 0x80FFFFFF, {0x11, 0x22, 0x33}, {0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        memset(&settings, 0xFF, sizeof settings);
        SetDefaultSettings(c.systemText, c.systemBack);
        EXPECT_EQ(Dump(ExpectedDefaults(c.text, c.back)), Dump(settings));
        EXPECT_EQ(c.systemText & 0xFFFFFF, ColorValue(settings.textColor));
        EXPECT_EQ(c.systemBack & 0xFFFFFF, ColorValue(settings.backColor));
    }
}

TEST(ColorValue, ComponentsTakeTheirLowEightBits) {
    struct Case {
        ColorTriple color;
        uint32_t value;
    };
    const Case cases[] = {
        {{0, 0, 0}, 0x000000},
        {{1, 0, 0}, 0x000001},
        {{0, 1, 0}, 0x000100},
        {{0, 0, 1}, 0x010000},
        {{255, 255, 255}, 0xFFFFFF},
        {{0x12, 0x34, 0x56}, 0x563412},
        {{0x1FF, 0x100, 0xABC}, 0xBC00FF},
        {{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value, ColorValue(c.color)) << std::hex << c.value;
    }
}

TEST(ComputeColorKey, KeyTable) {
    struct Case {
        uint32_t text;
        uint32_t back;
        uint32_t key;
    };
    const Case cases[] = {
        {0x000000, 0x000000, 0x000001},  // black collides with no candidate
        {0x000000, 0xF0F0F0, 0x000001}, {0x000001, 0x000000, 0x000100},
        {0x000001, 0xFFFFFF, 0x000100}, {0x000001, 0x010000, 0x000100},
        {0x000001, 0x000001, 0x000100}, {0xFFFFFF, 0x000001, 0x000100},
        {0x000001, 0x000100, 0x010000}, {0x000100, 0x000001, 0x010000},
        {0x000100, 0x123456, 0x000001},  // the second candidate is looked at only after a collision
        {0x000100, 0x000100, 0x000001}, {0x010000, 0x000100, 0x000001},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.key, ComputeColorKey(c.text, c.back)) << std::hex << c.text << " " << c.back;
    }
}

// Against every pair drawn from colours near the candidates: the key is the first
// candidate that equals neither colour.
TEST(ComputeColorKey, FirstCandidateThatCollidesWithNeither) {
    const uint32_t candidates[] = {0x000001, 0x000100, 0x010000};
    const uint32_t colours[] = {0x000000, 0x000001, 0x000100, 0x010000, 0x000101,
                                0x010001, 0x010100, 0x000002, 0xFFFFFF, 0xFFFFFE};
    for (uint32_t text : colours) {
        for (uint32_t back : colours) {
            uint32_t expected = 0;
            for (uint32_t candidate : candidates) {
                if (candidate != text && candidate != back) {
                    expected = candidate;
                    break;
                }
            }
            const uint32_t key = ComputeColorKey(text, back);
            EXPECT_EQ(expected, key) << std::hex << text << " " << back;
        }
    }
}
