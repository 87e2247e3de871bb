// The notification-area icon and its menu (the main window's system menu).
#pragma once

#include <windows.h>
#include <shellapi.h>

// What the icon's add reaches the platform through; tests put their own in.
struct TrayPlatform {
    BOOL(WINAPI* notifyIcon)(DWORD message, PNOTIFYICONDATAW data);
    DWORD(WINAPI* lastError)();
    void(WINAPI* sleep)(DWORD milliseconds);
};
extern TrayPlatform trayPlatform;

constexpr int TRAY_ADD_ATTEMPTS = 10;
constexpr DWORD TRAY_RETRY_WAIT_MS = 1000;

// Adds (retrying while the shell answers ERROR_TIMEOUT) or removes the icon.
int SetTrayIcon(HWND window, int add);

// Enables or greys the system menu's items for the window's state.
void UpdateTrayMenu(HWND window);

// Start-up's tray set-up; 0 when start-up must end (the warning was shown and the
// windows were cleaned up).
int TraySetUp(HWND mainWindow, HWND ownerWindow);

LRESULT OnTrayNotify(HWND window, LPARAM mouseMessage);
LRESULT OnTrayMenu(HWND window);
