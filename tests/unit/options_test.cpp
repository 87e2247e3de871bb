#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <regex>
#include <string>
#include <vector>

#include "base/language.h"
#include "base/options.h"
#include "base/settings.h"
#include "tests/unit/settings_dump.h"

namespace {

constexpr uint32_t SYSTEM_TEXT = 0x00102030;
constexpr uint32_t SYSTEM_BACK = 0x00F0E0D0;

DisplaySettings Defaults() {
    SetDefaultSettings(SYSTEM_TEXT, SYSTEM_BACK);
    return settings;
}

// Applies the arguments in order the way start-up does, stopping at the first
// rejection; gives the index of the rejected argument, or -1 when all were accepted.
int ApplyAll(const std::vector<std::u16string>& arguments) {
    SetDefaultSettings(SYSTEM_TEXT, SYSTEM_BACK);
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (ApplyOption(arguments[i].c_str()) != 1) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string Join(const std::vector<std::u16string>& arguments) {
    std::string out;
    for (const std::u16string& a : arguments) {
        out += "[" + Narrow(a) + "]";
    }
    return out;
}

struct AcceptCase {
    std::vector<std::u16string> arguments;
    void (*expect)(DisplaySettings& s);  // the defaults changed into what must result
};

void ExpectAccepted(const std::vector<AcceptCase>& cases) {
    for (const AcceptCase& c : cases) {
        DisplaySettings expected = Defaults();
        c.expect(expected);
        EXPECT_EQ(-1, ApplyAll(c.arguments)) << Join(c.arguments);
        EXPECT_EQ(Dump(expected), Dump(settings)) << Join(c.arguments);
    }
}

std::u16string Letters(size_t count) {
    std::u16string name;
    for (size_t i = 0; i < count; ++i) {
        name += static_cast<char16_t>(u'A' + i % 26);
    }
    return name;
}

}  // namespace

TEST(ApplyOption, RejectsMalformedArgumentsWithoutChangingSettings) {
    // Literals, not strings: a read past an argument's terminator is then outside its
    // array, where AddressSanitizer sees it (a string's spare capacity would hide it).
    const char16_t* const rejected[] = {u"",        u"d",     u"D",       u"a",
                                        u"A",       u"w",     u"s",       u"u",
                                        u"q",       u"f",     u"F",       u"5",
                                        u"x",       u"-",     u"+",       u" ",
                                        u"-d2",     u"/d2",   u"-e",      u"/e",
                                        u"e1",      u"E1",    u"p5",      u"P0",
                                        u"t0",      u"T1",    u"m1",      u"i0",
                                        u"I1",      u"ee",    u"x5",      u"e5",
                                        u"i3",      u"z0",    u"d5x",     u"d 5",
                                        u"d5 ",     u" d5",   u"d\uFF15", u"d\u0665",
                                        u"d\u00B2", u"d/",    u"d:",      u"d1.5",
                                        u"d1e3",    u"d0x10", u"d--1",    u"d+-1",
                                        u"d-+1",    u"d++1",  u"\uFF445", u"\u0064\u03015"};
    const std::string defaults = Dump(Defaults());
    for (const char16_t* argument : rejected) {
        SetDefaultSettings(SYSTEM_TEXT, SYSTEM_BACK);
        EXPECT_EQ(0, ApplyOption(argument)) << Narrow(argument);
        EXPECT_EQ(defaults, Dump(settings)) << Narrow(argument);
    }
}

// One case below and one above (or at) each end of every letter's range.
TEST(ApplyOption, RangeBoundaries) {
    struct Case {
        const char16_t* argument;
        int accepted;
    };
    const Case cases[] = {
        {u"d1", 1},           {u"d0", 0},          {u"d-3", 0},          {u"d+", 0},
        {u"d-", 0},           {u"D1", 1},          {u"D0", 0},           {u"d2147483647", 1},
        {u"d2147483648", 0},  {u"d4294967296", 0}, {u"d4294967297", 1},  {u"a0", 1},
        {u"a2", 1},           {u"a3", 0},          {u"a-1", 0},          {u"A0", 1},
        {u"A2", 1},           {u"A3", 0},          {u"w0", 1},           {u"w-", 1},
        {u"w+", 1},           {u"w-1", 0},         {u"W0", 1},           {u"W-1", 0},
        {u"h0", 1},           {u"h-1", 0},         {u"H0", 1},           {u"H-1", 0},
        {u"s0", 1},           {u"s-1", 0},         {u"S0", 1},           {u"S-1", 0},
        {u"u0", 1},           {u"u255", 1},        {u"u256", 0},         {u"u-1", 0},
        {u"g255", 1},         {u"g256", 0},        {u"b255", 1},         {u"b-1", 0},
        {u"U255", 1},         {u"U256", 0},        {u"G255", 1},         {u"G-1", 0},
        {u"B255", 1},         {u"B256", 0},        {u"u4294967295", 0},  {u"q1", 1},
        {u"q0", 0},           {u"q-1", 0},         {u"Q1", 1},           {u"Q0", 0},
        {u"c-2147483648", 1}, {u"l2147483647", 1}, {u"r0", 1},           {u"C-1", 1},
        {u"L99999999999", 1}, {u"R-", 1},          {u"y-2147483648", 1}, {u"Y4294967295", 1},
        {u"w2147483647", 1},  {u"w2147483648", 0}, {u"s2147483648", 0},  {u"q2147483648", 0},
    };
    for (const Case& c : cases) {
        SetDefaultSettings(SYSTEM_TEXT, SYSTEM_BACK);
        EXPECT_EQ(c.accepted, ApplyOption(c.argument)) << Narrow(c.argument);
    }
}

TEST(ApplyOption, EachLetterSetsItsFieldsAndNothingElse) {
    ExpectAccepted({
        {{u"e"}, [](DisplaySettings& s) { s.showExtension = 1; }},
        {{u"E"}, [](DisplaySettings& s) { s.showExtension = 1; }},
        {{u"i"},
         [](DisplaySettings& s) {
             s.trayIcon = 1;
             s.taskbarButton = 0;
         }},
        {{u"I"}, [](DisplaySettings& s) { s.trayIcon = 1; }},
        {{u"m"}, [](DisplaySettings& s) { s.zOrderAfter = Z_ORDER_TOPMOST; }},
        {{u"M"},
         [](DisplaySettings& s) {
             s.zOrderAfter = Z_ORDER_TOPMOST;
             s.clickOpens = 0;
         }},
        {{u"p"}, [](DisplaySettings& s) { s.transparentText = 1; }},
        {{u"P"}, [](DisplaySettings& s) { s.transparentBack = 1; }},
        {{u"t"}, [](DisplaySettings& s) { s.captionFrame = 0; }},
        {{u"T"},
         [](DisplaySettings& s) {
             s.captionFrame = 0;
             s.thinFrame = 1;
         }},
        {{u"d+3"}, [](DisplaySettings& s) { s.maxLines = 3; }},
        {{u"D10"},
         [](DisplaySettings& s) {
             s.maxLines = 10;
             s.restOnLastLine = 1;
         }},
        {{u"d4294967297"}, [](DisplaySettings& s) { s.maxLines = 1; }},
        {{u"d2147483647"}, [](DisplaySettings& s) { s.maxLines = INT32_MAX; }},
        {{u"a0"}, [](DisplaySettings& s) { s.lineAlign = ALIGN_CENTER; }},
        {{u"a1"}, [](DisplaySettings& s) { s.lineAlign = ALIGN_LEFT; }},
        {{u"a2"}, [](DisplaySettings& s) { s.lineAlign = ALIGN_RIGHT; }},
        {{u"A0"}, [](DisplaySettings& s) { s.padLines = 0; }},
        {{u"A1"},
         [](DisplaySettings& s) {
             s.padLines = 0;
             s.lineAlign = ALIGN_LEFT;
         }},
        {{u"w-"}, [](DisplaySettings& s) { s.windowWidth = 0; }},
        {{u"w300"}, [](DisplaySettings& s) { s.windowWidth = 300; }},
        {{u"W+300"},
         [](DisplaySettings& s) {
             s.windowWidth = 300;
             s.fixedWidth = 1;
         }},
        {{u"h0"}, [](DisplaySettings& s) { s.lineHeight = 0; }},
        {{u"H24"},
         [](DisplaySettings& s) {
             s.lineHeight = 24;
             s.fixedLineHeight = 1;
         }},
        {{u"c-7"},
         [](DisplaySettings& s) {
             s.hPosition = -7;
             s.hInTenths = 0;
         }},
        {{u"l10"},
         [](DisplaySettings& s) {
             s.hPosition = 10;
             s.hAnchor = 1;
             s.hInTenths = 0;
         }},
        {{u"r0"},
         [](DisplaySettings& s) {
             s.hPosition = 0;
             s.hAnchor = 2;
             s.hInTenths = 0;
         }},
        {{u"C12"}, [](DisplaySettings& s) { s.hPosition = 12; }},
        {{u"L3"},
         [](DisplaySettings& s) {
             s.hPosition = 3;
             s.hAnchor = 1;
         }},
        {{u"R-2147483648"},
         [](DisplaySettings& s) {
             s.hPosition = INT32_MIN;
             s.hAnchor = 2;
         }},
        {{u"y-20"},
         [](DisplaySettings& s) {
             s.vPosition = -20;
             s.vInTenths = 0;
         }},
        {{u"Y4294967295"}, [](DisplaySettings& s) { s.vPosition = -1; }},
        {{u"s0"}, [](DisplaySettings& s) { s.customFont = 1; }},
        {{u"s12"},
         [](DisplaySettings& s) {
             s.fontSize = 12;
             s.customFont = 1;
         }},
        {{u"S12"},
         [](DisplaySettings& s) {
             s.fontSize = 12;
             s.customFont = 1;
             s.fitFont = 0;
         }},
        {{u"u255"}, [](DisplaySettings& s) { s.textColor.red = 255; }},
        {{u"g0"}, [](DisplaySettings& s) { s.textColor.green = 0; }},
        {{u"b7"}, [](DisplaySettings& s) { s.textColor.blue = 7; }},
        {{u"U1"}, [](DisplaySettings& s) { s.backColor.red = 1; }},
        {{u"G2"}, [](DisplaySettings& s) { s.backColor.green = 2; }},
        {{u"B3"}, [](DisplaySettings& s) { s.backColor.blue = 3; }},
        {{u"q1"},
         [](DisplaySettings& s) {
             s.autoExitSeconds = 1;
             s.autoExit = 1;
         }},
        {{u"Q60"},
         [](DisplaySettings& s) {
             s.autoMinimizeSeconds = 60;
             s.autoMinimize = 1;
         }},
    });
}

TEST(ApplyOption, FaceNames) {
    const std::u16string forty = Letters(40);
    const std::u16string thirtyOne = Letters(31);
    struct Case {
        std::u16string argument;
        std::u16string face;
        int32_t weight;
    };
    const Case cases[] = {
        {u"fArial", u"Arial", 400},
        {u"FMS Gothic", u"MS Gothic", 700},
        {u"f-1", u"-1", 400},  // a face option whatever follows the letter
        {u"F5", u"5", 700},
        {u"ff", u"f", 400},
        {u"f" + thirtyOne, thirtyOne, 400},
        {u"f" + thirtyOne + u"x", thirtyOne, 400},
        {u"F" + forty, forty.substr(0, 31), 700},
        {u"f\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", 400},
    };
    for (const Case& c : cases) {
        SetDefaultSettings(SYSTEM_TEXT, SYSTEM_BACK);
        ASSERT_EQ(1, ApplyOption(c.argument.c_str())) << Narrow(c.argument);
        EXPECT_EQ(c.face, std::u16string(settings.fontFace)) << Narrow(c.argument);
        EXPECT_EQ(0, settings.fontFace[FACE_UNITS - 1]) << Narrow(c.argument);
        EXPECT_EQ(1, settings.customFont);
        EXPECT_EQ(c.weight, settings.fontWeight);
    }
}

// A face option changes neither the size nor the fitting chosen before it, and a later
// face replaces the whole of an earlier, longer one.
TEST(ApplyOption, FaceKeepsSizeAndReplacesEarlierFace) {
    ExpectAccepted({
        {{u"S20", u"fArial"},
         [](DisplaySettings& s) {
             s.fontSize = 20;
             s.customFont = 1;
             s.fitFont = 0;
             CopyText(s.fontFace, u"Arial");
         }},
        {{u"F" + Letters(40), u"fAB"},
         [](DisplaySettings& s) {
             s.customFont = 1;
             CopyText(s.fontFace, u"AB");
         }},
    });
}

TEST(ApplyOption, LaterArgumentsOverrideEarlierOnes) {
    ExpectAccepted({
        {{u"m", u"M"},
         [](DisplaySettings& s) {
             s.zOrderAfter = Z_ORDER_TOPMOST;
             s.clickOpens = 0;
         }},
        {{u"M", u"m"}, [](DisplaySettings& s) { s.zOrderAfter = Z_ORDER_TOPMOST; }},
        {{u"t", u"T"},
         [](DisplaySettings& s) {
             s.captionFrame = 0;
             s.thinFrame = 1;
         }},
        {{u"T", u"t"}, [](DisplaySettings& s) { s.captionFrame = 0; }},
        {{u"i", u"I"}, [](DisplaySettings& s) { s.trayIcon = 1; }},
        {{u"I", u"i"},
         [](DisplaySettings& s) {
             s.trayIcon = 1;
             s.taskbarButton = 0;
         }},
        {{u"D3", u"d2"}, [](DisplaySettings& s) { s.maxLines = 2; }},
        {{u"W100", u"w50"}, [](DisplaySettings& s) { s.windowWidth = 50; }},
        {{u"H9", u"h4"}, [](DisplaySettings& s) { s.lineHeight = 4; }},
        {{u"A2", u"a0"}, [](DisplaySettings& s) { s.lineAlign = ALIGN_CENTER; }},
        {{u"S8", u"s9"},
         [](DisplaySettings& s) {
             s.fontSize = 9;
             s.customFont = 1;
         }},
        {{u"l4", u"C6"}, [](DisplaySettings& s) { s.hPosition = 6; }},
        {{u"Y2", u"y-3"},
         [](DisplaySettings& s) {
             s.vPosition = -3;
             s.vInTenths = 0;
         }},
        {{u"u9", u"u255", u"U8", u"U0"},
         [](DisplaySettings& s) {
             s.textColor.red = 255;
             s.backColor.red = 0;
         }},
    });
}

// Start-up stops at the first rejected argument: what came before it is applied, what
// comes after it is never looked at.
TEST(ApplyOption, StopsAtFirstRejection) {
    struct Case {
        std::vector<std::u16string> arguments;
        int rejected;
        void (*expect)(DisplaySettings& s);
    };
    const Case cases[] = {
        {{u"d3", u"x", u"e"}, 1, [](DisplaySettings& s) { s.maxLines = 3; }},
        {{u"", u"e"}, 0, [](DisplaySettings&) {}},
        {{u"p", u"q0", u"P", u"d2"}, 1, [](DisplaySettings& s) { s.transparentText = 1; }},
    };
    for (const Case& c : cases) {
        DisplaySettings expected = Defaults();
        c.expect(expected);
        EXPECT_EQ(c.rejected, ApplyAll(c.arguments)) << Join(c.arguments);
        EXPECT_EQ(Dump(expected), Dump(settings)) << Join(c.arguments);
    }
}

TEST(ParseSignedNumber, ReadsSignAndDigitsWrappingModulo2To32) {
    struct Case {
        const char16_t* text;
        int ok;
        int32_t value;
    };
    const Case cases[] = {
        {u"", 1, 0},
        {u"+", 1, 0},
        {u"-", 1, 0},
        {u"0", 1, 0},
        {u"-0", 1, 0},
        {u"7", 1, 7},
        {u"+7", 1, 7},
        {u"-7", 1, -7},
        {u"0000000000000000000000000012", 1, 12},
        {u"2147483647", 1, INT32_MAX},
        {u"2147483648", 1, INT32_MIN},
        {u"-2147483648", 1, INT32_MIN},
        {u"-2147483649", 1, INT32_MAX},
        {u"4294967295", 1, -1},
        {u"4294967296", 1, 0},
        {u"4294967297", 1, 1},
        {u"-4294967297", 1, -1},
        {u"99999999999999999999", 1, 1661992959},
        {u"-99999999999999999999", 1, -1661992959},
        {u"--1", 0, 0},
        {u"+-1", 0, 0},
        {u"-+1", 0, 0},
        {u" 1", 0, 0},
        {u"1 ", 0, 0},
        {u"1.0", 0, 0},
        {u"1e3", 0, 0},
        {u"0x10", 0, 0},
        {u"/", 0, 0},  // the units just below "0" and just above "9"
        {u":", 0, 0},
        {u"\uFF11", 0, 0},
        {u"1\uFF12", 0, 0},
        {u"\u0663", 0, 0},
        {u"\u00B2", 0, 0},
        {u"\u22121", 0, 0},
        {u"\uFF0D1", 0, 0},
        {u"\u0130", 0, 0},
        {u"\u0031\u0000\u0032", 1, 1},
    };
    for (const Case& c : cases) {
        int32_t value = 12345;
        EXPECT_EQ(c.ok, ParseSignedNumber(c.text, &value)) << Narrow(c.text);
        EXPECT_EQ(c.value, value) << Narrow(c.text);
    }
}

// The digits after the sign go through a 260-unit work text: 259 of them are read,
// a longer run is refused, and neither reads or writes outside the buffers.
TEST(ParseSignedNumber, NumberTextLongerThanWorkBufferIsRejectedWithoutOverrun) {
    struct Case {
        std::u16string text;
        int ok;
        int32_t value;
    };
    const std::u16string zeros258(258, u'0');
    const Case cases[] = {
        {zeros258 + u"7", 1, 7},  {u"-" + zeros258 + u"7", 1, -7}, {u"+" + zeros258 + u"7", 1, 7},
        {zeros258 + u"07", 0, 0}, {u"-" + zeros258 + u"07", 0, 0}, {std::u16string(100000, u'9'), 0, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 12345;
        EXPECT_EQ(c.ok, ParseSignedNumber(c.text.c_str(), &value)) << c.text.size();
        EXPECT_EQ(c.value, value) << c.text.size();
        std::u16string argument = u"c" + c.text;
        SetDefaultSettings(SYSTEM_TEXT, SYSTEM_BACK);
        EXPECT_EQ(c.ok, ApplyOption(argument.c_str())) << c.text.size();
    }
}

// Built from the list's lines as the user reads them; the tilde is written by its
// code so that a look-alike (U+301C) in the program's text shows up.
TEST(OptionList, EqualsTheTwentyFourLinesUnitByUnit) {
    const std::u16string lines[] = {
        u"d,D表示行数(1\uFF5E)  ",
        u"e (拡張子表示)  ",
        u"a,A表示位置(0:中央 1:左寄 2:右寄)  ",
        u"",
        u"w,Wウィンドウ幅(0\uFF5E)  ",
        u"h,H行高(0\uFF5E)  ",
        u"[c,l,r]水平位置 (中央,左,右)  ",
        u"[C,L,R]水平10分割位置 (中央,左,右)  ",
        u"y垂直位置  ",
        u"Y垂直10分割位置  ",
        u"",
        u"s,Sフォントサイズ(0\uFF5E)  ",
        u"f,F\u0022フォント名\u0022  ",
        u"[u, g, b]数値(0\uFF5E255) (文字色)  ",
        u"[U, G, B]数値(0\uFF5E255) (背景色)  ",
        u"p (透明文字)  ",
        u"P (透明背景)  ",
        u"",
        u"q秒 (自動終了)  ",
        u"Q秒 (自動最小化)  ",
        u"",
        u"t,T (タイトルバー無し)  ",
        u"m,M (最前面表示)  ",
        u"i,I (タスクトレイ表示)  ",
    };
    std::u16string expected;
    for (size_t i = 0; i < ArrayCount(lines); ++i) {
        expected += (i == 0 ? u"" : u"\n") + lines[i];
    }
    const std::u16string actual = TextIn(LANGUAGE_JAPANESE, TEXT_OPTION_LIST);
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(static_cast<unsigned>(expected[i]), static_cast<unsigned>(actual[i])) << "unit " << i;
    }
}

TEST(OptionList, LineStructureAndAsciiPunctuation) {
    const std::u16string text = TextIn(LANGUAGE_JAPANESE, TEXT_OPTION_LIST);
    std::vector<std::u16string> lines(1);
    for (char16_t c : text) {
        if (c == u'\n') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    ASSERT_EQ(24u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::u16string& line = lines[i];
        const bool empty = i == 3 || i == 10 || i == 17 || i == 20;
        EXPECT_EQ(empty, line.empty()) << "line " << i + 1;
        if (!line.empty()) {
            EXPECT_EQ(u"  ", line.substr(line.size() - 2)) << "line " << i + 1;
            EXPECT_NE(u' ', line[line.size() - 3]) << "line " << i + 1;
        }
    }
    // No carriage return, no wave dash, no fullwidth brackets, commas, colons or quotes.
    for (char16_t bad : {u'\r', u'\u301C', u'\uFF08', u'\uFF09', u'\uFF3B', u'\uFF3D', u'\uFF0C', u'\uFF1A',
                         u'\uFF02', u'\u201C', u'\u201D', u'\u3000'}) {
        EXPECT_EQ(std::u16string::npos, text.find(bad)) << std::hex << static_cast<unsigned>(bad);
    }
    EXPECT_EQ(6, std::count(text.begin(), text.end(), u'\uFF5E'));
}

// The option letters that start each line as a reader picks them out: a bracketed group
// whole, otherwise the run of letters and commas ("d,D", "q"); "" for a blank line.
static std::vector<std::string> LetterGroups(Language language) {
    const std::u16string list = TextIn(language, TEXT_OPTION_LIST);
    std::vector<std::string> groups;
    for (size_t start = 0, end = 0; end != std::u16string::npos; start = end + 1) {
        end = list.find(u'\n', start);
        const std::string line = Narrow(list.substr(start, end - start));
        std::smatch match;
        std::regex_search(line, match, std::regex("^(\\[[^\\]]*\\]|[A-Za-z,]*)"));
        groups.push_back(match.str());
    }
    return groups;
}

// A text missing from one table shows as nothing only in that language; a letter
// dropped from the English list hides an option from every English user.
TEST(Language, BothSetsCompleteAndTheOptionListsAlike) {
    for (Language language : {LANGUAGE_JAPANESE, LANGUAGE_ENGLISH}) {
        SetLanguage(language);
        for (int id = 0; id < TEXT_COUNT; ++id) {
            const char16_t* text = TextIn(language, static_cast<TextId>(id));
            ASSERT_NE(nullptr, text) << language << " text " << id;
            EXPECT_EQ(text, Text(static_cast<TextId>(id))) << "the chosen language's, " << language;
            const std::u16string s(text);
            EXPECT_TRUE(s.size() > 2 && s.substr(s.size() - 3, 1) != u" " && s.substr(s.size() - 2) == u"  ")
                << Narrow(s);
        }
    }
    SetLanguage(LANGUAGE_JAPANESE);  // the start's choice, which the other tests assume
    const std::vector<std::string> japanese = LetterGroups(LANGUAGE_JAPANESE);
    ASSERT_EQ(24u, japanese.size());
    EXPECT_EQ("d,D", japanese[0]);
    EXPECT_EQ(japanese, LetterGroups(LANGUAGE_ENGLISH));
    // Every English line that is not blank ends in two blanks; plain ASCII, so no
    // look-alike of a letter, digit or sign.
    const std::u16string english = TextIn(LANGUAGE_ENGLISH, TEXT_OPTION_LIST);
    for (size_t i = 0; i < english.size(); ++i) {
        EXPECT_LT(english[i], 0x80) << i;
        if (english[i] == u'\n' && english[i - 1] != u'\n') {
            EXPECT_EQ(u"  ", english.substr(i - 2, 2)) << i;
        }
    }
}
