#include "window/placement_win.h"

#include "base/settings.h"
#include "window/dpi_win.h"
#include "window/monitor_win.h"
#include "window/placement.h"
#include "window/scale.h"

namespace {

SIZE OuterSizeOfEmptyClient(DWORD style) {
    RECT rect{0, 0, 0, 0};
    AdjustWindowRectForDpi(&rect, style, static_cast<UINT>(layoutDpi));
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// The placement's normal rectangle of a top-level window without WS_EX_TOOLWINDOW counts
// from the corner of its monitor's work area, not from the screen's: with the taskbar at
// the top or left the two differ by the taskbar.
POINT WorkspaceOrigin(HWND window) {
    if ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) {
        return POINT{0, 0};
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(WindowMonitor(window), &monitor)) {
        return POINT{0, 0};
    }
    return POINT{monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top};
}

// A minimised window is restored to its normal rectangle, whatever its own rectangle
// (the minimised one) is moved or sized to: the new place and size go there. Shown as
// SW_HIDE, so the window stays minimised and hidden like every placement leaves it.
void SetRestoredRect(HWND window, int32_t x, int32_t y, int32_t width, int32_t height) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    const POINT origin = WorkspaceOrigin(window);
    placement.flags = 0;
    placement.showCmd = SW_HIDE;
    const int64_t left = int64_t{x} - origin.x;
    const int64_t top = int64_t{y} - origin.y;
    placement.rcNormalPosition =
        RECT{ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + width), ClampToInt32(top + height)};
    SetWindowPlacement(window, &placement);
}

}  // namespace

int32_t systemFontDpi = BASE_DPI;

void ReadWorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    workWidth = work.right - work.left;
    workHeight = work.bottom - work.top;
}

// Positions count from the primary monitor, in its pixels: another scale there makes
// the same numbers another place.
void ReadPositionDpi() {
    positionDpi = static_cast<int32_t>(MonitorDpi(PrimaryMonitor()));
}

void ComputeDerivedFrameValues() {
    ReadWorkArea();
    systemFontDpi = static_cast<int32_t>(SystemDpi());
    ReadPositionDpi();
    UseDpi(positionDpi);
}

// The extras are measured against the bare style, so whatever the bare window adds
// around its client area is counted in none of them.
void UseDpi(int32_t dpi) {
    layoutDpi = dpi > 0 ? dpi : BASE_DPI;
    const SIZE withCaption = OuterSizeOfEmptyClient(STYLE_CAPTION);
    const SIZE bare = OuterSizeOfEmptyClient(STYLE_BARE);
    const SIZE thin = OuterSizeOfEmptyClient(STYLE_THIN);
    captionExtraCx = withCaption.cx - bare.cx;
    captionExtraCy = withCaption.cy - bare.cy;
    thinExtraCx = thin.cx - bare.cx;
    thinExtraCy = thin.cy - bare.cy;
}

// All three styles carry WS_VISIBLE: set as they are, they would mark a hidden window
// visible, half laid out, until the next SetWindowPos hides it again (and a start that
// is watched then is seen before it armed its slideshow timer). So the window keeps
// its own visibility; only SetWindowPos and ShowWindow show or hide it.
void SetFrameStyle(HWND window, uint32_t style) {
    const LONG visible = GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE;
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style & ~uint32_t{WS_VISIBLE}) | visible);
}

// The style change takes effect only through the second SetWindowPos.
void ApplyPlacement(HWND window, int32_t x, int32_t y, int32_t width, int32_t height) {
    const HWND after = reinterpret_cast<HWND>(settings.zOrderAfter);
    const bool minimised = IsIconic(window) != FALSE;
    if (!minimised) {
        SetWindowPos(window, after, x, y, width, height, MOVE_SIZE_HIDE);
    }
    SetFrameStyle(window, CurrentFrameStyle());
    SetWindowPos(window, after, 0, 0, 0, 0, FRAME_CHANGED_HIDE);
    if (minimised) {
        SetRestoredRect(window, x, y, width, height);
    }
}

PriorRect RestoredRect(HWND window) {
    RECT rect{};
    if (WindowOrNormalRect(window, &rect)) {
        const POINT origin = WorkspaceOrigin(window);
        rect.left += origin.x;
        rect.right += origin.x;
        rect.top += origin.y;
        rect.bottom += origin.y;
    }
    return PriorRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

int PlaceWindow(HWND window, int32_t width, int32_t height) {
    const WindowPoint p = InitialPosition(width, height);
    ApplyPlacement(window, p.x, p.y, width, height);
    return 1;
}
