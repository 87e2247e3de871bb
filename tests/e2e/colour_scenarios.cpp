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
    // A label font of its own (S): its height, face and weight; no face, no check.
    int fontHeight = 0;
    const wchar_t* fontFace = nullptr;
    int fontWeight = 0;
};

struct FontTry {
    int width;  // of the text
    int ink;    // pixels in the text colour when drawn as a label draws it
};

// The text drawn by the driver in a font of that face and weight over a rectangle of the
// label's size, left-aligned and centred vertically as the label draws its single line.
FontTry DrawInFont(const std::wstring& text, const RECT& label, const ColourCase& c, const wchar_t* face,
                   int weight) {
    FontTry result = {0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreatePixelBitmap(label.right - label.left, label.bottom - label.top, &bits);
    HFONT font = CreateFontW(c.fontHeight, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    if (bitmap != nullptr && font != nullptr) {
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HGDIOBJ oldFont = SelectObject(memory, font);
        RECT area = {0, 0, label.right - label.left, label.bottom - label.top};
        HBRUSH back = CreateSolidBrush(c.back);
        FillRect(memory, &area, back);
        DeleteObject(back);
        SetBkMode(memory, TRANSPARENT);
        SetTextColor(memory, c.text);
        SIZE extent = {};
        GetTextExtentPoint32W(memory, text.c_str(), static_cast<int>(text.size()), &extent);
        result.width = extent.cx;
        DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &area,
                  DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        GdiFlush();
        const DWORD* pixel = static_cast<const DWORD*>(bits);
        for (LONG i = 0; i < area.right * area.bottom; ++i) {
            result.ink += RGB((pixel[i] >> 16) & 0xFF, (pixel[i] >> 8) & 0xFF, pixel[i] & 0xFF) == c.text;
        }
        SelectObject(memory, oldFont);
        SelectObject(memory, oldBitmap);
    }
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

struct InkWatch {
    RECT rect;
    COLORREF text;
    int wanted;
    int seen;
};

bool InkAsDrawn(void* context) {
    InkWatch* watch = static_cast<InkWatch*>(context);
    watch->seen = CountPixels(watch->rect, watch->text, CLR_INVALID, CLR_INVALID).text;
    return watch->seen == watch->wanted;
}

// The label is as wide as its text in the asked font and shows the very pixels in the
// text colour that this font draws. The other weight and the default face must each
// differ in one of the two, or the row would tell nothing.
void CheckLabelFont(const ColourCase& c, const ChildInfo& label) {
    FontTry asked = DrawInFont(label.text, label.rect, c, c.fontFace, c.fontWeight);
    FontTry otherWeight = DrawInFont(label.text, label.rect, c, c.fontFace, 1100 - c.fontWeight);
    FontTry defaultFace = DrawInFont(label.text, label.rect, c, L"", c.fontWeight);
    InkWatch watch = {label.rect, c.text, asked.ink, -1};
    bool same = WaitUntil(InkAsDrawn, &watch, ReactionTimeout());
    Note("%ls at %d: label %ld wide with %d text pixels; width and text pixels %d and %d in that font, "
         "%d and %d in the other weight, %d and %d in the default face",
         c.fontFace, c.fontWeight, label.rect.right - label.rect.left, watch.seen, asked.width, asked.ink,
         otherWeight.width, otherWeight.ink, defaultFace.width, defaultFace.ink);
    CHECK(asked.width != otherWeight.width || asked.ink != otherWeight.ink);
    CHECK(asked.width != defaultFace.width || asked.ink != defaultFace.ink);
    CHECK_EQ(asked.width, label.rect.right - label.rect.left);
    CHECK(same);
}

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
    if (c.fontFace != nullptr) {
        CheckLabelFont(c, labels[0]);
    }
    EndProcess(nuvelo);
    EndLeftoverInstances(L"Nuvelo");
}

}  // namespace

// u/g/b colour the text and U/G/B the background; the components land in their own
// channels (values that differ in every channel would show a swap).
I386_SCENARIO(text_and_background_colours_on_screen) {
    SetWallpaperSource(WALLPAPER);
    DeleteSlideshowInterval();
    COLORREF desktop = DesktopColour();
    REQUIRE(desktop != CLR_INVALID);
    Note("desktop colour 0x%06lX", desktop);
    const ColourCase cases[] = {
        {L"u255 g0 b0 U255 G255 B0", RGB(255, 0, 0), RGB(255, 255, 0), false, false},
        {L"u0 g128 b255 U200 G16 B64", RGB(0, 128, 255), RGB(200, 16, 64), false, false},
        {L"u255 g255 b255 U0 G0 B128", RGB(255, 255, 255), RGB(0, 0, 128), false, false},
        // F and f: a face that scripts/setup installs, bold and regular.
        {L"u0 g0 b0 U255 G255 B255 S24 FIPAGothic", RGB(0, 0, 0), RGB(255, 255, 255), false, false, 24,
         L"IPAGothic", 700},
        {L"u0 g0 b0 U255 G255 B255 S24 fIPAGothic", RGB(0, 0, 0), RGB(255, 255, 255), false, false, 24,
         L"IPAGothic", 400},
    };
    for (const ColourCase& c : cases) {
        CheckColourCase(c, desktop);
    }
}

// p draws the text in the key colour and P paints the background with it: the desktop
// shows through there, and the colour that was replaced is nowhere in the label.
I386_SCENARIO(key_colour_text_and_background_on_screen) {
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
