#include <gtest/gtest.h>

#include <vector>

#include "base/settings.h"
#include "wallpaper/lines.h"
#include "window/layout.h"

namespace {

// Characters half as wide as the font is high; every line exactly the font height, and
// the cell that much plus the leading. It keeps count of the fonts it makes and
// destroys, like labelFont's owner must.
struct FakeFonts {
    int32_t defaultHeight;  // what a height of 0 gives, and the unselected font
    int32_t current;
    int32_t leading;  // added to the height for the cell height
    bool hasFont;
    int created;
    int destroyed;
    std::vector<int32_t> requested;
};

FakeFonts fonts;

void FakeCreateLabelFont(void* context, int32_t height) {
    FakeFonts& f = *static_cast<FakeFonts*>(context);
    ++f.created;
    if (f.hasFont) {
        ++f.destroyed;
    }
    f.hasFont = true;
    f.current = height == 0 ? f.defaultHeight : height;
    f.requested.push_back(height);
}

int32_t FakeCellHeight(void* context) {
    const FakeFonts& f = *static_cast<FakeFonts*>(context);
    return f.current + f.leading;
}

TextExtent FakeLineExtent(void* context, int32_t index) {
    const FakeFonts& f = *static_cast<FakeFonts*>(context);
    const int32_t units = static_cast<int32_t>(TextLength(lines[index].text, TEXT_UNITS));
    const int64_t width = int64_t{units} * f.current / 2;  // wide: huge heights are tried too
    return TextExtent{width > INT32_MAX ? INT32_MAX : static_cast<int32_t>(width), f.current};
}

const TextMeasurer fakeMeasurer{&fonts, FakeCreateLabelFont, FakeCellHeight, FakeLineExtent};

constexpr int32_t SCREEN_HEIGHT = 1080;

// Starts every layout with the defaults, a title bar 8 wider and 31 taller than the
// bare window, and the lines given; a new font source of default height 16.
void Prepare(std::vector<const char16_t*> texts) {
    SetDefaultSettings(0, 0);
    captionExtraCx = 8;
    captionExtraCy = 31;
    thinExtraCx = 6;
    thinExtraCy = 6;
    fonts = FakeFonts{16, 16, 0, false, 0, 0, {}};
    lineCount = static_cast<int32_t>(texts.size());
    for (int32_t i = 0; i < MAX_LINES; ++i) {
        lines[i] = LineLabel{};
        if (i < lineCount) {
            CopyText(lines[i].text, texts[i]);
        }
    }
}

// Ten units and four units: widest is 5 x height, tallest is the height.
void PrepareTwoLines() {
    Prepare({u"abcdefghij", u"abcd"});
}

// Every font but the last was destroyed; the last one is the labels'.
void ExpectOneLiveFont() {
    EXPECT_EQ(fonts.created, fonts.destroyed + 1);
}

struct OutcomeCase {
    const char* name;
    int32_t customFont, fitFont, fontSize;
    int32_t fixedWidth, windowWidth;
    int32_t fixedLineHeight, lineHeight;
    int32_t fontHeight;  // of the labels at the end; 0 when no font was made
    int32_t fontSizeAfter;
    LabelLayout expected;
    int32_t leading = 0;  // of the measurer's cell height
    int32_t screenHeight = SCREEN_HEIGHT;
    int32_t firstFit = 0;  // the height a fit starts at, when one runs
};

}  // namespace

TEST(LabelLayout, OutcomeTableRows) {
    const OutcomeCase cases[] = {
        // No fitting: the system's font (16), widest 80, larger of widest and availWidth.
        {"no custom font", 0, 1, 0, 0, 0, 0, 0, 0, 0, {80, 16, 88, 63}},
        {"no custom font, fixed sizes", 0, 1, 0, 1, 60, 1, 10, 0, 0, {52, 10, 60, 51}},
        {"custom font without fit", 1, 0, 20, 1, 60, 1, 10, 20, 20, {52, 10, 60, 51}},
        {"custom font, bounds only", 1, 0, 12, 0, 300, 0, 20, 12, 12, {292, 20, 300, 71}},
        // Fit asked for but nothing fixed: no fitting, and a size of 0 stays 0.
        {"fit, nothing fixed", 1, 1, 0, 0, 50, 0, 0, 0, 0, {80, 16, 88, 63}},
        // Fixed width: 5 x 10 = 50 fits exactly and is kept.
        {"fit to width", 1, 1, 20, 1, 58, 0, 0, 10, 20, {50, 10, 58, 51}},
        // Fixed row height 14: tallest 14 fits exactly; label narrows from 100 to 70.
        {"fit to row height", 1, 1, 20, 0, 0, 1, 14, 14, 20, {70, 14, 78, 59}},
        // The first height tried is exactly as wide, or as tall, as the limit: it fits.
        {"exactly as wide at once", 1, 1, 10, 1, 58, 0, 0, 10, 10, {50, 10, 58, 51}},
        {"exactly as tall at once", 1, 1, 14, 0, 0, 1, 14, 14, 14, {70, 14, 78, 59}},
        // Size 0 derives the cell height 18 of the default font (16, widest 80); the row
        // fit keeps 18, whose widest 90 is not smaller than 80: the label stays 80.
        {"row fit above the default font", 1, 1, 0, 0, 0, 1, 40, 18, 18, {80, 40, 88, 111}, 2},
        // The row of a 16K display, 8,640 pixels, takes a font of its full height.
        {"fit to the tallest display", 1, 1, 8640, 0, 0, 1, 8640, 8640, 8640, {43200, 8640, 43208, 17311}},
        // Both: the row fit starts from the width fit's 10 and goes down to 8.
        {"fit to both", 1, 1, 20, 1, 58, 1, 8, 8, 20, {50, 8, 58, 47}},
        // A fit starts no higher than the screen or the fixed row, whichever is taller.
        {"screen bound", 1, 1, 99999, 1, 60, 0, 0, 10, 99999, {52, 10, 60, 51}, 0, 1080, 1080},
        {"row bound", 1, 1, 2500, 0, 0, 1, 2500, 2500, 2500, {12500, 2500, 12508, 5031}, 0, 1080, 2500},
        {"screen unknown", 1, 1, 99999, 1, 60, 0, 0, 10, 99999, {52, 10, 60, 51}, 0, 0, MAX_FIT_FONT_HEIGHT},
    };
    for (const OutcomeCase& c : cases) {
        PrepareTwoLines();
        fonts.leading = c.leading;
        settings.customFont = c.customFont;
        settings.fitFont = c.fitFont;
        settings.fontSize = c.fontSize;
        settings.fixedWidth = c.fixedWidth;
        settings.windowWidth = c.windowWidth;
        settings.fixedLineHeight = c.fixedLineHeight;
        settings.lineHeight = c.lineHeight;
        const LabelLayout layout = ComputeLabelLayout(fakeMeasurer, c.screenHeight);
        EXPECT_EQ(c.expected.labelWidth, layout.labelWidth) << c.name;
        EXPECT_EQ(c.expected.rowHeight, layout.rowHeight) << c.name;
        EXPECT_EQ(c.expected.outerWidth, layout.outerWidth) << c.name;
        EXPECT_EQ(c.expected.outerHeight, layout.outerHeight) << c.name;
        EXPECT_EQ(c.fontSizeAfter, settings.fontSize) << c.name;
        if (c.firstFit != 0) {
            EXPECT_EQ(c.firstFit, fonts.requested.at(1)) << c.name;
        }
        if (c.customFont) {
            EXPECT_EQ(c.fontHeight, fonts.requested.back()) << c.name;
            ExpectOneLiveFont();
        } else {
            EXPECT_EQ(0, fonts.created) << c.name;
        }
    }
}

TEST(LabelLayout, FrameExtrasFollowTheFrameInForce) {
    const struct {
        int32_t caption, thin;
        int32_t outerWidth, outerHeight;
    } cases[] = {{1, 0, 88, 63}, {0, 1, 86, 38}, {0, 0, 80, 32}, {1, 1, 88, 63}};
    for (const auto& c : cases) {
        PrepareTwoLines();
        settings.captionFrame = c.caption;
        settings.thinFrame = c.thin;
        const LabelLayout layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
        EXPECT_EQ(80, layout.labelWidth);
        EXPECT_EQ(c.outerWidth, layout.outerWidth) << c.caption << c.thin;
        EXPECT_EQ(c.outerHeight, layout.outerHeight) << c.caption << c.thin;
    }
}

// With availWidth 100 and a first widest of 150, a widest of 101 in the row-fitted font
// narrows the label to 101, but one of 99 leaves it at 150.
TEST(LabelLayout, RowFitNarrowsTheLabelOnlyWhileAboveAvailWidth) {
    const struct {
        int32_t lineHeight;
        int32_t labelWidth;
    } cases[] = {{202, 101}, {200, 150}, {198, 150}};  // 100 itself is not strictly above
    for (const auto& c : cases) {
        Prepare({u"x"});
        settings.captionFrame = 0;
        settings.customFont = 1;
        settings.fontSize = 300;  // one unit: 150 wide
        settings.windowWidth = 100;
        settings.fixedLineHeight = 1;
        settings.lineHeight = c.lineHeight;
        const LabelLayout layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
        EXPECT_EQ(c.labelWidth, layout.labelWidth) << c.lineHeight;
        EXPECT_EQ(c.lineHeight, layout.rowHeight);
        EXPECT_EQ(c.lineHeight, fonts.requested.back());
        ExpectOneLiveFont();
    }
}

TEST(LabelLayout, NoLines) {
    Prepare({});
    settings.windowWidth = 100;
    settings.lineHeight = 20;
    LabelLayout layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
    EXPECT_EQ(92, layout.labelWidth);
    EXPECT_EQ(20, layout.rowHeight);
    EXPECT_EQ(100, layout.outerWidth);
    EXPECT_EQ(31, layout.outerHeight);  // the frame alone

    Prepare({});
    settings.customFont = 1;
    settings.fontSize = 9;
    layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
    EXPECT_EQ(0, layout.labelWidth);
    EXPECT_EQ(0, layout.rowHeight);
    EXPECT_EQ(8, layout.outerWidth);
    EXPECT_EQ(31, layout.outerHeight);
    EXPECT_EQ(1, fonts.created);
}

// Below the frame's width even a widest of 0 is above a negative availWidth: the fit
// counts down to 1. At exactly the frame's width no lines, or empty ones, fit at once.
TEST(LabelLayout, FixedWidthAtOrBelowTheFrame) {
    const struct {
        std::vector<const char16_t*> texts;
        int32_t windowWidth;
        std::vector<int32_t> requested;
    } cases[] = {
        {{}, 5, {6, 6, 5, 4, 3, 2, 1}},
        {{u"abcdefghij", u"abcd"}, 5, {6, 6, 5, 4, 3, 2, 1}},
        {{}, 8, {6, 6}},
        {{u"", u""}, 8, {6, 6}},
    };
    for (const auto& c : cases) {
        Prepare(c.texts);
        settings.customFont = 1;
        settings.fontSize = 6;
        settings.fixedWidth = 1;
        settings.windowWidth = c.windowWidth;
        const LabelLayout layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
        EXPECT_EQ(c.requested, fonts.requested) << c.texts.size() << " lines, W" << c.windowWidth;
        EXPECT_EQ(c.windowWidth - 8, layout.labelWidth);
        EXPECT_EQ(c.windowWidth, layout.outerWidth);
        ExpectOneLiveFont();
    }
}

TEST(LabelLayout, NegativeLabelWidthGivesLabelWindowsNoWidth) {
    EXPECT_EQ(0, LabelWindowWidth(LabelLayout{-3, 10, 5, 41}));
    EXPECT_EQ(0, LabelWindowWidth(LabelLayout{0, 10, 8, 41}));
    EXPECT_EQ(52, LabelWindowWidth(LabelLayout{52, 10, 60, 41}));
}

TEST(LabelLayout, FontSizeZeroIsDerivedOnceAndReused) {
    PrepareTwoLines();
    settings.customFont = 1;
    settings.fixedWidth = 1;
    settings.windowWidth = 58;
    ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
    EXPECT_EQ(16, settings.fontSize);  // the cell of the default-height font
    EXPECT_EQ(0, fonts.requested.front());
    EXPECT_EQ(16, fonts.requested[1]);
    EXPECT_EQ(10, fonts.requested.back());

    // A later layout starts from the stored size, whatever the default height is now.
    fonts.defaultHeight = 24;
    fonts.requested.clear();
    const LabelLayout layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
    EXPECT_EQ(16, settings.fontSize);
    EXPECT_EQ(16, fonts.requested.front());
    EXPECT_EQ(16, fonts.requested[1]);
    EXPECT_EQ(10, fonts.requested.back());
    EXPECT_EQ(50, layout.labelWidth);
    ExpectOneLiveFont();
}

TEST(LabelLayout, FontSizeZeroIsDerivedForARowFitAlone) {
    PrepareTwoLines();
    settings.customFont = 1;
    settings.fixedLineHeight = 1;
    settings.lineHeight = 15;
    ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
    EXPECT_EQ(16, settings.fontSize);
    EXPECT_EQ((std::vector<int32_t>{0, 16, 15}), fonts.requested);
    ExpectOneLiveFont();
}

// A width fit that found nothing must not leave the row fit starting from 1 (or not at all).
TEST(LabelLayout, RowFitStartsAgainFromFontSizeWhenTheWidthFitFoundNothing) {
    PrepareTwoLines();
    settings.customFont = 1;
    settings.fontSize = 20;
    settings.fixedWidth = 1;
    settings.windowWidth = 5;
    settings.fixedLineHeight = 1;
    settings.lineHeight = 12;
    const LabelLayout layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
    std::vector<int32_t> expected{20};
    for (int32_t h = 20; h >= 1; --h) {
        expected.push_back(h);
    }
    for (int32_t h = 20; h >= 12; --h) {
        expected.push_back(h);
    }
    EXPECT_EQ(expected, fonts.requested);
    EXPECT_EQ(12, layout.rowHeight);
    EXPECT_EQ(5, layout.outerWidth);
    ExpectOneLiveFont();
}

TEST(LabelLayout, RowFitWithNoHeightLeavesFontHeightOne) {
    PrepareTwoLines();
    settings.customFont = 1;
    settings.fontSize = 4;
    settings.fixedLineHeight = 1;
    settings.lineHeight = 0;
    const LabelLayout layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
    EXPECT_EQ((std::vector<int32_t>{4, 4, 3, 2, 1}), fonts.requested);
    EXPECT_EQ(0, layout.rowHeight);
    EXPECT_EQ(31, layout.outerHeight);
}

TEST(LabelLayout, FontsAreReplacedNotLeakedAcrossLayouts) {
    PrepareTwoLines();
    settings.customFont = 1;
    settings.fontSize = 20;
    settings.fixedWidth = 1;
    settings.windowWidth = 30;
    settings.fixedLineHeight = 1;
    settings.lineHeight = 3;
    for (int i = 0; i < 5; ++i) {
        ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
        ExpectOneLiveFont();
    }
    EXPECT_EQ(5 * (1 + 17 + 2), fonts.created);  // step 1, widths 20 to 4, rows 4 and 3
}

TEST(LabelLayout, TenHugeRowsOverflowTheOuterHeight) {
    Prepare({u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10"});
    settings.fixedLineHeight = 1;
    settings.lineHeight = INT32_MAX;
    const LabelLayout layout = ComputeLabelLayout(fakeMeasurer, SCREEN_HEIGHT);
    EXPECT_EQ(INT32_MAX, layout.rowHeight);
    EXPECT_EQ(INT32_MAX, layout.outerHeight);
}

// A huge requested size would make the fit count down one font per pixel for ever;
// even on a taller screen the fit starts at the largest sensible height and still finds
// the answer.
TEST(LabelLayout, HugeFontSizeFitDoesNotCountDownFromIt) {
    for (bool byRow : {false, true}) {
        PrepareTwoLines();
        settings.customFont = 1;
        settings.fontSize = INT32_MAX;
        if (byRow) {
            settings.fixedLineHeight = 1;
            settings.lineHeight = 40;  // tallest = height: fits at 40
        } else {
            settings.fixedWidth = 1;
            settings.windowWidth = 208;  // availWidth 200 = 5 x 40: fits at 40
        }
        ComputeLabelLayout(fakeMeasurer, 20000);
        ASSERT_GE(fonts.requested.size(), 2u);
        EXPECT_EQ(INT32_MAX, fonts.requested[0]) << byRow;  // the requested font is still made first
        EXPECT_EQ(MAX_FIT_FONT_HEIGHT, fonts.requested[1]) << byRow;
        EXPECT_EQ(40, fonts.requested.back()) << byRow;
        EXPECT_EQ(size_t{2 + MAX_FIT_FONT_HEIGHT - 40}, fonts.requested.size()) << byRow;
        EXPECT_EQ(INT32_MAX, settings.fontSize) << byRow;
        ExpectOneLiveFont();
    }
}
