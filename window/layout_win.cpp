#include "window/layout_win.h"

#include "base/ids.h"
#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/registry_win.h"
#include "window/monitor_win.h"
#include "window/placement.h"
#include "window/placement_win.h"
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
    const HFONT font = CreateFontW(height, 0, 0, 0, settings.fontWeight, 0, 0, 0, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, Wide(settings.fontFace));
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

// Without customFont nothing is selected: the context's default font measures, which
// is also the font a label shows when it is given none.
TextExtent GdiLineExtent(void* context, int32_t index) {
    GdiMeasuring* measuring = static_cast<GdiMeasuring*>(context);
    if (settings.customFont) {
        SelectFont(measuring, labelFont);
    }
    const char16_t* text = lines[index].text;
    SIZE size{};
    GetTextExtentPoint32W(measuring->dc, Wide(text), static_cast<int>(TextLength(text, TEXT_UNITS)), &size);
    return TextExtent{size.cx, size.cy};
}

void DestroyLabels() {
    for (int32_t i = 0; i < lineCount && i < MAX_LINES; ++i) {
        DestroyWindow(reinterpret_cast<HWND>(lines[i].window));
        lines[i].window = 0;
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
        if (settings.customFont) {
            SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), 1);
        }
    }
}

// The work of LayoutLabels; a refresh with topLeft puts the window's corner there
// instead of keeping its anchor.
int Layout(HWND window, int initial, int reread, const POINT* topLeft) {
    PriorRect prior{};
    // Before the first placement the window stands nowhere yet: the primary monitor's.
    char16_t monitor[DEVICE_PATH_UNITS];
    MonitorDevicePath(initial ? nullptr : window, monitor);
    if (initial) {
        CopyText(previousPath, u"");
        if (!ReadWallpaperLines(monitor)) {
            return 0;
        }
    } else {
        // Taken before anything touches the window, with the frame it had until now.
        prior = RestoredRect(window);
        DestroyLabels();
        if (reread) {
            ReadWallpaperLines(monitor);  // a failed read leaves no lines, and the layout goes on
        }
    }

    // Measured without a frame; hidden from here on, so no half-built window is shown.
    const HWND after = reinterpret_cast<HWND>(settings.zOrderAfter);
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(STYLE_BARE));
    SetWindowPos(window, after, 0, 0, 0, 0, FRAME_CHANGED_HIDE);

    const HDC dc = GetDC(window);
    GdiMeasuring measuring;
    const LabelLayout layout =
        ComputeLabelLayout(GdiTextMeasurer(&measuring, dc), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EndGdiMeasuring(&measuring);
    ReleaseDC(window, dc);

    CreateLabels(window, layout);
    rowHeight = layout.rowHeight;

    if (initial) {
        return PlaceWindow(window, layout.outerWidth, layout.outerHeight);
    }
    const WindowPoint p = topLeft != nullptr ? WindowPoint{topLeft->x, topLeft->y}
                                             : KeepPosition(prior, layout.outerWidth, layout.outerHeight);
    ApplyPlacement(window, p.x, p.y, layout.outerWidth, layout.outerHeight);
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

int LayoutLabels(HWND window, int initial, int reread) {
    return Layout(window, initial, reread, nullptr);
}

int LayoutLabelsAt(HWND window, int32_t left, int32_t top) {
    const POINT topLeft{left, top};
    return Layout(window, 0, 0, &topLeft);
}
