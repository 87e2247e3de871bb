// Fixed identifiers of the main window: control, timers and private messages.
#pragma once

#include <cstdint>

constexpr int32_t LABEL_ID = 100;
constexpr uintptr_t TIMER_SLIDESHOW = 101;
constexpr uintptr_t TIMER_OPEN_EXPLORER = 102;
constexpr uintptr_t TIMER_AUTO_EXIT = 103;
constexpr uintptr_t TIMER_AUTO_MINIMIZE = 104;
constexpr uint32_t WM_TRAYNOTIFY = 0x8001;      // WM_APP + 1
constexpr uint32_t WM_TRAYMENU = 0x8002;        // WM_APP + 2
constexpr uint32_t WM_DESKTOPCHANGED = 0x8003;  // WM_APP + 3: a key naming the picture changed
constexpr uint32_t WM_MONITORCHECK = 0x8004;    // WM_APP + 4: the window may stand on another monitor
constexpr uint32_t TRAY_ICON_ID = 1;
// The picture's items of the system menu: below 0xF000 and with the low four bits clear,
// which the system keeps for itself in WM_SYSCOMMAND.
constexpr uint32_t MENU_NEXT_PICTURE = 0x0010;
constexpr uint32_t MENU_OPEN_PICTURE = 0x0020;
constexpr uint32_t MENU_COPY_PATH = 0x0030;
constexpr uint32_t MENU_RECYCLE_PICTURE = 0x0040;
// Below the picture's items.
constexpr uint32_t MENU_START_AT_SIGN_IN = 0x0050;
