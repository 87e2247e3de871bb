#include "window/placement_win.h"

#include "app/settings.h"
#include "window/placement.h"

namespace {

SIZE OuterSizeOfEmptyClient(DWORD style) {
    RECT rect{0, 0, 0, 0};
    AdjustWindowRect(&rect, style, FALSE);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

// The extras are measured against the bare style, so whatever the bare window adds
// around its client area is counted in none of them.
void ComputeDerivedFrameValues() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    workWidth = work.right - work.left;
    workHeight = work.bottom - work.top;

    const SIZE withCaption = OuterSizeOfEmptyClient(STYLE_CAPTION);
    const SIZE bare = OuterSizeOfEmptyClient(STYLE_BARE);
    const SIZE thin = OuterSizeOfEmptyClient(STYLE_THIN);
    captionExtraCx = withCaption.cx - bare.cx;
    captionExtraCy = withCaption.cy - bare.cy;
    thinExtraCx = thin.cx - bare.cx;
    thinExtraCy = thin.cy - bare.cy;
}

// The style change takes effect only through the second SetWindowPos; all three styles
// carry WS_VISIBLE, so that call also hides the window again.
void ApplyPlacement(HWND window, int32_t x, int32_t y, int32_t width, int32_t height) {
    const HWND after = reinterpret_cast<HWND>(settings.zOrderAfter);
    SetWindowPos(window, after, x, y, width, height, MOVE_SIZE_HIDE);
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(CurrentFrameStyle()));
    SetWindowPos(window, after, 0, 0, 0, 0, FRAME_CHANGED_HIDE);
}

int PlaceWindow(HWND window, int32_t width, int32_t height) {
    const WindowPoint p = InitialPosition(width, height);
    ApplyPlacement(window, p.x, p.y, width, height);
    return 1;
}
