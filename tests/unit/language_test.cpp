#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/language.h"
#include "tests/unit/settings_dump.h"

namespace {

// The option letters that start each line, as a reader picks them out: a bracketed
// group whole, otherwise the run of letters and commas ("d,D", "q"); "" for a blank line.
std::vector<std::u16string> LetterGroups(const std::u16string& list) {
    std::vector<std::u16string> groups;
    size_t start = 0;
    for (;;) {
        size_t end = list.find(u'\n', start);
        const std::u16string line = list.substr(start, end == std::u16string::npos ? end : end - start);
        size_t n = 0;
        if (!line.empty() && line[0] == u'[') {
            n = line.find(u']') + 1;
        } else {
            while (n < line.size() && ((line[n] >= u'a' && line[n] <= u'z') ||
                                       (line[n] >= u'A' && line[n] <= u'Z') || line[n] == u',')) {
                ++n;
            }
        }
        groups.push_back(line.substr(0, n));
        if (end == std::u16string::npos) {
            return groups;
        }
        start = end + 1;
    }
}

}  // namespace

// A text missing from one table would show as nothing (or crash) only in that language.
TEST(Language, EveryTextInBothLanguagesEndsInTwoBlanks) {
    for (Language language : {LANGUAGE_JAPANESE, LANGUAGE_ENGLISH}) {
        for (int id = 0; id < TEXT_COUNT; ++id) {
            const char16_t* text = TextIn(language, static_cast<TextId>(id));
            ASSERT_NE(nullptr, text) << language << " text " << id;
            const std::u16string s(text);
            ASSERT_GE(s.size(), 3u) << language << " text " << id;
            EXPECT_EQ(u"  ", s.substr(s.size() - 2)) << Narrow(s);
            EXPECT_NE(u' ', s[s.size() - 3]) << Narrow(s);
        }
    }
}

TEST(Language, EnglishOptionListNamesTheSameLettersInTheSameLines) {
    const std::vector<std::u16string> japanese = LetterGroups(TextIn(LANGUAGE_JAPANESE, TEXT_OPTION_LIST));
    const std::vector<std::u16string> english = LetterGroups(TextIn(LANGUAGE_ENGLISH, TEXT_OPTION_LIST));
    ASSERT_EQ(24u, japanese.size());
    EXPECT_EQ(u"d,D", japanese[0]);
    EXPECT_EQ(u"[U, G, B]", japanese[14]);
    EXPECT_EQ(u"Q", japanese[19]);
    EXPECT_EQ(japanese, english);
    const std::u16string list = TextIn(LANGUAGE_ENGLISH, TEXT_OPTION_LIST);
    // Each line that is not blank ends in two blanks; the English list is plain ASCII,
    // with no look-alike of a letter, digit or sign.
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == u'\n' && list[i - 1] != u'\n') {
            EXPECT_EQ(u"  ", list.substr(i - 2, 2)) << "before unit " << i;
        }
        EXPECT_LT(list[i], 0x80) << std::hex << static_cast<unsigned>(list[i]);
    }
}
