#include "window/layout_win.h"

#include "base/ids.h"
#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/registry_win.h"
#include "window/dpi_win.h"
#include "window/monitor_win.h"
#include "window/placement.h"
#include "window/placement_win.h"
#include "window/scale.h"
#include "window/shell_win.h"

namespace {

// WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_NOTIFY, combined with lineAlign.
constexpr DWORD LABEL_STYLE = WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_NOTIFY;
static_assert(LABEL_STYLE == 0x50000300, "label style");

void SelectFont(GdiMeasuring* measuring, HGDIOBJ font) {
    const HGDIOBJ previous = SelectObject(measuring->dc, font);
    if (measuring->originalFont == nullptr && previous != nullptr && previous != HGDI_ERROR) {
        measuring->originalFont = previous;
    }
}

// The new font is selected before the old one is deleted: a font still selected into
// a device context cannot be deleted.
void GdiCreateLabelFont(void* context, int32_t height) {
    GdiMeasuring* measuring = static_cast<GdiMeasuring*>(context);
    // The zeros are the default precision, clipping, quality, pitch and family.
    LOGFONTW face{};
    face.lfHeight = height;
    face.lfWeight = settings.fontWeight;
    face.lfCharSet = DEFAULT_CHARSET;
    CopyText(reinterpret_cast<char16_t*>(face.lfFaceName), ArrayCount(face.lfFaceName), settings.fontFace);
    const HFONT font = CreateFontIndirectW(&face);
    SelectFont(measuring, font);
    if (labelFont != nullptr) {
        DeleteObject(labelFont);
    }
    labelFont = font;
}

int32_t GdiCellHeight(void* context) {
    GdiMeasuring* measuring = static_cast<GdiMeasuring*>(context);
    SelectFont(measuring, labelFont);
    TEXTMETRICW metrics{};
    GetTextMetricsW(measuring->dc, &metrics);
    return metrics.tmHeight + metrics.tmExternalLeading;
}

// Without a label font nothing is selected: the context's default font measures, which
// is also the font a label shows when it is given none.
TextExtent GdiLineExtent(void* context, int32_t index) {
    GdiMeasuring* measuring = static_cast<GdiMeasuring*>(context);
    if (labelFont != nullptr) {
        SelectFont(measuring, labelFont);
    }
    const char16_t* text = lines[index].text;
    SIZE size{};
    GetTextExtentPoint32W(measuring->dc, Wide(text), static_cast<int>(TextLength(text, TEXT_UNITS)), &size);
    return TextExtent{size.cx, size.cy};
}

void DestroyLabels() {
    for (int32_t i = 0; i < lineCount && i < MAX_LINES; ++i) {
        if (lines[i].window != 0) {
            DestroyWindow(reinterpret_cast<HWND>(lines[i].window));
            lines[i].window = 0;
        }
    }
}

// lines[0], the file name, is the bottom row.
void CreateLabels(HWND window, const LabelLayout& layout) {
    const DWORD style = static_cast<DWORD>(settings.lineAlign) | LABEL_STYLE;
    const int32_t width = LabelWindowWidth(layout);
    for (int32_t i = 0; i < lineCount && i < MAX_LINES; ++i) {
        const int32_t y = ClampToInt32(int64_t{lineCount - i - 1} * layout.rowHeight);
        const HWND label =
            CreateWindowExW(0, L"STATIC", Wide(lines[i].text), style, 0, y, width, layout.rowHeight, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(LABEL_ID)), appInstance, nullptr);
        lines[i].window = reinterpret_cast<uintptr_t>(label);
        if (labelFont != nullptr) {
            SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), 1);
        }
    }
}

TEXTMETRICW MetricsOf(HDC dc, HFONT font) {
    const HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    return metrics;
}

// Labels without a font of their own show the system font, made for the system's DPI.
// At any other DPI they get that font with its height scaled to the layout's DPI, or,
// where its face cannot take that height, the message font's face at it in the system
// font's weight; back at the system's DPI, none again.
void MakeDefaultLabelFont(HDC dc) {
    if (settings.customFont) {
        return;
    }
    HFONT font = nullptr;
    if (layoutDpi != systemFontDpi) {
        LOGFONTW face{};
        GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(face), &face);
        face.lfHeight = ScaleBetweenDpis(face.lfHeight, layoutDpi, systemFontDpi);
        font = CreateFontIndirectW(&face);
        const TEXTMETRICW given = MetricsOf(dc, font);
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (ChooseDefaultLabelFont(layoutDpi, systemFontDpi, face.lfHeight, given.tmHeight,
                                   given.tmInternalLeading) == DEFAULT_FONT_TRUETYPE &&
            SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
            CopyText(reinterpret_cast<char16_t*>(face.lfFaceName), ArrayCount(face.lfFaceName),
                     reinterpret_cast<const char16_t*>(metrics.lfMessageFont.lfFaceName));
            face.lfCharSet = metrics.lfMessageFont.lfCharSet;
            face.lfOutPrecision = OUT_TT_PRECIS;
            face.lfPitchAndFamily = metrics.lfMessageFont.lfPitchAndFamily;
            DeleteObject(font);
            font = CreateFontIndirectW(&face);
        }
    }
    if (labelFont != nullptr) {
        DeleteObject(labelFont);
    }
    labelFont = font;
}

// The font, the sizes and the labels for the current lines at layoutDpi.
LabelLayout BuildLabels(HWND window) {
    const HDC dc = GetDC(window);
    MakeDefaultLabelFont(dc);
    GdiMeasuring measuring;
    const LabelLayout layout =
        ComputeLabelLayout(GdiTextMeasurer(&measuring, dc), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EndGdiMeasuring(&measuring);
    ReleaseDC(window, dc);
    CreateLabels(window, layout);
    rowHeight = layout.rowHeight;
    return layout;
}

// Set while a layout runs: a WM_DPICHANGED that its own SetWindowPos raises waits for
// the end of it.
bool layingOut;

// One layout: fromOptions places the window as the first layout does, otherwise it keeps
// its anchor. With read, the lines are made anew from a path read already.
void Layout(HWND window, int fromOptions, const PictureRead* read) {
    // Taken before anything touches the window, with the frame it had until now.
    const PriorRect prior = fromOptions ? PriorRect{} : RestoredRect(window);
    DestroyLabels();
    if (read != nullptr) {
        // A failed read leaves no lines, and the layout goes on.
        TakeWallpaperPath(read->ok, read->path, read->title);
    }

    // Measured without a frame; hidden from here on, so no half-built window is shown.
    const HWND after = reinterpret_cast<HWND>(settings.zOrderAfter);
    SetFrameStyle(window, STYLE_BARE);
    SetWindowPos(window, after, 0, 0, 0, 0, FRAME_CHANGED_HIDE);

    const LabelLayout layout = BuildLabels(window);
    if (fromOptions) {
        PlaceWindow(window, layout.outerWidth, layout.outerHeight);
        return;
    }
    const WindowPoint p = KeepPosition(prior, layout.outerWidth, layout.outerHeight);
    ApplyPlacement(window, p.x, p.y, layout.outerWidth, layout.outerHeight);
}

// A layout that leaves the window on a monitor of another DPI (the first placement on
// another monitor, or a move of the program's own) is done once more at that DPI. This
// check stands in for the WM_DPICHANGED that the layout's own SetWindowPos raised.
int LayoutAtWindowDpi(HWND window, int fromOptions, const PictureRead* read) {
    layingOut = true;
    Layout(window, fromOptions, read);
    const int32_t dpi = static_cast<int32_t>(WindowDpi(window));
    if (dpi != layoutDpi) {
        UseDpi(dpi);
        Layout(window, fromOptions, nullptr);
    }
    layingOut = false;
    return 1;
}

}  // namespace

TextMeasurer GdiTextMeasurer(GdiMeasuring* measuring, HDC dc) {
    measuring->dc = dc;
    measuring->originalFont = nullptr;
    return TextMeasurer{measuring, GdiCreateLabelFont, GdiCellHeight, GdiLineExtent};
}

void EndGdiMeasuring(GdiMeasuring* measuring) {
    if (measuring->originalFont != nullptr) {
        SelectObject(measuring->dc, measuring->originalFont);
    }
}

int ReadPictureOfWindow(HWND window, char16_t (&path)[TEXT_UNITS], char16_t (&title)[TEXT_UNITS]) {
    char16_t monitor[DEVICE_PATH_UNITS];
    MonitorDevicePath(window, monitor);
    title[0] = 0;
    if (!ReadWallpaperPath(monitor, path)) {
        return 0;
    }
    ReadSpotlightTitle(path, title);
    return 1;
}

// Before the first placement the window stands nowhere yet: the primary monitor's picture.
int LayoutLabels(HWND window, int initial, int reread) {
    PictureRead read;
    if (initial) {
        CopyText(previousPath, u"");
        char16_t monitor[DEVICE_PATH_UNITS];
        MonitorDevicePath(nullptr, monitor);
        if (!ReadWallpaperLines(monitor)) {
            return 0;
        }
    } else if (reread) {
        read.ok = ReadPictureOfWindow(window, read.path, read.title);
    }
    return LayoutAtWindowDpi(window, initial, !initial && reread ? &read : nullptr);
}

int LayoutLabelsWithPath(HWND window, const PictureRead& read) {
    return LayoutAtWindowDpi(window, false, &read);
}

// Not hidden, no frame taken away and given back: the window may be in the middle of a
// drag, and the move loop must go on with a window it can see.
void LayoutForNewDpi(HWND window, const RECT& suggested) {
    layingOut = true;
    DestroyLabels();
    const LabelLayout layout = BuildLabels(window);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, layout.outerWidth, layout.outerHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    layingOut = false;
}

int LayoutInProgress() {
    return layingOut;
}
