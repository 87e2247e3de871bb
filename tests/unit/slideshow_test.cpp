#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "wallpaper/slideshow.h"

namespace {

constexpr int32_t MS_PER_DAY = 86400000;

int32_t DelayAt(int32_t interval, int32_t t) {
    return NextChangeDelay(interval, t / 3600000, t / 60000 % 60, t / 1000 % 60, t % 1000);
}

int32_t At(int32_t hour, int32_t minute, int32_t second, int32_t millisecond) {
    return ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
}

}  // namespace

TEST(NextChangeDelay, WorkedExamples) {
    struct Case {
        int32_t interval, hour, minute, second, millisecond, delay;
    };
    const Case cases[] = {
        {1800000, 10, 17, 30, 250, 750750},
        {1800000, 10, 30, 0, 0, 1801000},
        {60000, 23, 59, 59, 999, 1001},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.delay, NextChangeDelay(c.interval, c.hour, c.minute, c.second, c.millisecond))
            << c.interval << " at " << c.hour << ":" << c.minute << ":" << c.second << "." << c.millisecond;
    }
}

// Over the whole day, against an independent statement of the rule: the timer fires
// 1000 ms after the first multiple of the interval (from midnight) strictly after t.
TEST(NextChangeDelay, BoundsOverASweepOfTheDay) {
    const int32_t intervals[] = {1,        2,        999,       1000,       1001,
                                 60000,    420000,   1800000,   3600000,    86399999,
                                 86400000, 86400001, 100000000, 2147482646, MAX_SLIDESHOW_INTERVAL};
    for (int32_t interval : intervals) {
        for (int32_t t = 0; t < MS_PER_DAY; t += 997) {
            int32_t delay = DelayAt(interval, t);
            ASSERT_GE(delay, 1001) << interval << " at " << t;
            ASSERT_LE(delay, interval + 1000) << interval << " at " << t;
            int64_t change = static_cast<int64_t>(t) + delay - 1000;
            ASSERT_EQ(0, change % interval) << interval << " at " << t;
            ASSERT_GT(change, t) << interval << " at " << t;
            ASSERT_LE(change - interval, t) << interval << " at " << t;
        }
        // The ends of the day.
        EXPECT_EQ(interval + 1000, DelayAt(interval, 0)) << interval;
        EXPECT_GE(DelayAt(interval, MS_PER_DAY - 1), 1001) << interval;
    }
}

TEST(NextChangeDelay, ExactMultipleCountsAsPast) {
    EXPECT_EQ(1801000, NextChangeDelay(1800000, 0, 0, 0, 0));
    EXPECT_EQ(61000, NextChangeDelay(60000, 12, 34, 0, 0));
    EXPECT_EQ(2000, NextChangeDelay(1000, 12, 34, 57, 0));
    EXPECT_EQ(1001, NextChangeDelay(1000, 12, 34, 56, 999));
    EXPECT_EQ(1001, NextChangeDelay(1, 23, 59, 59, 999));
}

// The largest usable interval: interval + 1000 is exactly INT32_MAX, without overflow.
TEST(NextChangeDelay, LargestIntervalReachesInt32Max) {
    EXPECT_EQ(INT32_MAX, NextChangeDelay(MAX_SLIDESHOW_INTERVAL, 0, 0, 0, 0));
    EXPECT_EQ(MAX_SLIDESHOW_INTERVAL - 86399999 + 1000,
              NextChangeDelay(MAX_SLIDESHOW_INTERVAL, 23, 59, 59, 999));
}

TEST(NextChangeDelay, SevenMinuteGridAcrossMidnight) {
    const int32_t sevenMinutes = 420000;
    // The refresh at 23:55:01 arms 00:02:01, and that one arms 00:07:01.
    int32_t late = At(23, 55, 1, 0);
    int32_t delay = DelayAt(sevenMinutes, late);
    EXPECT_EQ(420000, delay);
    EXPECT_EQ(At(0, 2, 1, 0), (late + delay) % MS_PER_DAY);
    EXPECT_EQ(300000, DelayAt(sevenMinutes, At(0, 2, 1, 0)));
    EXPECT_EQ(At(0, 7, 1, 0), At(0, 2, 1, 0) + 300000);

    // A refresh that runs a little late still lands on the grid.
    EXPECT_EQ(At(0, 2, 1, 0) + MS_PER_DAY - At(23, 55, 1, 350), DelayAt(sevenMinutes, At(23, 55, 1, 350)));

    // The chain over two days: every firing is 1000 ms past a multiple of seven
    // minutes since midnight, except 00:02:01, the one carried over from 23:55:01.
    int64_t clock = At(0, 7, 1, 0);
    std::vector<int32_t> firings;
    while (clock < 2LL * MS_PER_DAY) {
        firings.push_back(static_cast<int32_t>(clock % MS_PER_DAY));
        clock += DelayAt(sevenMinutes, static_cast<int32_t>(clock % MS_PER_DAY));
    }
    int midnightsCrossed = 0;
    for (size_t i = 0; i < firings.size(); ++i) {
        ASSERT_TRUE(firings[i] % sevenMinutes == 1000 || firings[i] == At(0, 2, 1, 0)) << firings[i];
        if (firings[i] == At(23, 55, 1, 0) && i + 2 < firings.size()) {
            EXPECT_EQ(At(0, 2, 1, 0), firings[i + 1]);
            EXPECT_EQ(At(0, 7, 1, 0), firings[i + 2]);
            ++midnightsCrossed;
        }
    }
    EXPECT_EQ(1, midnightsCrossed);
    // Each day 205 firings on the grid (00:07:01 to 23:55:01), between the two days 00:02:01.
    EXPECT_EQ(205u + 1u + 205u, firings.size());
}

// Decided faults: an interval of 0 (division by zero), a negative one, or one above
// 2147482647 (interval + 1000 overflows) counts as no slideshow.
TEST(IntervalIsUsable, RangeIsOneTo2147482647) {
    EXPECT_EQ(1, IntervalIsUsable(1));
    EXPECT_EQ(1, IntervalIsUsable(1800000));
    EXPECT_EQ(1, IntervalIsUsable(MAX_SLIDESHOW_INTERVAL));
    for (int32_t interval : {0, -1, -1800000, INT32_MIN, MAX_SLIDESHOW_INTERVAL + 1, INT32_MAX}) {
        EXPECT_EQ(0, IntervalIsUsable(interval)) << interval;
        EXPECT_EQ(0, NextChangeDelay(interval, 10, 17, 30, 250)) << interval;
    }
}

// Inputs no clock gives stay in range instead of overflowing (UBSan would report it).
TEST(NextChangeDelay, OutOfRangeTimeStaysInRange) {
    for (int32_t hour : {-1, 24, 1000, INT32_MAX, INT32_MIN}) {
        int32_t delay = NextChangeDelay(1800000, hour, 59, 59, 999);
        EXPECT_GE(delay, 1001) << hour;
        EXPECT_LE(delay, 1801000) << hour;
    }
}

namespace {

// On a heap copy of exactly the given size, so that ASan sees any read past it.
int FromData(const std::vector<uint8_t>& data, int32_t* interval) {
    std::vector<uint8_t> exact(data);
    return IntervalFromData(exact.empty() ? nullptr : exact.data(), static_cast<uint32_t>(exact.size()),
                            interval);
}

}  // namespace

TEST(IntervalFromData, FourBytesLittleEndian) {
    int32_t interval = 0;
    EXPECT_EQ(1, FromData({0x40, 0x77, 0x1B, 0x00}, &interval));
    EXPECT_EQ(1800000, interval);
    EXPECT_EQ(1, FromData({0x60, 0xEA, 0x00, 0x00}, &interval));
    EXPECT_EQ(60000, interval);
    EXPECT_EQ(1, FromData({0xFF, 0xFF, 0xFF, 0xFF}, &interval));
    EXPECT_EQ(-1, interval);
    EXPECT_EQ(0, IntervalIsUsable(interval));
    EXPECT_EQ(1, FromData({0x18, 0xFC, 0xFF, 0x7F}, &interval));
    EXPECT_EQ(MAX_SLIDESHOW_INTERVAL + 1, interval);
}

// Decided fault: anything but exactly 4 bytes is no interval, and the output is left
// alone rather than filled from bytes the registry did not write.
TEST(IntervalFromData, OtherSizesAreNoInterval) {
    const std::vector<std::vector<uint8_t>> sizes = {{},
                                                     {0x40},
                                                     {0x40, 0x77},
                                                     {0x40, 0x77, 0x1B},
                                                     {0x40, 0x77, 0x1B, 0x00, 0x00},
                                                     {0x40, 0x77, 0x1B, 0x00, 0x00, 0x00, 0x00, 0x00}};
    for (const auto& data : sizes) {
        int32_t interval = 12345;
        EXPECT_EQ(0, FromData(data, &interval)) << data.size() << " bytes";
        EXPECT_EQ(12345, interval) << data.size() << " bytes";
    }
}

// Paused on battery (not enabled) or stopped by a remote session, the slideshow does not
// move on: the item would do nothing.
TEST(SlideshowCanAdvance, OnlyARunningSlideshow) {
    const struct {
        uint32_t state;
        int advances;
    } rows[] = {{0x3, 1}, {0x2, 0}, {0x1, 0}, {0x7, 0}, {0x0, 0}, {0xB, 1}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.advances, SlideshowCanAdvance(row.state)) << std::hex << row.state;
    }
}
