#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/spotlight.h"

namespace {

using Lines = std::vector<std::u16string>;

struct SplitCase {
    const char16_t* path;
    int32_t maxLines;
    int32_t restOnLastLine;
    int32_t showExtension;
    int32_t padLines;
    Lines expected;
};

Lines Split(const std::u16string& path, int32_t maxLines, int32_t rest, int32_t extension, int32_t pad) {
    SplitLines result;
    SplitWallpaperPath(path.c_str(), maxLines, rest, extension, pad, &result);
    Lines out;
    for (int32_t i = 0; i < result.count; ++i) {
        out.push_back(result.text[i]);
    }
    return out;
}

std::string Describe(const SplitCase& c) {
    std::string path;
    for (const char16_t* p = c.path; *p != 0; ++p) {
        path += *p < 0x80 ? static_cast<char>(*p) : '?';
    }
    return "path \"" + path + "\" maxLines " + std::to_string(c.maxLines) + " rest " +
           std::to_string(c.restOnLastLine) + " ext " + std::to_string(c.showExtension) + " pad " +
           std::to_string(c.padLines);
}

void ExpectCases(const std::vector<SplitCase>& cases) {
    for (const SplitCase& c : cases) {
        EXPECT_EQ(c.expected, Split(c.path, c.maxLines, c.restOnLastLine, c.showExtension, c.padLines))
            << Describe(c);
    }
}

// c01\c02\...\c12: twelve components, no full stop.
std::u16string TwelveComponents() {
    std::u16string path;
    for (int i = 1; i <= 12; ++i) {
        if (i > 1) {
            path += u'\\';
        }
        path += u'c';
        path += static_cast<char16_t>(u'0' + i / 10);
        path += static_cast<char16_t>(u'0' + i % 10);
    }
    return path;
}

std::u16string Component(int i) {
    std::u16string name = u"c";
    name += static_cast<char16_t>(u'0' + i / 10);
    name += static_cast<char16_t>(u'0' + i % 10);
    return name;
}

}  // namespace

// The worked table for C:\Photos\Beach.jpg, in all four combinations of
// showExtension and padLines.
TEST(SplitWallpaperPath, BeachTable) {
    const char16_t* beach = u"C:\\Photos\\Beach.jpg";
    ExpectCases({
        {beach, 1, 0, 0, 0, {u"Beach"}},
        {beach, 2, 0, 0, 0, {u"Beach", u"Photos"}},
        {beach, 5, 0, 0, 0, {u"Beach", u"Photos", u"C:"}},
        {beach, 1, 1, 0, 0, {u"C:\\Photos\\Beach"}},
        {beach, 2, 1, 0, 0, {u"Beach", u"C:\\Photos"}},
        {beach, 5, 1, 0, 0, {u"Beach", u"Photos", u"C:"}},
    });
}

TEST(SplitWallpaperPath, BeachTableWithExtension) {
    const char16_t* beach = u"C:\\Photos\\Beach.jpg";
    ExpectCases({
        {beach, 1, 0, 1, 0, {u"Beach.jpg"}},
        {beach, 2, 0, 1, 0, {u"Beach.jpg", u"Photos"}},
        {beach, 5, 0, 1, 0, {u"Beach.jpg", u"Photos", u"C:"}},
        {beach, 1, 1, 1, 0, {u"C:\\Photos\\Beach.jpg"}},
        {beach, 2, 1, 1, 0, {u"Beach.jpg", u"C:\\Photos"}},
        {beach, 5, 1, 1, 0, {u"Beach.jpg", u"Photos", u"C:"}},
    });
}

TEST(SplitWallpaperPath, BeachTablePadded) {
    const char16_t* beach = u"C:\\Photos\\Beach.jpg";
    ExpectCases({
        {beach, 1, 0, 0, 1, {u" Beach "}},
        {beach, 2, 0, 0, 1, {u" Beach ", u" Photos "}},
        {beach, 5, 0, 0, 1, {u" Beach ", u" Photos ", u" C: "}},
        {beach, 1, 1, 0, 1, {u" C:\\Photos\\Beach "}},
        {beach, 2, 1, 0, 1, {u" Beach ", u" C:\\Photos "}},
        {beach, 5, 1, 0, 1, {u" Beach ", u" Photos ", u" C: "}},
    });
    EXPECT_EQ(7u, Split(beach, 1, 0, 0, 1)[0].size());
}

TEST(SplitWallpaperPath, BeachTablePaddedWithExtension) {
    const char16_t* beach = u"C:\\Photos\\Beach.jpg";
    ExpectCases({
        {beach, 1, 0, 1, 1, {u" Beach.jpg "}},
        {beach, 2, 0, 1, 1, {u" Beach.jpg ", u" Photos "}},
        {beach, 5, 0, 1, 1, {u" Beach.jpg ", u" Photos ", u" C: "}},
        {beach, 1, 1, 1, 1, {u" C:\\Photos\\Beach.jpg "}},
        {beach, 2, 1, 1, 1, {u" Beach.jpg ", u" C:\\Photos "}},
        {beach, 5, 1, 1, 1, {u" Beach.jpg ", u" Photos ", u" C: "}},
    });
}

TEST(SplitWallpaperPath, NoBackslashGivesOneLineForEveryMaxLines) {
    for (int32_t maxLines = 1; maxLines <= 12; ++maxLines) {
        for (int32_t rest = 0; rest <= 1; ++rest) {
            EXPECT_EQ(Lines{u"Beach"}, Split(u"Beach.jpg", maxLines, rest, 0, 0))
                << "maxLines " << maxLines << " rest " << rest;
        }
    }
}

TEST(SplitWallpaperPath, FurtherExamples) {
    const char16_t* network = u"\\\\srv\\data\\pic.jpg";
    ExpectCases({
        {u"C:\\Photos\\Beach", 2, 0, 0, 0, {u"Beach", u"Photos"}},
        {u"C:\\My.Photos\\Beach", 1, 0, 0, 0, {u"My"}},
        {u"C:\\My.Photos\\Beach", 2, 0, 0, 0, {u"My", u"C:"}},
        {u"C:\\My.Photos\\Beach", 2, 0, 1, 0, {u"Beach", u"My.Photos"}},
        {u"C:\\x.y\\Beach.tar.gz", 2, 0, 0, 0, {u"Beach.tar", u"x.y"}},
        // The backslash at position 0 is never a separator: it stays as a line of its own.
        {network, 5, 0, 0, 0, {u"pic", u"data", u"srv", u"\\"}},
        {network, 3, 0, 0, 0, {u"pic", u"data", u"srv"}},
    });
}

TEST(SplitWallpaperPath, EmptyText) {
    ExpectCases({
        {u"", 1, 0, 0, 0, {u""}},
        {u"", 5, 0, 0, 0, {u""}},
        {u"", 1, 1, 0, 0, {u""}},
        {u"", 5, 1, 1, 0, {u""}},
        {u"", 1, 0, 0, 1, {u"  "}},
        {u"", 3, 1, 1, 1, {u"  "}},
    });
}

TEST(SplitWallpaperPath, TrailingBackslash) {
    ExpectCases({
        {u"C:\\Photos\\", 2, 0, 0, 0, {u"", u"Photos"}},
        {u"C:\\Photos\\", 5, 0, 0, 0, {u"", u"Photos", u"C:"}},
        {u"C:\\Photos\\", 2, 1, 0, 0, {u"", u"C:\\Photos"}},
        {u"C:\\Photos\\", 2, 0, 0, 1, {u"  ", u" Photos "}},
    });
}

TEST(SplitWallpaperPath, PositionZeroIsNeverACutPoint) {
    ExpectCases({
        // A leading backslash stays in the first component.
        {u"\\Photos\\Beach.jpg", 5, 0, 0, 0, {u"Beach", u"\\Photos"}},
        {u"\\Beach.jpg", 5, 0, 0, 0, {u"\\Beach"}},
        {u"\\", 3, 0, 0, 0, {u"\\"}},
        // A leading full stop is not an extension.
        {u".profile", 1, 0, 0, 0, {u".profile"}},
        {u".jpg", 2, 0, 0, 1, {u" .jpg "}},
        {u".", 1, 0, 0, 0, {u"."}},
        {u".\\Beach", 2, 0, 0, 0, {u"Beach", u"."}},
        // The last full stop of the whole path goes, even as the last unit.
        {u"C:\\Photos\\Beach.", 2, 0, 0, 0, {u"Beach", u"Photos"}},
        // A full stop at position 1 is examined.
        {u"a.jpg", 1, 0, 0, 0, {u"a"}},
        // A slash is an ordinary character.
        {u"C:/Photos/Beach.jpg", 5, 0, 0, 0, {u"C:/Photos/Beach"}},
    });
}

TEST(SplitWallpaperPath, TwelveComponentsGiveAtMostTenLines) {
    std::u16string path = TwelveComponents();
    Lines lastTen;
    for (int i = 12; i >= 3; --i) {
        lastTen.push_back(Component(i));
    }
    EXPECT_EQ(lastTen, Split(path, 12, 0, 0, 0));
    EXPECT_EQ(lastTen, Split(path, 12, 1, 0, 0));
    EXPECT_EQ(lastTen, Split(path, 10, 0, 0, 0));
    EXPECT_EQ(lastTen, Split(path, INT32_MAX, 1, 0, 0));

    Lines nineAndRest;
    for (int i = 12; i >= 4; --i) {
        nineAndRest.push_back(Component(i));
    }
    nineAndRest.push_back(u"c01\\c02\\c03");
    EXPECT_EQ(nineAndRest, Split(path, 10, 1, 0, 0));
}

TEST(SplitWallpaperPath, MaxLinesAboveComponentCountGivesNoEmptyLine) {
    const char16_t* beach = u"C:\\Photos\\Beach.jpg";
    Lines three = {u"Beach", u"Photos", u"C:"};
    for (int32_t maxLines : {3, 4, 9, 10, 11, 1000, INT32_MAX}) {
        EXPECT_EQ(three, Split(beach, maxLines, 0, 0, 0)) << maxLines;
        EXPECT_EQ(three, Split(beach, maxLines, 1, 0, 0)) << maxLines;
    }
}

TEST(SplitWallpaperPath, MaxLinesOneWithRestIsTheWholePath) {
    EXPECT_EQ(Lines{u"\\\\srv\\data\\pic"}, Split(u"\\\\srv\\data\\pic.jpg", 1, 1, 0, 0));
    EXPECT_EQ(Lines{TwelveComponents()}, Split(TwelveComponents(), 1, 1, 0, 0));
}

TEST(SplitWallpaperPath, PathOf259Characters) {
    // C:\ + 25 folders of nine characters and a backslash + a 6-character file name.
    std::u16string path = u"C:";
    for (int i = 0; i < 25; ++i) {
        path += u"\\folder";
        path += static_cast<char16_t>(u'a' + i);
        path += u"xx";
    }
    path += u"\\pic.jp";
    ASSERT_EQ(259u, path.size());
    Lines expected = {u"pic"};
    for (int i = 24; i >= 16; --i) {
        std::u16string folder = u"folder";
        folder += static_cast<char16_t>(u'a' + i);
        folder += u"xx";
        expected.push_back(folder);
    }
    EXPECT_EQ(expected, Split(path, 10, 0, 0, 0));

    // The whole path on one line: 256 units without the extension, padded to 258.
    Lines whole = Split(path, 1, 1, 0, 1);
    ASSERT_EQ(1u, whole.size());
    EXPECT_EQ(u" " + path.substr(0, 256) + u" ", whole[0]);

    // With the extension the line is 259 units: too long to pad, left whole.
    EXPECT_EQ(Lines{path}, Split(path, 1, 1, 1, 1));
}

// Decided fault: padding never writes past the 260 units; a line of 258 or 259 units
// stays unpadded (its text matters more than the margin), one of 257 is padded to 259.
TEST(SplitWallpaperPath, PaddedLineLongerThan257StaysUnpadded) {
    for (size_t length : {255u, 256u, 257u}) {
        std::u16string line(length, u'x');
        EXPECT_EQ(Lines{u" " + line + u" "}, Split(line, 1, 0, 1, 1)) << length;
    }
    for (size_t length : {258u, 259u}) {
        std::u16string line(length, u'x');
        EXPECT_EQ(Lines{line}, Split(line, 1, 0, 1, 1)) << length;
    }
    // The same for the rest on the last line.
    std::u16string rest = u"C:\\" + std::u16string(254, u'y') + u"\\z";
    ASSERT_EQ(259u, rest.size());
    EXPECT_EQ(Lines{rest}, Split(rest, 1, 1, 1, 1));
    // The rest line of 257 units still gets its blanks: 259 units and the zero.
    EXPECT_EQ((Lines{u" z ", u" C:\\" + std::u16string(254, u'y') + u" "}), Split(rest, 2, 1, 1, 1));
}

TEST(SplitWallpaperPath, InputLongerThanTheBufferIsCutTo259Units) {
    std::u16string path(300, u'x');
    EXPECT_EQ(Lines{std::u16string(259, u'x')}, Split(path, 1, 0, 1, 0));
}

TEST(SplitWallpaperPath, TextsFromCountOnAreEmpty) {
    SplitLines result;
    for (auto& text : result.text) {
        text[0] = u'?';
        text[1] = 0;
    }
    SplitWallpaperPath(u"C:\\Photos\\Beach.jpg", 2, 0, 0, 0, &result);
    ASSERT_EQ(2, result.count);
    for (int i = 2; i < MAX_LINES; ++i) {
        EXPECT_EQ(0, result.text[i][0]) << i;
    }
}

// maxLines below 1 is outside the data model (the options refuse it); the steps then
// make no line, and no arithmetic on maxLines overflows.
TEST(SplitWallpaperPath, MaxLinesBelowOneMakesNoLine) {
    for (int32_t maxLines : {0, -1, INT32_MIN}) {
        EXPECT_TRUE(Split(u"C:\\Photos\\Beach.jpg", maxLines, 0, 0, 0).empty()) << maxLines;
        EXPECT_TRUE(Split(u"C:\\Photos\\Beach.jpg", maxLines, 1, 0, 0).empty()) << maxLines;
    }
}

TEST(SplitWallpaperPath, NonAsciiUnitsAreOrdinaryCharacters) {
    EXPECT_EQ((Lines{u"浜辺", u"写真"}), Split(u"C:\\写真\\浜辺.jpg", 2, 0, 0, 0));
    // A surrogate pair is two units and is kept whole.
    EXPECT_EQ((Lines{u"\U0001F3D6", u"C:"}), Split(u"C:\\\U0001F3D6.png", 2, 0, 0, 0));
}

namespace {

// Windows Spotlight's value as Windows writes it: four items, fields in no fixed order,
// paths JSON-escaped. Item i's pictures are 1816278594<i>.jpg and p<i>.jpg in IRIS.
const std::u16string IRIS =
    u"C:\\Users\\\u00C5sa\\AppData\\Local\\Packages\\MicrosoftWindows.Client.CBS_cw5n1h2txyewy\\LocalCache\\"
    u"Microsoft\\IrisService\\1a2b\\";
const std::u16string LAKE = IRIS + u"18162785942.jpg";

std::u16string Creatives(const std::u16string& title2, bool landscape2 = true) {
    std::u16string json, folder;
    for (char16_t c : IRIS) {
        folder += c == u'\\' ? u"\\\\" : std::u16string(1, c);
    }
    for (char16_t i = u'0'; i <= u'3'; ++i) {
        const std::u16string n(1, i), image = u"Image\":{\"asset\":\"" + folder;
        json += (i > u'0' ? u",{" : u"[{") +
                std::u16string(u"\"tracking\":{\"ids\":[1,true,null]},\"ad\":{\"title\":") +
                (i == u'2' ? title2 : u"\"Lofoten\"") +
                (i != u'2' || landscape2 ? u",\"landscape" + image + u"1816278594" + n + u".jpg\"}" : u"") +
                u",\"portrait" + image + u"p" + n + u".jpg\"},\"copyright\":\"\\u00a9 Ann\",\"entityId\":\"" +
                n + u"\"}}";
    }
    return json + u"]";
}

// On a heap copy of exactly the value, so that ASan sees a read past it.
std::u16string SpotlightTitle(const std::u16string& value, const std::u16string& path) {
    const std::vector<char16_t> exact(value.begin(), value.end());
    std::vector<int> work(SpotlightWorkBytes(exact.size()) / sizeof(int) + 1);
    char16_t title[TEXT_UNITS];
    const int found = FindSpotlightTitle(exact.data(), exact.size(), path.c_str(), work.data(), title);
    EXPECT_EQ(found, title[0] != 0);
    return title;
}

}  // namespace

TEST(FindSpotlightTitle, TheItemOfThePicture) {
    const std::u16string full = Creatives(u"\"Moraine Lake, Canada\"");
    const std::u16string x259(259, u'x');
    const std::u16string most = full + std::u16string(SPOTLIGHT_VALUE_BYTES / 2 - full.size(), u' ');
    const struct {
        const char* what;
        std::u16string value;
        std::u16string path;
        std::u16string title;
    } rows[] = {
        {"item 2's landscape (ImageIndex would say 0)", full, LAKE, u"Moraine Lake, Canada"},
        {"the asset in another case", full, u"c:\\USERS\\\u00E5SA" + LAKE.substr(12),
         u"Moraine Lake, Canada"},
        {"no item names the picture", full, IRIS + u"18162785949.jpg", u""},
        {"a path one unit longer", full, LAKE + u"x", u""},
        {"escapes and a pair", Creatives(u"\"Lake \\u2014 \\\"Banff\\\" 1\\/2 \\ud83c\\udfd4\U0001F3D4\""),
         LAKE, u"Lake \u2014 \"Banff\" 1/2 \U0001F3D4\U0001F3D4"},
        {"lone surrogates", Creatives(u"\"a\\ud83cb\\udfd4\xD83C\""), LAKE, u"a\uFFFDb\uFFFD\uFFFD"},
        {"control characters", Creatives(u"\"a\\tb\\u0000c\x01\x9F\""), LAKE, u"a b c  "},
        {"title not a string", Creatives(u"{\"text\":\"Lake\"}"), LAKE, u""},
        {"title of blanks", Creatives(u"\" \\n\""), LAKE, u""},
        {"an ad without landscapeImage", Creatives(u"\"Lake\"", false), LAKE, u""},
        {"its portrait", Creatives(u"\"Lake\"", false), IRIS + u"p2.jpg", u"Lake"},
        {"truncated JSON", full.substr(0, full.size() - 3), LAKE, u""},
        {"something after the array", full + u"[]", LAKE, u""},
        {"nesting deeper than the tokens",
         full.substr(0, full.size() - 1) + u"," + std::u16string(2100, u'[') + std::u16string(2100, u']') +
             u"]",
         LAKE, u""},
        {"a title longer than a label", Creatives(u"\"" + x259 + u"y\""), LAKE, x259},
        {"a pair that does not fit", Creatives(u"\"" + x259.substr(1) + u"\\ud83c\\udfd4\""), LAKE,
         x259.substr(1)},
        {"256 KiB", most, LAKE, u"Moraine Lake, Canada"},
        {"larger", most + u" ", LAKE, u""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.title, SpotlightTitle(row.value, row.path)) << row.what;
    }
}

// The title stands where the file's name would, whatever the settings do to names; the
// folders, currentPath and the previous picture stay the file's.
TEST(TakeWallpaperPath, TitleInPlaceOfTheName) {
    SetDefaultSettings(0, 0);
    const std::u16string title = u"St. Moritz\\Engadin/Alps";
    const std::u16string pair = u"\U0001F3D4";
    const std::u16string fill(259 - IRIS.size() - 1, u'x');  // the pair's second half would be unit 260
    const struct {
        int32_t maxLines, rest, extension, pad;
        std::u16string title;
        Lines lines;
    } rows[] = {
        {2, 0, 0, 0, title, {title, u"1a2b"}},        {2, 0, 1, 0, title, {title, u"1a2b"}},
        {2, 0, 0, 0, u"", {u"18162785942", u"1a2b"}}, {2, 0, 1, 1, title, {u" " + title + u" ", u" 1a2b "}},
        {1, 1, 0, 0, title, {IRIS + title}},          {1, 1, 0, 0, fill + pair, {IRIS + fill}},
    };
    TakeWallpaperPath(1, u"C:\\a.jpg");
    for (const auto& row : rows) {
        settings.maxLines = row.maxLines, settings.restOnLastLine = row.rest;
        settings.showExtension = row.extension, settings.padLines = row.pad;
        ASSERT_EQ(1, TakeWallpaperPath(1, LAKE.c_str(), row.title.c_str()));
        Lines shown(lineCount);
        std::transform(lines, lines + lineCount, shown.begin(),
                       [](const LineLabel& line) { return line.text; });
        EXPECT_EQ(row.lines, shown) << row.maxLines << row.rest << row.extension << row.pad;
    }
    // New titles for the same picture kept the previous picture; a failed read keeps all.
    EXPECT_EQ(0, TakeWallpaperPath(0, u"", u""));
    EXPECT_EQ(0, lineCount);
    EXPECT_EQ(u"C:\\a.jpg" + LAKE + fill + pair, std::u16string(previousPath) + currentPath + currentTitle);
}

namespace {

std::vector<uint8_t> Bytes(const std::u16string& text, bool withZero) {
    std::vector<uint8_t> data;
    for (char16_t unit : text) {
        data.push_back(static_cast<uint8_t>(unit & 0xFF));
        data.push_back(static_cast<uint8_t>(unit >> 8));
    }
    if (withZero) {
        data.push_back(0);
        data.push_back(0);
    }
    return data;
}

// Runs the conversion on a heap copy of exactly the given size, so that ASan sees any
// read past the data; the text starts full of garbage.
int FromData(const std::vector<uint8_t>& data, std::u16string* text) {
    std::vector<uint8_t> exact(data);
    char16_t buffer[TEXT_UNITS];
    for (char16_t& unit : buffer) {
        unit = u'#';
    }
    int ok = WallpaperTextFromData(exact.empty() ? nullptr : exact.data(),
                                   static_cast<uint32_t>(exact.size()), buffer);
    size_t n = TextLength(buffer, ArrayCount(buffer));
    EXPECT_LT(n, ArrayCount(buffer)) << "not terminated";
    text->assign(buffer, n);
    return ok;
}

}  // namespace

TEST(WallpaperTextFromData, TerminatedText) {
    std::u16string text;
    EXPECT_EQ(1, FromData(Bytes(u"C:\\Photos\\Beach.jpg", true), &text));
    EXPECT_EQ(u"C:\\Photos\\Beach.jpg", text);
}

TEST(WallpaperTextFromData, LittleEndianUnits) {
    std::u16string text;
    EXPECT_EQ(1, FromData({0xC1, 0x58, 0x5C, 0x00, 0x41, 0x00}, &text));
    EXPECT_EQ(u"壁\\A", text);
}

// REG_BINARY data (or a string stored without its zero) ends where the data ends.
TEST(WallpaperTextFromData, UnterminatedShortDataEndsWithTheData) {
    std::u16string text;
    EXPECT_EQ(1, FromData(Bytes(u"D:\\a\\b.png", false), &text));
    EXPECT_EQ(u"D:\\a\\b.png", text);
}

TEST(WallpaperTextFromData, TextEndsAtTheFirstZero) {
    std::vector<uint8_t> data = Bytes(u"abc", true);
    std::vector<uint8_t> after = Bytes(u"def", true);
    data.insert(data.end(), after.begin(), after.end());
    std::u16string text;
    EXPECT_EQ(1, FromData(data, &text));
    EXPECT_EQ(u"abc", text);
}

// Decided fault: an odd byte length keeps the whole code units only.
TEST(WallpaperTextFromData, OddByteLengthKeepsWholeUnitsOnly) {
    std::vector<uint8_t> data = Bytes(u"abc", false);
    data.push_back(u'd');
    std::u16string text;
    EXPECT_EQ(1, FromData(data, &text));
    EXPECT_EQ(u"abc", text);
    EXPECT_EQ(1, FromData({0x41}, &text));
    EXPECT_EQ(u"", text);
    std::vector<uint8_t> full = Bytes(std::u16string(259, u'x'), false);
    full.push_back(u'y');
    EXPECT_EQ(519u, full.size());
    EXPECT_EQ(1, FromData(full, &text));
    EXPECT_EQ(std::u16string(259, u'x'), text);
}

// Decided fault: 0 bytes are an empty text, never what the buffer held before.
TEST(WallpaperTextFromData, ZeroBytesGiveEmptyText) {
    std::u16string text;
    EXPECT_EQ(1, FromData({}, &text));
    EXPECT_EQ(u"", text);
}

TEST(WallpaperTextFromData, Exactly520BytesWithZeroIs259Characters) {
    std::vector<uint8_t> data = Bytes(std::u16string(259, u'x'), true);
    ASSERT_EQ(WALLPAPER_DATA_BYTES, data.size());
    std::u16string text;
    EXPECT_EQ(1, FromData(data, &text));
    EXPECT_EQ(std::u16string(259, u'x'), text);
}

// Decided fault: 520 bytes without a zero stand for a path of 260 or more characters,
// which does not fit; like data over 520 bytes it is a failed read, not a cut path.
TEST(WallpaperTextFromData, Exactly520BytesWithoutZeroIsAFailedRead) {
    std::vector<uint8_t> data = Bytes(std::u16string(260, u'x'), false);
    ASSERT_EQ(WALLPAPER_DATA_BYTES, data.size());
    std::u16string text;
    EXPECT_EQ(0, FromData(data, &text));
    EXPECT_EQ(u"", text);
}

TEST(WallpaperTextFromData, MoreThan520BytesIsAFailedRead) {
    std::u16string text;
    EXPECT_EQ(0, FromData(Bytes(std::u16string(260, u'x'), true), &text));
    EXPECT_EQ(u"", text);
}

namespace {

// The image cache as Windows writes it: a 24-byte header (magic, file size, width,
// height, time; none of it zero bytes), the path and its zero, zero padding to size.
std::vector<uint8_t> ImageCache(const std::u16string& path, size_t size = 800) {
    std::vector<uint8_t> data(24, 0x7A);
    std::vector<uint8_t> text = Bytes(path, true);
    data.insert(data.end(), text.begin(), text.end());
    if (data.size() < size) {
        data.resize(size, 0);
    }
    return data;
}

// A per-monitor value: the path, from byte 544 device and its zero, zeros to 800 bytes;
// cut: the value ends with the device, without a zero.
std::vector<uint8_t> MonitorCache(std::u16string path, std::u16string device, bool cut = false) {
    std::vector<uint8_t> data = ImageCache(path, 544), field = Bytes(device, !cut);
    data.insert(data.end(), field.begin(), field.end());
    data.resize(cut ? data.size() : std::max<size_t>(data.size(), 800), 0);
    return data;
}

// A monitor's path, short for the table: Windows writes the class identifier in lower case.
const std::u16string DEV = u"\\\\?\\DISPLAY#SAM0B12#{e6f07b5f}";
const std::u16string PIC = u"C:\\a.jpg";

}  // namespace

TEST(PathFromImageCache, UsableOrPassedOver) {
    const std::u16string path259(259, u'p');
    std::vector<uint8_t> noZero = ImageCache(u"C:\\a.jpg", 0);
    noZero.resize(noZero.size() - 2);  // the value ends before the path's zero
    std::vector<uint8_t> zeroAtOddByte(24, 0x7A);
    for (uint8_t b : {0x41, 0x00, 0x00, 0x42, 0x00, 0x00}) {
        zeroAtOddByte.push_back(b);  // "A", then a zero straddling two units, then the path ends
    }
    std::vector<uint8_t> oddSize = ImageCache(u"C:\\a.jpg");
    oddSize.push_back(0);
    // Asked for monitor, the value gives its path when mine (its device field), else nothing.
    const struct {
        const char* what;
        uint32_t type;
        std::vector<uint8_t> data;
        int ok;
        std::u16string path;
        std::u16string monitor;
        int mine;
    } rows[] = {
        {"as Windows writes it", 3, ImageCache(u"C:\\Photos\\壁紙.jpg"), 1, u"C:\\Photos\\壁紙.jpg"},
        {"the smallest usable value", 3, ImageCache(u"x", 0), 1, u"x"},
        {"259 units", 3, ImageCache(path259), 1, path259},
        {"260 units", 3, ImageCache(path259 + u"p"), 0, u""},
        {"260 units without room for a zero", 3, ImageCache(path259 + u"p", 0), 0, u""},
        {"empty path", 3, ImageCache(u""), 0, u""},
        {"header only", 3, std::vector<uint8_t>(24, 0x7A), 0, u""},
        {"too short for the header", 3, std::vector<uint8_t>(20, 0), 0, u""},
        {"no zero inside the value", 3, noZero, 0, u""},
        {"a zero at an odd byte", 3, zeroAtOddByte, 1, u"A䈀"},
        {"odd size", 3, oddSize, 0, u""},
        {"a string, not binary", 1, ImageCache(u"C:\\a.jpg"), 0, u""},
        {"a monitor's own", 3, MonitorCache(PIC, DEV), 1, PIC, DEV, 1},
        {"asked in upper case", 3, MonitorCache(PIC, DEV), 1, PIC, u"\\\\?\\DISPLAY#SAM0B12#{E6F07B5F}", 1},
        {"a prefix of the monitor's path", 3, MonitorCache(PIC, DEV.substr(0, 20)), 1, PIC, DEV, 0},
        {"Default_Monitor: an empty field", 3, MonitorCache(PIC, u""), 1, PIC, u"", 0},
        {"too short for the field", 3, ImageCache(PIC, 544), 1, PIC, DEV, 0},
        {"no zero after the field", 3, MonitorCache(PIC, DEV, true), 1, PIC, DEV, 0},
        {"the field's zero at an odd byte", 3, MonitorCache(PIC, u"A\u4300", true), 1, PIC, u"A", 0},
        {"a monitor's, with no path", 3, MonitorCache(u"", DEV), 0, u"", DEV, 1},
    };
    for (const auto& row : rows) {
        std::vector<uint8_t> exact(row.data);  // exact size: ASan sees a read past it
        char16_t path[TEXT_UNITS];
        std::fill(std::begin(path), std::end(path), u'#');
        EXPECT_EQ(row.ok,
                  PathFromImageCache(row.type, exact.data(), static_cast<uint32_t>(exact.size()), path))
            << row.what;
        EXPECT_EQ(row.path, std::u16string(path, TextLength(path, ArrayCount(path)))) << row.what;
        EXPECT_EQ(row.mine && row.ok,
                  PathForMonitor(row.type, exact.data(), static_cast<uint32_t>(exact.size()),
                                 row.monitor.c_str(), path))
            << row.what;
        EXPECT_EQ(row.mine ? row.path : u"", std::u16string(path, TextLength(path, ArrayCount(path))))
            << row.what;
    }
}

namespace {

// The values as the registry has them: index -> bytes; a missing index is no entry.
int ReadFromMap(void* context, uint32_t index, uint32_t* type, uint8_t* data, uint32_t* bytes) {
    const auto& values = *static_cast<const std::map<uint32_t, std::vector<uint8_t>>*>(context);
    const auto value = values.find(index);
    if (value == values.end()) {
        return 0;
    }
    if (value->second.size() > *bytes) {
        return -1;
    }
    std::copy(value->second.begin(), value->second.end(), data);
    *type = 3;
    *bytes = static_cast<uint32_t>(value->second.size());
    return 1;
}

}  // namespace

TEST(FindMonitorPicture, CountAndGaps) {
    const std::vector<uint8_t> others = MonitorCache(u"C:\\o.jpg", u"\\\\?\\DISPLAY#OTHER#{e6f07b5f}");
    const std::vector<uint8_t> mine = MonitorCache(PIC, DEV);
    const std::vector<uint8_t> huge(IMAGE_CACHE_DATA_BYTES + 2, 0);
    const struct {
        const char* what;
        int32_t count;
        std::map<uint32_t, std::vector<uint8_t>> values;
        std::u16string path;
    } rows[] = {
        {"a gap below the count is passed over", 3, {{0, others}, {2, mine}}, PIC},
        {"without a count a gap ends the search", -1, {{0, others}, {2, mine}}, u""},
        {"at the count the search ends", 2, {{2, mine}}, u""},
        {"an unreadable value is passed over", -1, {{0, huge}, {1, mine}}, PIC},
    };
    for (const auto& row : rows) {
        uint8_t cache[IMAGE_CACHE_DATA_BYTES];
        char16_t path[TEXT_UNITS];
        auto values = row.values;
        EXPECT_EQ(row.path.empty() ? 0 : 1,
                  FindMonitorPicture(ReadFromMap, &values, row.count, DEV.c_str(), cache, path))
            << row.what;
        EXPECT_EQ(row.path, std::u16string(path)) << row.what;
    }
}

// The interface names monitors as Windows writes device paths (the class identifier in
// lower case); the window's own comes from the display device (upper case).
TEST(FindMonitorId, WindowsMonitorAmongTheInterfaces) {
    const char16_t* const two[] = {u"\\\\?\\DISPLAY#OTHER#{e6f07b5f}", DEV.c_str()};
    const char16_t* const prefix[] = {u"\\\\?\\DISPLAY#SAM0B12#", u"\\\\?\\DISPLAY#SAM0B12#{e6f07b5f}x"};
    const char16_t* const edges[] = {u"\\\\?\\DISPLAY#za#{e6f07b5f}"};  // the alphabet's two ends
    const struct {
        const char* what;
        const char16_t* const* ids;
        uint32_t count;
        std::u16string monitor;
        int32_t index;
    } rows[] = {
        {"second, letters in another case", two, 2, u"\\\\?\\DISPLAY#SAM0B12#{E6F07B5F}", 1},
        {"none matches", two, 2, u"\\\\?\\DISPLAY#DELL#{e6f07b5f}", -1},
        {"a shorter and a longer path are others", prefix, 2, DEV, -1},
        {"empty list", two, 0, DEV, -1},
        {"an entry at the count is none", two, 1, DEV, -1},
        {"A and Z in another case", edges, 1, u"\\\\?\\DISPLAY#ZA#{e6f07b5f}", 0},
        {"no path of the window's monitor", prefix, 2, u"", -1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.index, FindMonitorId(row.ids, row.count, row.monitor.c_str())) << row.what;
    }
}
