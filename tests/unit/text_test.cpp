#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/text.h"

namespace {

constexpr char16_t UNTOUCHED = 0xBEEF;

// A destination of `count` usable units inside a larger array, so that a write past
// count lands on units that are checked afterwards.
struct Destination {
    char16_t units[32];

    explicit Destination(const char16_t* start = u"") {
        for (char16_t& c : units) {
            c = UNTOUCHED;
        }
        size_t i = 0;
        for (; start[i] != 0; ++i) {
            units[i] = start[i];
        }
        units[i] = 0;
    }

    bool UntouchedFrom(size_t index) const {
        for (size_t i = index; i < ArrayCount(units); ++i) {
            if (units[i] != UNTOUCHED) {
                return false;
            }
        }
        return true;
    }
};

}  // namespace

TEST(CopyText, CutsToCountAndReportsTheCut) {
    struct Case {
        const char16_t* source;
        size_t count;
        int result;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"abc", 8, 1, u"abc"}, {u"abc", 4, 1, u"abc"}, {u"abcd", 4, 0, u"abc"},
        {u"abc", 1, 0, u""},    {u"", 1, 1, u""},       {u"", 8, 1, u""},
    };
    for (const Case& c : cases) {
        Destination d;
        EXPECT_EQ(c.result, CopyText(d.units, c.count, c.source)) << c.count;
        EXPECT_EQ(std::u16string(c.expected), std::u16string(d.units)) << c.count;
        EXPECT_TRUE(d.UntouchedFrom(c.count)) << c.count;
    }
    Destination none;
    none.units[0] = UNTOUCHED;
    EXPECT_EQ(0, CopyText(none.units, 0, u"abc"));
    EXPECT_TRUE(none.UntouchedFrom(0));
}

TEST(CopyTextPart, CopiesAPrefixBoundedByCount) {
    struct Case {
        const char16_t* source;
        size_t count;
        size_t length;
        int result;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"abcdef", 16, 3, 1, u"abc"}, {u"abc", 16, 10, 1, u"abc"},  {u"abc", 16, 0, 1, u""},
        {u"abcdef", 4, 3, 1, u"abc"},  {u"abcdef", 4, 4, 0, u"abc"}, {u"abcdef", 3, 6, 0, u"ab"},
    };
    for (const Case& c : cases) {
        Destination d;
        EXPECT_EQ(c.result, CopyTextPart(d.units, c.count, c.source, c.length)) << c.count << " " << c.length;
        EXPECT_EQ(std::u16string(c.expected), std::u16string(d.units));
        EXPECT_TRUE(d.UntouchedFrom(c.count));
    }
    // The source need not be terminated when length ends before its end.
    const char16_t unterminated[3] = {u'x', u'y', u'z'};
    Destination d;
    EXPECT_EQ(1, CopyTextPart(d.units, 8, unterminated, 3));
    EXPECT_EQ(std::u16string(u"xyz"), std::u16string(d.units));
}

TEST(AppendText, AppendsWithinCount) {
    struct Case {
        const char16_t* start;
        const char16_t* source;
        size_t count;
        int result;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"ab", u"cd", 8, 1, u"abcd"}, {u"ab", u"cd", 5, 1, u"abcd"}, {u"ab", u"cd", 4, 0, u"abc"},
        {u"abc", u"d", 4, 0, u"abc"},  {u"", u"", 1, 1, u""},         {u"", u"xyz", 2, 0, u"x"},
    };
    for (const Case& c : cases) {
        Destination d(c.start);
        EXPECT_EQ(c.result, AppendText(d.units, c.count, c.source)) << c.count;
        EXPECT_EQ(std::u16string(c.expected), std::u16string(d.units)) << c.count;
        EXPECT_TRUE(d.UntouchedFrom(c.count));
    }
}

// A destination without a terminator inside count is refused, not searched past.
TEST(AppendText, UnterminatedDestinationIsRefused) {
    Destination d;
    for (size_t i = 0; i < 4; ++i) {
        d.units[i] = u'a';
    }
    EXPECT_EQ(0, AppendText(d.units, 4, u"b"));
    EXPECT_EQ(u'a', d.units[3]);
    EXPECT_TRUE(d.UntouchedFrom(4));
    EXPECT_EQ(0, AppendText(d.units, 0, u"b"));
}

TEST(AppendNumber, DecimalFormIncludingTheExtremes) {
    struct Case {
        int32_t value;
        const char16_t* expected;
    };
    const Case cases[] = {
        {0, u"x0"},
        {7, u"x7"},
        {-7, u"x-7"},
        {10, u"x10"},
        {-100, u"x-100"},
        {INT32_MAX, u"x2147483647"},
        {INT32_MIN, u"x-2147483648"},
        {INT32_MIN + 1, u"x-2147483647"},
    };
    for (const Case& c : cases) {
        Destination d(u"x");
        EXPECT_EQ(1, AppendNumber(d.units, ArrayCount(d.units), c.value)) << c.value;
        EXPECT_EQ(std::u16string(c.expected), std::u16string(d.units));
    }
}

TEST(AppendNumber, CutToCount) {
    Destination d(u"abc");
    EXPECT_EQ(0, AppendNumber(d.units, 8, INT32_MIN));
    EXPECT_EQ(std::u16string(u"abc-214"), std::u16string(d.units));
    EXPECT_TRUE(d.UntouchedFrom(8));
}

// A %i without a number left stays as it is, and a buffer of no units is not written.
TEST(FormatText, MarksBeyondTheNumbersAndAnEmptyBuffer) {
    const int32_t one[] = {7};
    struct Case {
        size_t count;
        const char16_t* format;
        int result;
        const char16_t* expected;
    };
    const Case cases[] = {{32, u"%i and %i", 1, u"7 and %i"}, {0, u"%i", 0, u"abc"}};
    for (const Case& c : cases) {
        Destination d(u"abc");
        EXPECT_EQ(c.result, FormatText(d.units, c.count, c.format, nullptr, one, ArrayCount(one))) << c.count;
        EXPECT_EQ(std::u16string(c.expected), std::u16string(d.units)) << c.count;
        EXPECT_TRUE(d.UntouchedFrom(9));
    }
}

TEST(TextHelpers, LengthStopsAtLimitAndEqualityIsExact) {
    const char16_t unterminated[4] = {u'a', u'b', u'c', u'd'};
    EXPECT_EQ(4u, TextLength(unterminated, 4));
    EXPECT_EQ(2u, TextLength(u"ab"));
    EXPECT_EQ(0u, TextLength(u""));
    EXPECT_EQ(2u, TextLength(u"abcd", 2));

    struct Case {
        const char16_t* a;
        const char16_t* b;
        int equal;
    };
    const Case cases[] = {
        {u"", u"", 1},    {u"a", u"", 0},    {u"", u"a", 0},    {u"ab", u"a", 0},
        {u"a", u"ab", 0}, {u"ab", u"ab", 1}, {u"aB", u"ab", 0}, {u"\uFF5E", u"\u301C", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.equal, TextEquals(c.a, c.b));
    }
    char16_t buffer[7];
    EXPECT_EQ(7u, ArrayCount(buffer));
}
