#include "app/shell_win.h"

#include <shellapi.h>

#include "app/caption.h"
#include "app/options.h"
#include "app/settings.h"

HINSTANCE appInstance;
HBRUSH backBrush;
HBRUSH keyBrush;
HFONT labelFont;
HMENU sysMenu;

namespace {

// Another instance runs when its main window or its open option list exists.
int BringOtherInstanceForward(const char16_t* optionListTitle) {
    HWND other = FindWindowW(Wide(caption), nullptr);
    if (other == nullptr) {
        other = FindWindowW(nullptr, Wide(optionListTitle));
    }
    if (other == nullptr) {
        return 0;
    }
    SetForegroundWindow(other);
    return 1;
}

}  // namespace

int RunApplication(HINSTANCE instance, int showCommand) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return 0;
    }
    const char16_t* programPath = count > 0 ? reinterpret_cast<const char16_t*>(arguments[0]) : u"";
    MakeCaption(programPath, caption);
    char16_t windowTitle[TEXT_UNITS];
    char16_t optionListTitle[TEXT_UNITS];
    FormatWindowTitle(caption, windowTitle);
    FormatOptionListTitle(caption, optionListTitle);

    if (BringOtherInstanceForward(optionListTitle)) {
        return 0;
    }

    SetDefaultSettings(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    for (int i = 1; i < count; ++i) {
        if (!ApplyOption(reinterpret_cast<const char16_t*>(arguments[i]))) {
            MessageBoxW(nullptr, Wide(optionListText), Wide(optionListTitle), MB_ICONINFORMATION);
            return 0;
        }
    }
    LocalFree(arguments);

    (void)instance;
    (void)showCommand;
    (void)windowTitle;
    return 0;
}
