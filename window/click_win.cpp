#include "window/click_win.h"

#include <shellapi.h>

#include "base/ids.h"
#include "wallpaper/lines.h"
#include "window/gestures.h"
#include "window/shell_win.h"

namespace {

// The file the pending Explorer open is for, taken at the click: a slideshow refresh
// before the open fires must not change what the user clicked on.
char16_t explorerTarget[TEXT_UNITS];

// A double quote in the path would end the quoted argument early and hand Explorer the
// rest as arguments of its own.
int ContainsQuote(const char16_t* text) {
    for (; *text != 0; ++text) {
        if (*text == u'"') {
            return 1;
        }
    }
    return 0;
}

}  // namespace

void OpenScheduledExplorer(HWND window) {
    KillTimer(window, TIMER_OPEN_EXPLORER);
    if (ContainsQuote(explorerTarget)) {
        return;
    }
    char16_t parameters[EXPLORER_PARAMETER_UNITS];
    FormatExplorerParameters(explorerTarget, parameters);
    ShellExecuteW(nullptr, nullptr, L"explorer.exe", Wide(parameters), nullptr, SW_SHOW);
}

void ScheduleExplorerOpen(HWND window) {
    const char16_t* target = currentPath;
    if (KeyHeld(VK_SHIFT)) {
        if (previousPath[0] == 0) {
            return;
        }
        target = previousPath;
    }
    CopyText(explorerTarget, target);
    // Waiting out the double-click time lets a double-click cancel the open.
    SetTimer(window, TIMER_OPEN_EXPLORER, GetDoubleClickTime() + 10, nullptr);
}
