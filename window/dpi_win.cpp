#include "window/dpi_win.h"

#include "base/system_dll_win.h"
#include "window/monitor_win.h"

namespace {

using AdjustWindowRectExForDpiProc = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
// GetDpiForMonitor's MDT_EFFECTIVE_DPI: the DPI the monitor's scale asks for.
constexpr int MDT_EFFECTIVE = 0;
using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetDpiForSystemProc = UINT(WINAPI*)();

// Each looked up once, at the first use; null where the system lacks it.
bool adjustLooked;
AdjustWindowRectExForDpiProc adjustWindowRectExForDpi;
bool monitorLooked;
GetDpiForMonitorProc getDpiForMonitor;

// The screen context's DPI: the system's, which every monitor has before Windows 8.1.
UINT ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

// GetDpiForMonitor (Windows 8.1 and later, in shcore.dll, loaded here and nowhere else)
// answers for one monitor; before 8.1 every monitor has the one DPI of the screen.
UINT MonitorDpi(HMONITOR monitor) {
    if (!monitorLooked) {
        FindProc(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor", getDpiForMonitor);
        monitorLooked = true;
    }
    UINT x = 0;
    UINT y = 0;
    if (getDpiForMonitor != nullptr && SUCCEEDED(getDpiForMonitor(monitor, MDT_EFFECTIVE, &x, &y)) &&
        y != 0) {
        return y;
    }
    return ScreenDpi();
}

// GetDpiForSystem: Windows 10 1607 and later.
UINT SystemDpi() {
    GetDpiForSystemProc getDpiForSystem;
    return FindProc(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem", getDpiForSystem) ? getDpiForSystem()
                                                                                         : ScreenDpi();
}

UINT WindowDpi(HWND window) {
    return MonitorDpi(WindowMonitor(window));
}

void AdjustWindowRectForDpi(RECT* rect, DWORD style, UINT dpi) {
    if (!adjustLooked) {
        FindProc(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi", adjustWindowRectExForDpi);
        adjustLooked = true;
    }
    const RECT asked = *rect;
    if (adjustWindowRectExForDpi == nullptr || !adjustWindowRectExForDpi(rect, style, FALSE, 0, dpi)) {
        *rect = asked;
        AdjustWindowRect(rect, style, FALSE);
    }
}
