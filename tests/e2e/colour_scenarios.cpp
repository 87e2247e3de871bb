// The colour options as the screen shows them: text and background colours in the label
// area, and the key colour that lets the desktop show through the text or the background.
#include "tests/e2e/driver.h"
#include "tests/e2e/label_watch.h"

#include <algorithm>
#include <map>

using namespace label_watch;

namespace {

const wchar_t WALLPAPER[] = L"C:\\users\\Public\\Pictures\\Colour Wheel Morning.jpg";

// Anti-aliased edges may blend the text into its background; whole strokes still show
// the text colour itself on this many pixels at least.
constexpr int MIN_TEXT_PIXELS = 20;

struct PixelCounts {
    int total;
    int text;
    int back;
    int desktop;
    int key;
};

struct Expected {
    RECT label;
    COLORREF text;
    COLORREF back;
    COLORREF desktop;
    bool transparentText;
    bool transparentBack;
    PixelCounts seen;
};

PixelCounts CountPixels(const RECT& rect, COLORREF text, COLORREF back, COLORREF desktop) {
    PixelCounts counts = {};
    for (COLORREF pixel : ScreenPixels(rect)) {
        ++counts.total;
        counts.text += pixel == text;
        counts.back += pixel == back;
        counts.desktop += pixel == desktop;
        // The first key candidate: the colours chosen here never collide with it.
        counts.key += pixel == RGB(1, 0, 0);
    }
    return counts;
}

// What the label area must show: the background colour (or, see-through, the desktop)
// over most of it, and text strokes in the text colour (or, see-through, the desktop).
bool LabelPainted(void* context) {
    Expected* e = static_cast<Expected*>(context);
    e->seen = CountPixels(e->label, e->text, e->back, e->desktop);
    const PixelCounts& c = e->seen;
    if (c.total == 0 || c.key != 0) {
        return false;
    }
    int mostly = c.total / 2;
    if (e->transparentBack) {
        if (c.back != 0 || c.desktop <= mostly) {
            return false;
        }
    } else if (c.back <= mostly) {
        return false;
    }
    if (e->transparentText) {
        // The strokes show the desktop: among the background, or as all of it.
        return c.text == 0 && (e->transparentBack ? c.desktop == c.total : c.desktop >= MIN_TEXT_PIXELS);
    }
    return c.text >= MIN_TEXT_PIXELS;
}

// The desktop behind the window, read before the window exists: two far apart points
// that must agree, so that a picture behind does not pass for a plain colour.
COLORREF DesktopColour() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    COLORREF one = ScreenPixel(work.left + 3, work.top + 3);
    COLORREF other = ScreenPixel(work.right - 4, work.top + (work.bottom - work.top) / 2);
    if (!CHECK_EQ(one, other)) {
        return CLR_INVALID;
    }
    return one;
}

// The most frequent colours of a failed label, for the reader of the failure.
void NoteCommonColours(const RECT& rect) {
    std::map<COLORREF, int> histogram;
    for (COLORREF pixel : ScreenPixels(rect)) {
        ++histogram[pixel];
    }
    std::vector<std::pair<int, COLORREF>> byCount;
    for (const auto& entry : histogram) {
        byCount.push_back({entry.second, entry.first});
    }
    std::sort(byCount.rbegin(), byCount.rend());
    for (size_t i = 0; i < byCount.size() && i < 4; ++i) {
        Note("  0x%06lX on %d pixels", byCount[i].second, byCount[i].first);
    }
}

struct ColourCase {
    const wchar_t* arguments;
    COLORREF text;
    COLORREF back;
    bool transparentText;
    bool transparentBack;
};

void CheckColourCase(const ColourCase& c, COLORREF desktop) {
    NoteText("arguments:", c.arguments);
    if (!CHECK(c.text != desktop && c.back != desktop)) {
        Note("the desktop shows 0x%06lX; pick colours that differ from it", desktop);
        return;
    }
    StartedProcess nuvelo = StartNuvelo(c.arguments);
    REQUIRE(nuvelo.process != nullptr);
    HWND main = WaitForMainWindow(nuvelo, nullptr, StartTimeout());
    REQUIRE(main != nullptr);
    std::vector<ChildInfo> labels = Labels(main);
    REQUIRE_EQ(1, labels.size());
    Expected expected = {labels[0].rect, c.text, c.back, desktop, c.transparentText, c.transparentBack, {}};
    bool painted = WaitUntil(LabelPainted, &expected, ReactionTimeout());
    const PixelCounts& seen = expected.seen;
    Note("label pixels: %d, text colour %d, background %d, desktop %d, key %d", seen.total, seen.text,
         seen.back, seen.desktop, seen.key);
    if (!CHECK(painted)) {
        NoteCommonColours(labels[0].rect);
        HWND top = WindowFromPoint(CentreOf(labels[0].rect));
        NoteText("window at the label's centre:", ClassNameOf(top) + L" " + WindowText(top));
        NoteText("its top-level window:", ClassNameOf(GetAncestor(top, GA_ROOT)));
    }
    // The key colour itself never reaches the screen: it is the see-through colour.
    CHECK_EQ(0, seen.key);
    EndProcess(nuvelo);
    EndLeftoverInstances(L"Nuvelo");
}

}  // namespace

// u/g/b colour the text and U/G/B the background; the components land in their own
// channels (values that differ in every channel would show a swap).
SCENARIO(text_and_background_colours_on_screen) {
    SetWallpaperSource(WALLPAPER);
    DeleteSlideshowInterval();
    COLORREF desktop = DesktopColour();
    REQUIRE(desktop != CLR_INVALID);
    Note("desktop colour 0x%06lX", desktop);
    const ColourCase cases[] = {
        {L"u255 g0 b0 U255 G255 B0", RGB(255, 0, 0), RGB(255, 255, 0), false, false},
        {L"u0 g128 b255 U200 G16 B64", RGB(0, 128, 255), RGB(200, 16, 64), false, false},
        {L"u255 g255 b255 U0 G0 B128", RGB(255, 255, 255), RGB(0, 0, 128), false, false},
    };
    for (const ColourCase& c : cases) {
        CheckColourCase(c, desktop);
    }
}

// p draws the text in the key colour and P paints the background with it: the desktop
// shows through there, and the colour that was replaced is nowhere in the label.
SCENARIO(key_colour_text_and_background_on_screen) {
    SetWallpaperSource(WALLPAPER);
    DeleteSlideshowInterval();
    COLORREF desktop = DesktopColour();
    REQUIRE(desktop != CLR_INVALID);
    Note("desktop colour 0x%06lX", desktop);
    const ColourCase cases[] = {
        {L"p u255 g0 b0 U255 G255 B0", RGB(255, 0, 0), RGB(255, 255, 0), true, false},
        {L"P u255 g0 b0 U255 G255 B0", RGB(255, 0, 0), RGB(255, 255, 0), false, true},
        {L"p P u255 g0 b0 U255 G255 B0", RGB(255, 0, 0), RGB(255, 255, 0), true, true},
    };
    for (const ColourCase& c : cases) {
        CheckColourCase(c, desktop);
    }
}
