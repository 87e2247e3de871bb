#include <gtest/gtest.h>

#include <string>

#include "base/caption.h"
#include "tests/unit/settings_dump.h"

namespace {

constexpr char16_t GUARD = 0xBEEF;

// A 260-unit result with guard units right behind it, which the sanitizers cannot
// watch because they lie in the same object.
struct GuardedText {
    char16_t text[TEXT_UNITS];
    char16_t guard[16];
};

void Fill(GuardedText* buffer) {
    for (char16_t& c : buffer->text) {
        c = u'#';
    }
    for (char16_t& c : buffer->guard) {
        c = GUARD;
    }
}

bool GuardIntact(const GuardedText& buffer) {
    for (char16_t c : buffer.guard) {
        if (c != GUARD) {
            return false;
        }
    }
    return true;
}

std::u16string Caption(const std::u16string& path, bool* intact) {
    GuardedText buffer;
    Fill(&buffer);
    MakeCaption(path.c_str(), buffer.text);
    *intact = GuardIntact(buffer) && TextLength(buffer.text, TEXT_UNITS) < TEXT_UNITS;
    return buffer.text;
}

}  // namespace

TEST(MakeCaption, DropsFourUnitsThenTakesTextAfterLastBackslash) {
    const std::u16string deepFolders = u"C:\\" + std::u16string(280, u'd') + u"\\wall.exe";
    const std::u16string hugeName(300, u'n');
    struct Case {
        std::u16string path;
        std::u16string caption;
    };
    const Case cases[] = {
        {u"C:\\Tools\\wall.exe", u"wall"},
        {u"wall.exe", u"wall"},
        {u"\\wall.exe", u"\\wall"},  // the first unit is never a separator
        {u"walls", u"w"},            // four units go whatever they are
        {u"wall", u""},
        {u"abc", u""},
        {u"a", u""},
        {u"", u""},
        {u"\\.exe", u"\\"},
        {u"a\\.exe", u""},  // a backslash at the last place leaves nothing after it
        {u"\\x.exe", u"\\x"},
        {u"a\\b.exe", u"b"},
        {u"C:\\dir\\.exe", u""},
        {u"C:/Tools/wall.exe", u"C:/Tools/wall"},  // a slash separates nothing
        {u"\\\\server\\share\\x.exe", u"x"},
        {u"C:\\Program Files\\Nuvelo\\壁紙.exe", u"壁紙"},
        {u"C:\\a\\b\\c.d.exe", u"c.d"},
        {u"C:\\x\\abc\\d.e", u"abc"},  // a backslash among the four dropped units
        {deepFolders, u"wall"},
        {hugeName + u".exe", hugeName.substr(0, 259)},
        {u"C:\\x\\" + hugeName + u".exe", hugeName.substr(0, 259)},
        {u"C:\\x\\" + hugeName.substr(0, 259) + u".exe", hugeName.substr(0, 259)},
        {u"C:\\x\\" + hugeName.substr(0, 260) + u".exe", hugeName.substr(0, 259)},
    };
    for (const Case& c : cases) {
        bool intact = false;
        EXPECT_EQ(c.caption, Caption(c.path, &intact)) << Narrow(c.path);
        EXPECT_TRUE(intact) << Narrow(c.path);
    }
}

TEST(CaptionTitles, FormatsWithTheCaptionInFront) {
    struct Case {
        void (*format)(const char16_t*, char16_t (&)[TEXT_UNITS]);
        std::u16string name;
        std::u16string expected;
    };
    const Case cases[] = {
        {FormatWindowTitle, u"wall", u"wall 現在のデスクトップ背景  "},
        {FormatWindowTitle, u"5%s%i%", u"5%s%i% 現在のデスクトップ背景  "},  // a name is never a format
        {FormatOptionListTitle, u"wall", u"wall コマンドラインオプション一覧  "},
        {FormatOwnerClassName, u"wall", u"wall0"},
        {FormatWindowTitle, u"", u" 現在のデスクトップ背景  "},
        {FormatOwnerClassName, u"", u"0"},
    };
    for (const Case& c : cases) {
        GuardedText buffer;
        Fill(&buffer);
        c.format(c.name.c_str(), buffer.text);
        EXPECT_EQ(c.expected, std::u16string(buffer.text)) << Narrow(c.name);
        EXPECT_TRUE(GuardIntact(buffer));
    }
}

// A caption near the buffer size makes titles longer than 259 units: they are cut to
// the buffer, caption first, and nothing is written behind it.
TEST(CaptionTitles, TitlesLongerThanTheBufferAreCut) {
    const std::u16string windowSuffix = u" 現在のデスクトップ背景  ";
    const std::u16string listSuffix = u" コマンドラインオプション一覧  ";
    void (*const formats[])(const char16_t*, char16_t(&)[TEXT_UNITS]) = {
        FormatWindowTitle, FormatOptionListTitle, FormatOwnerClassName};
    const std::u16string suffixes[] = {windowSuffix, listSuffix, u"0"};
    for (size_t nameLength : {240u, 250u, 258u, 259u}) {
        const std::u16string name(nameLength, u'n');
        for (size_t f = 0; f < ArrayCount(formats); ++f) {
            GuardedText buffer;
            Fill(&buffer);
            formats[f](name.c_str(), buffer.text);
            const std::u16string expected = (name + suffixes[f]).substr(0, TEXT_UNITS - 1);
            EXPECT_EQ(expected, std::u16string(buffer.text)) << nameLength << " format " << f;
            EXPECT_TRUE(GuardIntact(buffer)) << nameLength << " format " << f;
        }
    }
}
