#include <gtest/gtest.h>

#include "base/settings.h"
#include "window/placement.h"

namespace {

constexpr int32_t CENTRE = 0;
constexpr int32_t LEFT = 1;
constexpr int32_t RIGHT = 2;

void UseWorkArea(int32_t width, int32_t height) {
    SetDefaultSettings(0, 0);
    workWidth = width;
    workHeight = height;
}

struct InitialCase {
    int32_t workW, workH;
    int32_t width, height;
    int32_t anchor, hPosition, hInTenths, vPosition, vInTenths;
    int32_t x, y;
};

struct KeepCase {
    PriorRect prior;
    int32_t width, height;
    int32_t anchor, vInTenths;
    int32_t x, y;
};

}  // namespace

TEST(InitialPosition, WorkedExamplesAndEdges) {
    const InitialCase cases[] = {
        {1920, 1040, 200, 60, CENTRE, 5, 1, 5, 1, 860, 490},    // the defaults
        {1920, 1040, 200, 60, RIGHT, 10, 1, 10, 1, 1720, 980},  // bottom edge at workHeight
        {1920, 1040, 201, 60, CENTRE, 5, 1, 5, 1, 860, 490},    // the odd half pixel is lost
        {1920, 1040, 201, 60, CENTRE, -7, 0, -3, 0, -107, -3},
        {1366, 728, 201, 61, LEFT, 3, 1, 3, 1, 409, 200},
        {1366, 728, 201, 61, LEFT, -1, 1, -2, 1, -136, -133},  // toward zero, not -137 / -134
        {1920, 1040, 200, 60, RIGHT, 500, 0, 0, 1, 300, 0},    // right edge at the pixel position
        {1920, 1040, 200, 60, LEFT, 10, 1, 0, 1, 1920, 0},     // left edge outside the work area
        {1920, 1040, -201, 60, CENTRE, 0, 0, 0, 0, 100, 0},    // a negative half truncates toward zero
    };
    for (const InitialCase& c : cases) {
        UseWorkArea(c.workW, c.workH);
        settings.hAnchor = c.anchor;
        settings.hPosition = c.hPosition;
        settings.hInTenths = c.hInTenths;
        settings.vPosition = c.vPosition;
        settings.vInTenths = c.vInTenths;
        const WindowPoint p = InitialPosition(c.width, c.height);
        EXPECT_EQ(c.x, p.x) << c.width << "x" << c.height << " anchor " << c.anchor << " h " << c.hPosition;
        EXPECT_EQ(c.y, p.y) << c.width << "x" << c.height << " v " << c.vPosition;
    }
}

TEST(KeepPosition, WorkedExamplesAndEdges) {
    const KeepCase cases[] = {
        {{860, 490, 200, 60}, 260, 90, CENTRE, 1, 830, 475},
        {{1720, 490, 200, 60}, 260, 90, RIGHT, 1, 1660, 475},
        {{100, 300, 201, 60}, 150, 91, CENTRE, 1, 125, 291},  // exact 290.5
        // Each half is truncated on its own: halving the difference gives 124 and 831.
        {{100, 300, 200, 60}, 151, 91, CENTRE, 1, 125, 291},
        {{860, 490, 201, 60}, 260, 90, CENTRE, 1, 830, 475},
        {{100, 300, 201, 91}, 150, 60, CENTRE, 1, 125, 309},  // exact 309.8
        {{100, 980, 201, 60}, 150, 30, LEFT, 1, 100, 1010},   // bottom edge stays at 1040
        {{100, 0, 201, 60}, 150, 90, LEFT, 1, 100, 0},        // the very top stays
        {{100, 300, 201, 60}, 150, 91, CENTRE, 0, 125, 300},  // pixels: the top edge stays
        {{-1500, -20, 301, 60}, 100, 30, RIGHT, 0, -1299, -20},
    };
    for (const KeepCase& c : cases) {
        UseWorkArea(1920, 1040);
        settings.hAnchor = c.anchor;
        settings.vInTenths = c.vInTenths;
        const WindowPoint p = KeepPosition(c.prior, c.width, c.height);
        EXPECT_EQ(c.x, p.x) << "prior left " << c.prior.left << " anchor " << c.anchor;
        EXPECT_EQ(c.y, p.y) << "prior top " << c.prior.top << " height " << c.height;
        // The monitor is taken at the anchor: a new size must not move it past a pixel.
        const WindowPoint before = AnchorPoint(c.prior);
        const WindowPoint after = AnchorPoint(PriorRect{p.x, p.y, c.width, c.height});
        EXPECT_NEAR(before.x, after.x, 1) << "prior left " << c.prior.left << " anchor " << c.anchor;
        EXPECT_NEAR(before.y, after.y, 1) << "prior top " << c.prior.top << " height " << c.height;
    }
}

TEST(AnchorPoint, EdgeCentreOrShareOfTheWindow) {
    const int32_t cases[][4] = {{LEFT, 0, 1150, 100}, {RIGHT, 0, 1549, 100}, {CENTRE, 1, 1350, 106}};
    for (const auto& c : cases) {
        UseWorkArea(1920, 1040);
        settings.hAnchor = c[0];
        settings.vInTenths = c[1];
        const WindowPoint p = AnchorPoint(PriorRect{1150, 100, 400, 60});
        EXPECT_EQ(c[2], p.x) << "anchor " << c[0];
        EXPECT_EQ(c[3], p.y) << "in tenths " << c[1];  // 100 + 60 x 100 / 980
    }
}

// A dragged window keeps its place: the position settings play no part in a refresh.
TEST(KeepPosition, IgnoresThePositionSettings) {
    UseWorkArea(1920, 1040);
    settings.hAnchor = RIGHT;
    const PriorRect prior{400, 200, 300, 60};
    const WindowPoint before = KeepPosition(prior, 250, 90);
    settings.hPosition = -9;
    settings.hInTenths = 0;
    settings.vPosition = 7;
    const WindowPoint after = KeepPosition(prior, 250, 90);
    EXPECT_EQ(before.x, after.x);
    EXPECT_EQ(before.y, after.y);
    EXPECT_EQ(400 + 300, after.x + 250);  // the right edge is exactly where it was
}

TEST(KeepPosition, WindowAsTallAsTheWorkAreaDividesByZero) {
    UseWorkArea(1920, 1040);
    const WindowPoint p = KeepPosition(PriorRect{10, 37, 200, 1040}, 200, 60);
    EXPECT_EQ(37, p.y);
    const WindowPoint q = KeepPosition(PriorRect{10, -5, 200, 1040}, 200, 2000);
    EXPECT_EQ(-5, q.y);
}

TEST(KeepPosition, ProductOfHeightChangeAndTopOverflows32Bits) {
    UseWorkArea(1920, 1040);
    // 2000 x 3,000,000 is past 2^31; worked wide it is exactly 3,000,000 - 6,000,000,000 / 980.
    const WindowPoint p = KeepPosition(PriorRect{0, 3000000, 200, 60}, 200, 2060);
    EXPECT_EQ(3000000 - 6122448, p.y);
    // A result beyond the 32-bit range is held at its edge instead of wrapping round.
    const WindowPoint q = KeepPosition(PriorRect{0, INT32_MIN, 200, 1041}, 200, INT32_MAX);
    EXPECT_EQ(INT32_MIN, q.y);
    const WindowPoint r = KeepPosition(PriorRect{INT32_MAX, INT32_MIN, INT32_MAX, 1039}, INT32_MIN, 0);
    EXPECT_EQ(INT32_MAX, r.x);
    EXPECT_EQ(INT32_MIN, r.y);
}

TEST(InitialPosition, ProductOfPositionAndWorkWidthOverflows32Bits) {
    UseWorkArea(1920, 1040);
    settings.hPosition = 1118482;  // x 1920 = 2,147,485,440, past INT32_MAX
    EXPECT_EQ(214748544 - 100, InitialPosition(200, 60).x);
    settings.hPosition = -11184811;  // -2,147,483,712 after the division: just past INT32_MIN
    EXPECT_EQ(INT32_MIN, InitialPosition(0, 60).x);
    settings.hPosition = INT32_MAX;
    EXPECT_EQ(INT32_MAX, InitialPosition(200, 60).x);
    settings.hPosition = INT32_MIN;
    settings.hInTenths = 0;
    EXPECT_EQ(INT32_MIN, InitialPosition(200, 60).x);  // held, not wrapped to a positive x
    UseWorkArea(1920, INT32_MAX);
    settings.vPosition = INT32_MAX;
    EXPECT_EQ(INT32_MAX, InitialPosition(200, INT32_MIN).y);
    settings.vPosition = -1;
    EXPECT_EQ(-429496729, InitialPosition(200, INT32_MIN).y);  // (2^32 - 1) x -1 / 10
}

TEST(FrameChoice, CaptionWinsThenThinThenBare) {
    UseWorkArea(1920, 1040);
    captionExtraCx = 8;
    captionExtraCy = 31;
    thinExtraCx = 6;
    thinExtraCy = 6;
    const struct {
        int32_t caption, thin;
        uint32_t style;
        int32_t cx, cy;
    } cases[] = {
        {1, 0, STYLE_CAPTION, 8, 31},
        {1, 1, STYLE_CAPTION, 8, 31},
        {0, 1, STYLE_THIN, 6, 6},
        {0, 0, STYLE_BARE, 0, 0},
    };
    for (const auto& c : cases) {
        settings.captionFrame = c.caption;
        settings.thinFrame = c.thin;
        EXPECT_EQ(c.style, CurrentFrameStyle()) << c.caption << c.thin;
        EXPECT_EQ(c.cx, CurrentFrameExtra().cx) << c.caption << c.thin;
        EXPECT_EQ(c.cy, CurrentFrameExtra().cy) << c.caption << c.thin;
    }
}
