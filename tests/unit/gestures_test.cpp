#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "window/gestures.h"

namespace {

std::u16string Repeat(char16_t c, size_t n) {
    return std::u16string(n, c);
}

}  // namespace

TEST(ExplorerParameters, QuotesThePathAfterSelect) {
    char16_t parameters[EXPLORER_PARAMETER_UNITS];
    FormatExplorerParameters(u"C:\\Photos\\Beach 1.jpg", parameters);
    EXPECT_EQ(std::u16string(u"/select,\"C:\\Photos\\Beach 1.jpg\""), parameters);
}

// The longest path a registry read can give must reach Explorer whole: a 260-unit
// work text would cut it after 249 characters.
TEST(ExplorerParameters, LongestPathIsNotCut) {
    const std::u16string path = u"C:\\" + Repeat(u'x', 252) + u".jpg";
    ASSERT_EQ(259u, path.size());
    char16_t parameters[EXPLORER_PARAMETER_UNITS];
    FormatExplorerParameters(path.c_str(), parameters);
    EXPECT_EQ(u"/select,\"" + path + u"\"", std::u16string(parameters));
}

TEST(PositionBox, TextOfTheWorkedExample) {
    char16_t text[TEXT_UNITS];
    FormatPositionText(100, 200, 400, 260, 30, 96, 96, text);
    EXPECT_EQ(std::u16string(u"左：100   右：400   上：200   下：260  \n幅：300   高さ：60   (行高：30)  "),
              text);
}

TEST(PositionBox, NegativeCoordinatesOfAMultiMonitorDesktop) {
    char16_t text[TEXT_UNITS];
    FormatPositionText(-1500, -20, -1200, 40, 20, 96, 96, text);
    EXPECT_EQ(
        std::u16string(u"左：-1500   右：-1200   上：-20   下：40  \n幅：300   高さ：60   (行高：20)  "),
        text);
}

// A primary monitor at 150 %, the window on a 100 % monitor to its right: the edges are
// shown as start-up counts positions (at 144), the sizes as laid out (at 96), so that
// l2000 y100 W300 typed back puts a 300-pixel window at 3000.
TEST(PositionBox, OnAMonitorOfAnotherScale) {
    char16_t text[TEXT_UNITS];
    FormatPositionText(3000, 150, 3300, 210, 30, 144, 96, text);
    EXPECT_EQ(std::u16string(u"左：2000   右：2200   上：100   下：140  \n幅：300   高さ：60   (行高：30)  "),
              text);
}

TEST(PositionBox, ExtremeValuesStayInsideTheText) {
    char16_t text[TEXT_UNITS];
    FormatPositionText(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, 96, 96, text);
    std::u16string s(text);
    EXPECT_NE(std::u16string::npos, s.find(u"左：-2147483648"));
    EXPECT_NE(std::u16string::npos, s.find(u"右：2147483647"));
    EXPECT_NE(std::u16string::npos, s.find(u"幅：-1"));  // wraps like 32-bit arithmetic
    EXPECT_LT(s.size(), size_t{TEXT_UNITS});
}

TEST(PositionBox, TitleIsCutForAHugeCaption) {
    char16_t title[TEXT_UNITS];
    FormatPositionTitle(u"wall", title);
    EXPECT_EQ(std::u16string(u"wall ウィンドウの位置と大きさ  "), title);
    const std::u16string huge = Repeat(u'n', 259);
    FormatPositionTitle(huge.c_str(), title);
    EXPECT_EQ(huge, std::u16string(title));
}

TEST(TimerPeriod, SecondsBecomeMillisecondsAndHoldAtTheLargestPeriod) {
    struct Case {
        int32_t seconds;
        uint32_t period;
    } cases[] = {
        {1, 1000},
        {2, 2000},
        {2147483, 2147483000},
        {2147484, MAX_TIMER_PERIOD_MS},  // × 1000 leaves the signed 32-bit range
        {INT32_MAX, MAX_TIMER_PERIOD_MS},
        {0, 0},
        {-5, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.period, TimerPeriodFromSeconds(c.seconds)) << c.seconds;
    }
}

// The progress sink lets a delete go on only into the bin (TSF_DELETE_RECYCLE_IF_POSSIBLE);
// without that flag the file would be destroyed.
TEST(RecycleBin, OnlyADeleteIntoTheBinGoesOn) {
    const struct {
        uint32_t flags;
        bool goes;
    } cases[] = {
        {0, false}, {0x80, true}, {0x80 | 0x40 | 0x2, true}, {0xFFFFFF7F, false}, {0xFFFFFFFF, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.goes, DeleteGoesToBin(c.flags)) << std::hex << c.flags;
    }
}

// SHFileOperationW reads names up to two zeros: a path cut to fit would name another
// file, one zero short it would read on past the list.
TEST(RecycleBin, FileListIsTheWholePathAndTwoZerosOrEmpty) {
    const struct {
        size_t length;
        int made;
    } cases[] = {{1, 1}, {259, 1}, {260, 0}, {400, 0}, {0, 0}};
    for (const auto& c : cases) {
        const std::u16string path = Repeat(u'x', c.length);
        char16_t list[FILE_LIST_UNITS];
        std::fill(list, list + FILE_LIST_UNITS, u'?');
        EXPECT_EQ(c.made, FormatFileList(path.c_str(), list)) << c.length;
        const std::u16string expected = (c.made ? path : u"") + Repeat(0, 2);
        EXPECT_EQ(expected, std::u16string(list, expected.size())) << c.length;
    }
}

TEST(RecycleBin, TheQuestionNamesTheFileWithoutItsFolders) {
    char16_t text[RECYCLE_TEXT_UNITS];
    FormatRecycleText(TEXT_RECYCLE_QUESTION, u"C:\\Photos/2024\\Beach 1%s.jpg", text);
    EXPECT_EQ(std::u16string(u"「Beach 1%s.jpg」をごみ箱に移動しますか?  "), text);
    const std::u16string longest = Repeat(u'n', 259);
    FormatRecycleText(TEXT_NOT_RECYCLED, longest.c_str(), text);
    EXPECT_EQ(u"「" + longest + u"」をごみ箱に移動できませんでした。ファイルは削除されていません  ", text);
}
