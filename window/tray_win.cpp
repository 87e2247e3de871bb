#include "window/tray_win.h"

#include "base/ids.h"
#include "base/language.h"
#include "base/settings.h"
#include "window/click_win.h"
#include "window/picture_win.h"
#include "window/shell_win.h"

#if defined(_WIN64)
static_assert(sizeof(NOTIFYICONDATAW) == 976, "x86-64 notification record");
#else
static_assert(sizeof(NOTIFYICONDATAW) == 956, "i386 notification record");
#endif

TrayPlatform trayPlatform = {Shell_NotifyIconW, GetLastError, Sleep};

namespace {

// The icon shown in the notification area, drawn for its size; from the add to the removal.
HICON trayIcon;

void BuildRecord(HWND window, NOTIFYICONDATAW* record) {
    *record = NOTIFYICONDATAW{};
    record->cbSize = sizeof(NOTIFYICONDATAW);
    record->hWnd = window;
    record->uID = TRAY_ICON_ID;
    record->uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record->uCallbackMessage = WM_TRAYNOTIFY;
    record->hIcon = trayIcon;
    // The tip holds 127 characters; a longer caption is cut, not left out.
    CopyText(reinterpret_cast<char16_t*>(record->szTip), ArrayCount(record->szTip), caption);
}

void DestroyTrayIcon() {
    if (trayIcon != nullptr) {
        DestroyIcon(trayIcon);
        trayIcon = nullptr;
    }
}

}  // namespace

// The icon is the image of the small-icon size (LoadIconW would give the large one
// shrunk, blurred at every scale above 100 %).
int SetTrayIcon(HWND window, int add) {
    if (add && trayIcon == nullptr) {
        trayIcon = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
    }
    NOTIFYICONDATAW record;
    BuildRecord(window, &record);
    if (!add) {
        trayPlatform.notifyIcon(NIM_DELETE, &record);
        DestroyTrayIcon();
        return 1;
    }
    for (int attempt = 1; attempt <= TRAY_ADD_ATTEMPTS; ++attempt) {
        if (trayPlatform.notifyIcon(NIM_ADD, &record)) {
            return 1;
        }
        // Only a shell that is busy starting up is worth waiting for.
        if (trayPlatform.lastError() != ERROR_TIMEOUT) {
            break;
        }
        trayPlatform.sleep(TRAY_RETRY_WAIT_MS);
    }
    DestroyTrayIcon();
    return 0;
}

void UpdateTrayMenu(HWND window) {
    const UINT enabled = MF_BYCOMMAND | MF_ENABLED;
    const UINT greyed = MF_BYCOMMAND | MF_GRAYED;
    const bool iconic = IsIconic(window) != FALSE;
    EnableMenuItem(sysMenu, SC_RESTORE, iconic ? enabled : greyed);
    EnableMenuItem(sysMenu, SC_MOVE, iconic ? greyed : enabled);
    EnableMenuItem(sysMenu, SC_SIZE, greyed);
    EnableMenuItem(sysMenu, SC_MINIMIZE, iconic ? greyed : enabled);
    EnableMenuItem(sysMenu, SC_MAXIMIZE, greyed);
    UpdatePictureItems();
}

int TraySetUp(HWND mainWindow, HWND ownerWindow) {
    sysMenu = GetSystemMenu(mainWindow, FALSE);
    if (SetTrayIcon(mainWindow, 1)) {
        return 1;
    }
    // A first layout that found no wallpaper has already asked to quit; the box's own
    // message loop would take that request and close the warning before anyone read it.
    MSG quit;
    const BOOL quitPending = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    MessageBoxW(mainWindow, Wide(Text(TEXT_TRAY_REFUSED)), Wide(caption), MB_ICONWARNING);
    if (quitPending) {
        PostQuitMessage(static_cast<int>(quit.wParam));
    }
    if (backBrush != nullptr) {
        DeleteObject(backBrush);
        backBrush = nullptr;
    }
    DestroyWindow(mainWindow);
    if (ownerWindow != nullptr) {
        DestroyWindow(ownerWindow);
    }
    return 0;
}

LRESULT OnTrayNotify(HWND window, LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
        case WM_LBUTTONDOWN:
            if (!KeyHeld(VK_CONTROL)) {
                ScheduleExplorerOpen(window);
            }
            break;
        case WM_LBUTTONDBLCLK:
            // Takes the label double-click path, keys sampled when it is handled.
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(LABEL_ID, STN_DBLCLK), 0);
            break;
        case WM_RBUTTONUP:
            // The menu opens after the shell's callback has returned.
            PostMessageW(window, WM_TRAYMENU, 0, 0);
            break;
        default:
            break;
    }
    return 0;
}

LRESULT OnTrayMenu(HWND window) {
    UpdateTrayMenu(window);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window);
    POINT cursor;
    GetCursorPos(&cursor);
    TrackPopupMenu(sysMenu, TPM_RIGHTALIGN, cursor.x, cursor.y, 0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
    return 0;
}
