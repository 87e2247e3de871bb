#include "window/shell_win.h"

HINSTANCE appInstance;
HBRUSH backBrush;
HBRUSH keyBrush;
HFONT labelFont;
HMENU sysMenu;

HICON LoadProgramIcon(int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(appInstance, L"Icon", IMAGE_ICON, GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}
