#include <gtest/gtest.h>

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
    FormatPositionText(100, 200, 400, 260, 30, text);
    EXPECT_EQ(std::u16string(u"左：100   右：400   上：200   下：260  \n幅：300   高さ：60   (行高：30)  "),
              text);
}

TEST(PositionBox, NegativeCoordinatesOfAMultiMonitorDesktop) {
    char16_t text[TEXT_UNITS];
    FormatPositionText(-1500, -20, -1200, 40, 20, text);
    EXPECT_EQ(
        std::u16string(u"左：-1500   右：-1200   上：-20   下：40  \n幅：300   高さ：60   (行高：20)  "),
        text);
}

TEST(PositionBox, ExtremeValuesStayInsideTheText) {
    char16_t text[TEXT_UNITS];
    FormatPositionText(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, text);
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
