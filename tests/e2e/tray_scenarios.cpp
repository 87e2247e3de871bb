// The notification-area icon as a user meets it in Wine's virtual desktop, whose
// "Shell_TrayWnd" window hosts the icons: added with i or I and gone after the end, the
// window's taskbar button, the icon's mouse gestures, the menu's items by the window's
// state, and the warning when the notification area refuses the icon.
#include "tests/e2e/driver.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace {

const UINT TRAY_CALLBACK = 0x8001;  // the callback message Nuvelo registers
const wchar_t TRAY_WALLPAPER[] = L"C:\\users\\Public\\Pictures\\Harbour at dawn.jpg";

// Asks the notification area to change nothing about the icon (hWnd, 1): it answers
// true only while that icon exists.
bool IconExists(HWND main) {
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof(record);
    record.hWnd = main;
    record.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

bool IconShown(void* main) {
    return IconExists(static_cast<HWND>(main));
}

bool IconGone(void* main) {
    return !IconExists(static_cast<HWND>(main));
}

// The notification area's part of the taskbar: its right end, clear of the task buttons.
RECT IconArea(HWND tray) {
    RECT area = WindowRectOf(tray);
    area.left = area.right - 160;
    return area;
}

struct AreaWatch {
    RECT area;
    std::vector<COLORREF> reference;
};

bool AreaDiffers(void* context) {
    AreaWatch* watch = static_cast<AreaWatch*>(context);
    return ScreenPixels(watch->area) != watch->reference;
}

bool AreaAsBefore(void* context) {
    return !AreaDiffers(context);
}

struct MainQuery {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleMain(HWND window, LPARAM parameter) {
    MainQuery* query = reinterpret_cast<MainQuery*>(parameter);
    if (WindowProcessId(window) == query->processId && ClassNameOf(window) == L"Nuvelo" &&
        IsWindowVisible(window)) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

bool MainShown(void* context) {
    MainQuery* query = static_cast<MainQuery*>(context);
    query->found = nullptr;
    EnumWindows(FindVisibleMain, reinterpret_cast<LPARAM>(query));
    return query->found != nullptr;
}

// Wine's taskbar makes one owner-drawn button per window, its control id the window.
struct ButtonQuery {
    HWND window;
    HWND button;
};

BOOL CALLBACK FindTaskButton(HWND child, LPARAM parameter) {
    ButtonQuery* query = reinterpret_cast<ButtonQuery*>(parameter);
    if (ClassNameOf(child) == L"Button" && IsWindowVisible(child) &&
        GetWindowLongPtrW(child, GWLP_ID) == reinterpret_cast<LONG_PTR>(query->window)) {
        query->button = child;
        return FALSE;
    }
    return TRUE;
}

HWND TaskButtonOf(HWND tray, HWND window) {
    ButtonQuery query = {window, nullptr};
    EnumChildWindows(tray, FindTaskButton, reinterpret_cast<LPARAM>(&query));
    return query.button;
}

bool TaskButtonShown(void* context) {
    ButtonQuery* query = static_cast<ButtonQuery*>(context);
    query->button = TaskButtonOf(FindWindowW(L"Shell_TrayWnd", nullptr), query->window);
    return query->button != nullptr;
}

// The desktop's shell (and with it the taskbar) starts with the first window of the
// desktop; the driver, a console program, may not have made one yet.
// The desktop's shell starts with the desktop window, which a console program such as
// the driver may not have asked for yet. Wine keeps its taskbar hidden while no icon
// is in the notification area.
HWND WaitForTray() {
    GetDesktopWindow();
    return WaitForWindowByClass(L"Shell_TrayWnd", StartTimeout());
}

bool TrayHidden(void* tray) {
    return !IsWindowVisible(static_cast<HWND>(tray));
}

// What the shell would post for a mouse event over the icon.
void IconEvent(HWND main, UINT mouseMessage) {
    PostMessageW(main, TRAY_CALLBACK, 1, mouseMessage);
}

// Puts the cursor where the menu is to open, away from every window of the scenario.
void ParkCursor(POINT at) {
    MoveMouseTo(at.x, at.y);
    CHECK(WaitUntil(CursorRestsAt, &at, ReactionTimeout()));
}

// ---------------------------------------------------------------------------
// The tray menu: a "#32768" window of Nuvelo's. Its menu handle cannot be read from
// another process here, so the items' states are read from what the menu shows: an
// enabled item's text is black (smoothed at its edges), a greyed one's no darker than
// mid grey. The frame and the separators are lighter than both.

struct MenuQuery {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindShownMenu(HWND window, LPARAM parameter) {
    MenuQuery* query = reinterpret_cast<MenuQuery*>(parameter);
    if (ClassNameOf(window) == L"#32768" && IsWindowVisible(window) &&
        WindowProcessId(window) == query->processId) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

bool MenuShown(void* context) {
    MenuQuery* query = static_cast<MenuQuery*>(context);
    query->found = nullptr;
    EnumWindows(FindShownMenu, reinterpret_cast<LPARAM>(query));
    return query->found != nullptr;
}

bool MenuClosed(void* context) {
    return !MenuShown(context);
}

struct MenuItemRow {
    int top;
    int bottom;  // exclusive, screen coordinates
    bool enabled;
    int left;  // the leftmost ink: a check mark stands left of every item's text
};

// The menu's item rows from the top: runs of pixel rows that hold text. Separators are
// single lines and are left out.
std::vector<MenuItemRow> ReadMenuRows(HWND menu) {
    RECT rect = WindowRectOf(menu);
    std::vector<COLORREF> pixels = ScreenPixels(rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    std::vector<MenuItemRow> rows;
    bool inRow = false;
    MenuItemRow row = {};
    // Skip the frame: two pixels on each side.
    for (int y = 2; y <= height - 2; ++y) {
        bool hasText = false;
        bool hasGrey = false;
        int left = width;
        for (int x = 2; y < height - 2 && x < width - 2; ++x) {
            COLORREF pixel = pixels[static_cast<size_t>(y) * width + x];
            int brightest = GetRValue(pixel);
            brightest = GetGValue(pixel) > brightest ? GetGValue(pixel) : brightest;
            brightest = GetBValue(pixel) > brightest ? GetBValue(pixel) : brightest;
            hasText = hasText || brightest < 0x40;
            hasGrey = hasGrey || brightest < 0x90;
            left = brightest < 0x90 && x < left ? x : left;
        }
        bool lineHasInk = y < height - 2 && (hasText || hasGrey);
        if (lineHasInk && !inRow) {
            inRow = true;
            row = {rect.top + y, 0, false, width};
        }
        if (lineHasInk) {
            row.enabled = row.enabled || hasText;
            row.left = left < row.left ? left : row.left;
        }
        if (!lineHasInk && inRow) {
            inRow = false;
            row.bottom = rect.top + y;
            if (row.bottom - row.top >= 4) {
                rows.push_back(row);
            }
        }
    }
    return rows;
}

// The first five rows are Restore, Move, Size, Minimise and Maximise, in this order.
const char* const FIVE_ITEMS[5] = {"Restore", "Move", "Size", "Minimise", "Maximise"};

// skip: an item whose state is noted rather than checked (-1: none).
void CheckMenuStates(const std::vector<MenuItemRow>& rows, const bool (&expected)[5], int skip = -1) {
    if (!CHECK(rows.size() >= 5)) {
        return;
    }
    for (int i = 0; i < 5; ++i) {
        if (i == skip) {
            Note("item %s shown %s", FIVE_ITEMS[i], rows[i].enabled ? "enabled" : "greyed");
        } else if (!CHECK_EQ(expected[i], rows[i].enabled)) {
            Note("item %s should be %s", FIVE_ITEMS[i], expected[i] ? "enabled" : "greyed");
        }
    }
}

struct TrayStart {
    StartedProcess process;
    HWND main;
};

// Starts Nuvelo with arguments and waits for its shown window and its icon.
TrayStart StartWithIcon(const std::wstring& arguments) {
    TrayStart start = {StartNuvelo(arguments), nullptr};
    if (start.process.process == nullptr) {
        return start;
    }
    MainQuery query = {start.process.id, nullptr};
    if (CHECK(WaitUntil(MainShown, &query, StartTimeout()))) {
        start.main = query.found;
        CHECK(WaitUntil(IconShown, start.main, ReactionTimeout()));
    }
    return start;
}

void CloseAndExpectZero(const TrayStart& start) {
    PostMessageW(start.main, WM_CLOSE, 0, 0);
    DWORD exitCode = STILL_ACTIVE;
    CHECK(WaitForExit(start.process, ReactionTimeout(), &exitCode));
    CHECK_EQ(0, exitCode);
}

bool RestoredAndShown(void* window) {
    HWND main = static_cast<HWND>(window);
    return !IsIconic(main) && IsWindowVisible(main);
}

struct StyleWatch {
    HWND window;
    LONG_PTR captionBefore;
};

bool CaptionToggled(void* context) {
    StyleWatch* watch = static_cast<StyleWatch*>(context);
    return (WindowStyle(watch->window) & WS_CAPTION) != watch->captionBefore;
}

// ---------------------------------------------------------------------------
// A stand-in notification area: a window of the tray's class above Wine's own, so that
// Nuvelo's requests reach it first. It records what it got and accepts or refuses all.

struct StandInRecord {
    bool accept;
    std::vector<ULONG_PTR> requests;  // the NIM_ code of each request
    std::vector<std::vector<BYTE>> data;
};
StandInRecord standIn;

LRESULT CALLBACK StandInProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        standIn.requests.push_back(copy->dwData);
        const BYTE* bytes = static_cast<const BYTE*>(copy->lpData);
        standIn.data.emplace_back(bytes, bytes + copy->cbData);
        return standIn.accept ? TRUE : FALSE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Wine's shell passes the record in its own fixed layout: window (32 bits), identifier,
// flags, callback message, tip. Every request carries the whole record.
void CheckSentRecord(const std::vector<BYTE>& data, HWND main) {
    struct {
        LONG window;
        UINT id;
        UINT flags;
        UINT callback;
        WCHAR tip[128];
    } sent = {};
    if (!CHECK(data.size() >= sizeof(sent))) {
        return;
    }
    memcpy(&sent, data.data(), sizeof(sent));
    CHECK_EQ(static_cast<LONG>(reinterpret_cast<LONG_PTR>(main)), sent.window);
    CHECK_EQ(1, sent.id);
    CHECK_EQ(NIF_MESSAGE | NIF_ICON | NIF_TIP, sent.flags);
    CHECK_EQ(TRAY_CALLBACK, sent.callback);
    sent.tip[127] = 0;
    CHECK_TEXT(L"Nuvelo", sent.tip);
}

bool RequestsSeen(void* count) {
    return standIn.requests.size() >= *static_cast<size_t*>(count);
}

bool Ended(void* process) {
    return HasExited(*static_cast<StartedProcess*>(process));
}

HWND CreateStandInTray() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = StandInProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&windowClass);
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", nullptr, WS_POPUP, 0, 0, 1, 1,
                           nullptr, nullptr, windowClass.hInstance, nullptr);
}

// Puts the stand-in in front of Wine's own notification area, with an empty record that
// accepts or refuses the add. Null when the stand-in is not the one a program finds.
HWND TakeOverTray(bool accept) {
    if (!CHECK(WaitForTray() != nullptr)) {
        return nullptr;
    }
    HWND fake = CreateStandInTray();
    if (!CHECK(fake != nullptr) || !CHECK(FindWindowW(L"Shell_TrayWnd", nullptr) == fake)) {
        return nullptr;
    }
    standIn = StandInRecord();
    standIn.accept = accept;
    return fake;
}

// Differences between the screen and the standard warning icon drawn over the same
// background at the icon control's place.
int WarningIconDifference(const RECT& iconRect) {
    return IconDifference(iconRect, ScreenPixels(iconRect), ScreenPixel(iconRect.left - 1, iconRect.top),
                          IDI_WARNING);
}

struct IconWatch {
    RECT rect;
    int differences;
};

bool WarningIconShown(void* context) {
    IconWatch* watch = static_cast<IconWatch*>(context);
    watch->differences = WarningIconDifference(watch->rect);
    return watch->differences == 0;
}

struct BoxQuery {
    DWORD processId;
    HWND box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    BoxQuery* query = reinterpret_cast<BoxQuery*>(parameter);
    if (WindowProcessId(window) == query->processId && ClassNameOf(window) == L"#32770" &&
        IsWindowVisible(window)) {
        query->box = window;
        return FALSE;
    }
    return TRUE;
}

bool BoxShown(void* context) {
    BoxQuery* query = static_cast<BoxQuery*>(context);
    query->box = nullptr;
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(query));
    return query->box != nullptr;
}

}  // namespace

// With i the icon is there while the program runs and the window has no taskbar button
// (its owner is a hidden window); with I it has one. After a normal end the icon is gone
// and the notification area looks as it did before.
I386_SCENARIO(tray_icon_lifetime) {
    SetWallpaperSource(TRAY_WALLPAPER);
    HWND tray = WaitForTray();
    REQUIRE(tray != nullptr);
    Note("taskbar shown before the start: %d", IsWindowVisible(tray));
    const struct {
        const wchar_t* arguments;
        bool taskbarButton;
    } cases[] = {{L"i", false}, {L"I", true}};
    for (const auto& c : cases) {
        NoteText("arguments:", c.arguments);
        // Alone, Nuvelo's icon brings the taskbar up; with other icons there, it
        // changes the notification area's pixels.
        bool shownBefore = IsWindowVisible(tray) != FALSE;
        AreaWatch watch = {IconArea(tray), {}};
        watch.reference = ScreenPixels(watch.area);
        TrayStart start = StartWithIcon(c.arguments);
        REQUIRE(start.main != nullptr);
        if (shownBefore) {
            CHECK(WaitUntil(AreaDiffers, &watch, ReactionTimeout()));
        } else {
            CHECK(IsWindowVisible(tray));
        }

        HWND owner = GetWindow(start.main, GW_OWNER);
        CHECK_EQ(0, WindowExStyle(start.main) & WS_EX_APPWINDOW);
        if (c.taskbarButton) {
            CHECK(owner == nullptr);
            ButtonQuery query = {start.main, nullptr};
            CHECK(WaitUntil(TaskButtonShown, &query, ReactionTimeout()));
        } else if (CHECK(owner != nullptr)) {
            CHECK_EQ(start.process.id, WindowProcessId(owner));
            CHECK(!IsWindowVisible(owner));
            // Give the taskbar time to add a button it should not add.
            PassTime(500);
            CHECK(TaskButtonOf(tray, start.main) == nullptr);
            CHECK(TaskButtonOf(tray, owner) == nullptr);
        }

        CloseAndExpectZero(start);
        CHECK(WaitUntil(IconGone, start.main, ReactionTimeout()));
        if (shownBefore) {
            CHECK(WaitUntil(AreaAsBefore, &watch, ReactionTimeout()));
        } else {
            CHECK(WaitUntil(TrayHidden, tray, ReactionTimeout()));
        }
    }
}

// The icon's left button opens Explorer after the double-click time even with M (which
// stops a click on the text from opening it); with Ctrl held it does nothing, and a
// double-click toggles the title bar instead of opening. While the window is minimised a
// double-click changes nothing but the left button still opens, the file shown at the
// press even when a refresh comes before the open.
I386_SCENARIO(tray_left_button_gestures) {
    SetWallpaperSourceUnseen(TRAY_WALLPAPER);
    const std::wstring expected = std::wstring(L"/select,\"") + TRAY_WALLPAPER + L"\"";
    DebugSession session;
    REQUIRE(StartDebugged(session, L"i M"));
    MainQuery query = {session.main.id, nullptr};
    REQUIRE(RunDebugLoop(session, MainShown, &query, StartTimeout()));
    HWND main = query.found;
    REQUIRE(RunDebugLoop(session, IconShown, main, ReactionTimeout()));
    const DWORD doubleClick = GetDoubleClickTime();
    const DWORD quietTime = doubleClick + 700;

    // The left button alone: Explorer, but only after the double-click time.
    DWORD pressed = GetTickCount();
    IconEvent(main, WM_LBUTTONDOWN);
    IconEvent(main, WM_LBUTTONUP);
    CHECK(WaitForChildProcess(session, quietTime + ReactionTimeout()));
    DWORD waited = GetTickCount() - pressed;
    Note("Explorer started %lu ms after the press (double-click time %lu ms)", waited, doubleClick);
    CHECK(waited >= doubleClick);
    REQUIRE_EQ(1, session.childCommandLines.size());
    CHECK(session.childCommandLines[0].find(expected) != std::wstring::npos);

    // Ctrl held: no Explorer, and the window is not dragged either.
    RECT before = WindowRectOf(main);
    KeyDown(VK_CONTROL);
    IconEvent(main, WM_LBUTTONDOWN);
    IconEvent(main, WM_LBUTTONUP);
    PassTimeWith(&session, quietTime);
    KeyUp(VK_CONTROL);
    CHECK_EQ(1, session.childCommandLines.size());
    RECT after = WindowRectOf(main);
    CHECK(EqualRect(&before, &after));

    // A double-click, as the shell reports it: the title bar goes, Explorer stays shut.
    for (int round = 0; round < 2; ++round) {
        StyleWatch watch = {main, WindowStyle(main) & WS_CAPTION};
        IconEvent(main, WM_LBUTTONDOWN);
        IconEvent(main, WM_LBUTTONUP);
        IconEvent(main, WM_LBUTTONDBLCLK);
        IconEvent(main, WM_LBUTTONUP);
        CHECK(RunDebugLoop(session, CaptionToggled, &watch, ReactionTimeout()));
        PassTimeWith(&session, quietTime);
        CHECK_EQ(1, session.childCommandLines.size());
    }
    CHECK_EQ(WS_CAPTION, WindowStyle(main) & WS_CAPTION);

    // Minimised: the double-click leaves the frame alone, the left button still opens.
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    REQUIRE(WaitWith(&session, Iconic, main, ReactionTimeout()));
    LONG_PTR styleMinimised = WindowStyle(main);
    IconEvent(main, WM_LBUTTONDOWN);
    IconEvent(main, WM_LBUTTONUP);
    IconEvent(main, WM_LBUTTONDBLCLK);
    IconEvent(main, WM_LBUTTONUP);
    PassTimeWith(&session, quietTime);
    CHECK_EQ(1, session.childCommandLines.size());
    CHECK_EQ(styleMinimised, WindowStyle(main));
    IconEvent(main, WM_LBUTTONDOWN);
    IconEvent(main, WM_LBUTTONUP);
    CHECK(WaitForChildProcess(session, quietTime + ReactionTimeout()));
    CHECK(IsIconic(main));

    // Mouse events the icon ignores.
    const UINT ignored[] = {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP};
    for (UINT message : ignored) {
        IconEvent(main, message);
    }
    PassTimeWith(&session, quietTime);
    CHECK_EQ(2, session.childCommandLines.size());
    MenuQuery menu = {session.main.id, nullptr};
    CHECK(!MenuShown(&menu));

    // A slideshow refresh between the press and the open shows another file; Explorer
    // still gets the one that was shown when the icon was pressed. Both are posted, so
    // the press is handled first.
    SetWallpaperSourceUnseen(L"C:\\users\\Public\\Pictures\\Harbour at noon.jpg");
    IconEvent(main, WM_LBUTTONDOWN);
    IconEvent(main, WM_LBUTTONUP);
    PostMessageW(main, WM_TIMER, 101, 0);
    CHECK(WaitForChildProcess(session, quietTime + ReactionTimeout()));
    if (CHECK_EQ(3, session.childCommandLines.size())) {
        NoteText("Explorer command line:", session.childCommandLines[2]);
        CHECK(session.childCommandLines[2].find(expected) != std::wstring::npos);
    }
    std::vector<ChildInfo> labels = ChildWindows(main, L"Static");
    CHECK(labels.size() == 1 && labels[0].text == L" Harbour at noon ");
}

// The right button's release opens the window's system menu with its right edge at the
// cursor; Restore, Move, Size, Minimise and Maximise are enabled or greyed by the
// window's state; Escape closes the menu and Restore brings the minimised window back.
I386_SCENARIO(tray_menu_follows_window_state) {
    SetWallpaperSource(TRAY_WALLPAPER);
    TrayStart start = StartWithIcon(L"i");
    REQUIRE(start.main != nullptr);
    const POINT cursor = {1000, 250};
    ParkCursor(cursor);
    MenuQuery menu = {start.process.id, nullptr};

    // The press alone opens nothing.
    IconEvent(start.main, WM_RBUTTONDOWN);
    PassTime(700);
    CHECK(!MenuShown(&menu));

    IconEvent(start.main, WM_RBUTTONUP);
    REQUIRE(WaitUntil(MenuShown, &menu, ReactionTimeout()));
    RECT rect = WindowRectOf(menu.found);
    CHECK_EQ(cursor.x, rect.right);
    CHECK_EQ(cursor.y, rect.top);
    PassTime(300);  // let the menu finish painting
    const bool normal[5] = {false, true, false, true, false};
    CheckMenuStates(ReadMenuRows(menu.found), normal);
    PressKey(VK_ESCAPE);
    CHECK(WaitUntil(MenuClosed, &menu, ReactionTimeout()));
    CHECK(!IsIconic(start.main));

    PostMessageW(start.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    REQUIRE(WaitUntil(Iconic, start.main, ReactionTimeout()));
    ParkCursor(cursor);
    IconEvent(start.main, WM_RBUTTONUP);
    REQUIRE(WaitUntil(MenuShown, &menu, ReactionTimeout()));
    PassTime(300);
    std::vector<MenuItemRow> rows = ReadMenuRows(menu.found);
    // Wine's own initialisation of a system menu that is about to open enables Move
    // for a minimised window whatever the program set (Windows leaves it), so Move is
    // only reported here; the program's greying is checked in the shell tests.
    const bool minimised[5] = {true, false, false, false, false};
    CheckMenuStates(rows, minimised, 1);
    REQUIRE(!rows.empty());
    RECT menuRect = WindowRectOf(menu.found);
    ClickAt((menuRect.left + menuRect.right) / 2, (rows[0].top + rows[0].bottom) / 2);
    CHECK(WaitUntil(MenuClosed, &menu, ReactionTimeout()));
    CHECK(WaitUntil(RestoredAndShown, start.main, ReactionTimeout()));

    CloseAndExpectZero(start);
}

// A notification area that refuses the icon: one attempt and no wait, the warning owned
// by the main window, and after it an end with exit code 0 and no window left. Without a
// wallpaper value the error box comes first and has already asked to quit; the warning
// that follows still waits for the user.
I386_SCENARIO(tray_refused_shows_warning) {
    HWND fake = TakeOverTray(false);
    REQUIRE(fake != nullptr);
    const wchar_t* const warning = L"通知領域にアイコンを登録できませんでした  ";
    for (bool wallpaper : {true, false}) {
        Note("wallpaper value %s", wallpaper ? "present" : "missing");
        if (wallpaper) {
            SetWallpaperSource(TRAY_WALLPAPER);
        } else {
            DeleteWallpaperSource();
        }
        standIn = StandInRecord();
        standIn.accept = false;

        StartedProcess nuvelo = StartNuvelo(L"i");
        REQUIRE(nuvelo.process != nullptr);
        BoxQuery query = {nuvelo.id, nullptr};
        REQUIRE(WaitUntil(BoxShown, &query, StartTimeout()));
        if (!wallpaper) {
            CHECK_TEXT(L"レジストリに画像ファイル名が見つかりません  ", MessageBoxMessage(query.box));
            CHECK_EQ(0, standIn.requests.size());
            CloseMessageBox(query.box);
            struct Warning {
                BoxQuery query;
                const wchar_t* text;
            } next = {{nuvelo.id, nullptr}, warning};
            REQUIRE(WaitUntil(
                [](void* context) {
                    Warning* w = static_cast<Warning*>(context);
                    return BoxShown(&w->query) && MessageBoxMessage(w->query.box) == w->text;
                },
                &next, ReactionTimeout()));
            query = next.query;
        }
        HWND box = query.box;
        CHECK_TEXT(warning, MessageBoxMessage(box));
        CHECK_TEXT(L"Nuvelo", WindowText(box));
        HWND main = FindWindowW(L"Nuvelo", nullptr);
        CHECK(main != nullptr);
        CHECK(GetWindow(box, GW_OWNER) == main);

        // One request, an add, for the icon 1 of the main window with its callback and tip.
        if (CHECK_EQ(1, standIn.requests.size())) {
            CHECK_EQ(NIM_ADD, standIn.requests[0]);
            CheckSentRecord(standIn.data[0], main);
        }

        std::vector<ChildInfo> icons;
        for (const ChildInfo& child : ChildWindows(box, L"Static")) {
            if ((child.style & SS_TYPEMASK) == SS_ICON && (child.style & WS_VISIBLE) != 0) {
                icons.push_back(child);
            }
        }
        if (CHECK_EQ(1, icons.size())) {
            SetForegroundWindow(box);
            IconWatch watch = {icons[0].rect, -1};
            if (!CHECK(WaitUntil(WarningIconShown, &watch, ReactionTimeout()))) {
                Note("pixels differing from the warning icon: %d", watch.differences);
            }
        }

        // Nobody has read it yet: it stays.
        PassTime(3000);
        CHECK(IsWindowVisible(box));
        CHECK(!HasExited(nuvelo));

        CloseMessageBox(box);
        CHECK(WaitUntil(Ended, &nuvelo, ReactionTimeout()));
        DWORD exitCode = STILL_ACTIVE;
        CHECK(WaitForExit(nuvelo, 0, &exitCode));
        CHECK_EQ(0, exitCode);
        CHECK_EQ(1, standIn.requests.size());
        EndProcess(nuvelo);
        EndLeftoverInstances(L"Nuvelo");
    }
    DestroyWindow(fake);
}

// Wine's notification area drops an icon by itself once its window is gone, so the
// removal is watched at a stand-in that accepts: one add at the start, and after the
// window closed one removal of the same icon, then the end with exit code 0.
I386_SCENARIO(tray_removal_reaches_the_shell) {
    SetWallpaperSource(TRAY_WALLPAPER);
    HWND fake = TakeOverTray(true);
    REQUIRE(fake != nullptr);

    StartedProcess nuvelo = StartNuvelo(L"i");
    REQUIRE(nuvelo.process != nullptr);
    MainQuery query = {nuvelo.id, nullptr};
    REQUIRE(WaitUntil(MainShown, &query, StartTimeout()));
    HWND main = query.found;
    size_t wanted = 1;
    CHECK(WaitUntil(RequestsSeen, &wanted, ReactionTimeout()));
    if (CHECK_EQ(1, standIn.requests.size())) {
        CHECK_EQ(NIM_ADD, standIn.requests[0]);
        CheckSentRecord(standIn.data[0], main);
    }

    PostMessageW(main, WM_CLOSE, 0, 0);
    // Waiting with the driver's messages pumped: the removal is sent to the stand-in.
    CHECK(WaitUntil(Ended, &nuvelo, ReactionTimeout()));
    DWORD exitCode = STILL_ACTIVE;
    CHECK(WaitForExit(nuvelo, 0, &exitCode));
    CHECK_EQ(0, exitCode);
    if (CHECK_EQ(2, standIn.requests.size())) {
        CHECK_EQ(NIM_DELETE, standIn.requests[1]);
        CheckSentRecord(standIn.data[1], main);
    }
    DestroyWindow(fake);
}

// Without a wallpaper value the error box comes first and no timer runs behind it (q1
// would end the program under the box); once it is closed, the tray set-up and removal
// still run: one add and one removal at a stand-in that accepts.
I386_SCENARIO(tray_set_up_and_removal_after_missing_wallpaper) {
    DeleteWallpaperSource();
    HWND fake = TakeOverTray(true);
    REQUIRE(fake != nullptr);

    StartedProcess nuvelo = StartNuvelo(L"q1 i");
    REQUIRE(nuvelo.process != nullptr);
    BoxQuery query = {nuvelo.id, nullptr};
    REQUIRE(WaitUntil(BoxShown, &query, StartTimeout()));
    CHECK_TEXT(L"レジストリに画像ファイル名が見つかりません  ", MessageBoxMessage(query.box));
    PassTime(2000);
    CHECK(IsWindowVisible(query.box));
    CHECK(!HasExited(nuvelo));
    CHECK_EQ(0, standIn.requests.size());

    CloseMessageBox(query.box);
    CHECK(WaitUntil(Ended, &nuvelo, ReactionTimeout()));
    DWORD exitCode = STILL_ACTIVE;
    CHECK(WaitForExit(nuvelo, 0, &exitCode));
    CHECK_EQ(0, exitCode);
    if (CHECK_EQ(2, standIn.requests.size())) {
        CHECK_EQ(NIM_ADD, standIn.requests[0]);
        CHECK_EQ(NIM_DELETE, standIn.requests[1]);
    }
    DestroyWindow(fake);
}

namespace {

void SetServerValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    CHECK_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, WALLPAPER_SERVER_KEY, 0, nullptr, 0,
                                            KEY_SET_VALUE | TargetView(), nullptr, &key, nullptr));
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

// The AdvanceSlideshow lines of the calls the stand-in recorded.
std::wstring Advances() {
    wchar_t calls[4096] = L"";
    DWORD size = sizeof(calls) - sizeof(wchar_t);
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WALLPAPER_SERVER_KEY, 0, KEY_QUERY_VALUE | TargetView(), &key) ==
        ERROR_SUCCESS) {
        RegGetValueW(key, nullptr, L"Calls", RRF_RT_REG_SZ, nullptr, calls, &size);
        RegCloseKey(key);
    }
    std::wstring lines;
    for (const wchar_t* at = wcsstr(calls, L"AdvanceSlideshow"); at != nullptr;
         at = wcsstr(at + 1, L"Advance")) {
        lines += std::wstring(at, wcschr(at, L'\n') + 1 - at);
    }
    return lines;
}

bool AdvancesAre(void* lines) {
    return Advances() == *static_cast<const std::wstring*>(lines);
}

std::wstring ClipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const wchar_t* units = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        text = units != nullptr ? units : L"";
        GlobalUnlock(data);
        CloseClipboard();
    }
    return text;
}

bool ClipboardHolds(void* text) {
    return ClipboardText() == *static_cast<const std::wstring*>(text);
}

struct PictureMenu {
    DebugSession* session;  // null for a program started without the debugger
    HWND main;
    MenuQuery menu;
};

// The menu's own rows, below the window's five, Close and Wine's "About Wine": next
// picture, open picture, copy path, move to the Recycle Bin, start at sign-in.
constexpr size_t MENU_ROWS = 5;

// Opens the tray menu, or the title bar's (Alt+Space), and returns its own rows; the
// first of them are enabled ('y') or greyed as `enabled` says.
std::vector<MenuItemRow> OpenPictureMenu(PictureMenu& m, const char* enabled, bool titleBar = false) {
    AimPointer(m.session, 1000, 250);
    if (titleBar) {
        PostMessageW(m.main, WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
    } else {
        IconEvent(m.main, WM_RBUTTONUP);
    }
    if (!CHECK(WaitWith(m.session, MenuShown, &m.menu, ReactionTimeout()))) {
        return {};
    }
    PassTimeWith(m.session, 300);  // let the menu finish painting
    std::vector<MenuItemRow> rows = ReadMenuRows(m.menu.found);
    if (!CHECK(rows.size() >= 6 + MENU_ROWS)) {
        return {};
    }
    rows.erase(rows.begin(), rows.end() - MENU_ROWS);
    for (size_t i = 0; enabled[i] != 0; ++i) {
        CHECK_EQ(enabled[i] == 'y', rows[i].enabled);
    }
    return rows;
}

// Clicks the item `choose`, or closes the menu with Escape (-1).
void Pick(PictureMenu& m, const std::vector<MenuItemRow>& rows, int choose) {
    if (choose >= 0 && rows.size() == MENU_ROWS) {
        const RECT rect = WindowRectOf(m.menu.found);
        ClickAt((rect.left + rect.right) / 2, (rows[choose].top + rows[choose].bottom) / 2, 0, m.session);
    } else {
        PressKey(VK_ESCAPE);
    }
    CHECK(WaitWith(m.session, MenuClosed, &m.menu, ReactionTimeout()));
}

// Closes the window and expects exit code 0: COM, started by the menus, ends as well.
void CloseDebugged(DebugSession& session, HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    RunDebugLoop(
        session, [](void*) { return false; }, nullptr, ReactionTimeout());
    CHECK(session.mainExited);
    CHECK_EQ(0, session.mainExitCode);
}

std::wstring TestFile(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + name;
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return path;
}

bool Shows(HWND main, const wchar_t* name) {
    std::wstring shown;
    for (const ChildInfo& label : ChildWindows(main, L"Static")) {
        shown += label.text;
    }
    return shown.find(name) != std::wstring::npos;
}

bool ShowsSecond(void* main) {
    return Shows(static_cast<HWND>(main), L"Second picture");
}

const wchar_t RUN_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t SWITCH_KEY[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// The Run value named after the caption; "-" when there is none.
std::wstring RunValue() {
    wchar_t command[2048] = L"-";
    DWORD size = sizeof(command) - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER, RUN_KEY, L"Nuvelo", RRF_RT_REG_SZ, nullptr, command, &size);
    return command;
}

bool BoxGone(void* query) {
    return !BoxShown(query);
}

bool FileThere(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

// The picture's items of the tray menu (the system menu), with the tests' stand-in
// desktop wallpaper class: "next picture" moves this monitor's slideshow on, "copy
// path" and "open picture" take the exact path, and each item is greyed when it could
// do nothing. The menu waits for nothing: a new picture that arrives while it is open is
// shown once it closes, and the items act on the picture shown at its opening. The
// i386 build runs the first round only, and the move to the Recycle Bin.
I386_SCENARIO(picture_menu_items) {
    // The bin is the desktop's trash folder, which every test run of this machine shares.
    const std::wstring name = L"港の朝 été " + std::to_wstring(GetCurrentProcessId()) + L".nuvelotest";
    const std::wstring picture = TestFile(name.c_str());
    const std::wstring second = TestFile(L"Second picture.nuvelotest");
    SetWallpaperSource(picture);
    wchar_t driver[MAX_PATH];
    GetModuleFileNameW(nullptr, driver, MAX_PATH);
    const std::wstring openCommand = L"\"" + std::wstring(driver) + L"\" open-recorder \"%1\"";
    RegisterTestClasses(openCommand);
    // Another monitor first; this one's as Windows writes it, in another case than the
    // program reads it.
    const std::wstring monitors = L"\\\\?\\DISPLAY#OTHER#1&2#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}" +
                                  std::wstring(1, L'\0') + MonitorDeviceForCache() + std::wstring(2, L'\0');
    SetServerValue(L"Monitors", REG_MULTI_SZ, monitors.data(), static_cast<DWORD>(monitors.size() * 2));
    const DWORD status[2] = {1, 3};  // no slideshow; DSS_ENABLED | DSS_SLIDESHOW
    SetServerValue(L"Status", REG_DWORD, &status[1], sizeof(DWORD));

    DebugSession session;
    PictureMenu m = {&session, nullptr, {}};
    REQUIRE(StartDebugged(session, L"i  e"));
    MainQuery query = {m.session->main.id, nullptr};
    REQUIRE(RunDebugLoop(session, MainShown, &query, StartTimeout()));
    m.main = query.found;
    REQUIRE(RunDebugLoop(session, IconShown, m.main, ReactionTimeout()));
    m.menu = {m.session->main.id, nullptr};

    Pick(m, OpenPictureMenu(m, "yyyy"), 0);
    const std::wstring advance = L"AdvanceSlideshow 0 " + MonitorDeviceForCache() + L"\n";
    std::wstring advances = advance;
    CHECK(WaitWith(m.session, AdvancesAre, &advances, ReactionTimeout()));
    PassTimeWith(m.session, 300);
    CHECK_TEXT(advances, Advances());

    // "Move to Recycle Bin" asks first, naming the file, "No" the default; "No" keeps the
    // file, "Yes" puts it into the bin (kept there, not destroyed) and moves the
    // slideshow on, once.
    wchar_t trash[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"NUVELO_TEST_TRASH", trash, MAX_PATH);
    std::wstring binned = L"Z:" + std::wstring(trash) + L"/" + name;
    std::replace(binned.begin(), binned.end(), L'/', L'\\');
    for (int answer : {IDNO, IDYES}) {
        if (answer == IDNO && IsI386Target()) {
            continue;
        }
        Pick(m, OpenPictureMenu(m, "yyyy"), 3);
        BoxQuery box = {m.session->main.id, nullptr};
        REQUIRE(WaitWith(m.session, BoxShown, &box, ReactionTimeout()));
        CHECK_TEXT(L"「" + name + L"」をごみ箱に移動しますか?  ", MessageBoxMessage(box.box));
        CHECK(GetWindow(box.box, GW_OWNER) == m.main);
        CHECK_EQ(BS_DEFPUSHBUTTON, WindowStyle(GetDlgItem(box.box, IDNO)) & BS_TYPEMASK);
        CloseMessageBox(box.box, answer);
        CHECK(WaitWith(m.session, BoxGone, &box, ReactionTimeout()));
        advances += answer == IDYES ? advance : L"";
        CHECK(WaitWith(m.session, AdvancesAre, &advances, ReactionTimeout()));
        CHECK_EQ(answer == IDNO, FileThere(picture));
        CHECK_EQ(answer == IDYES, FileThere(binned));
    }
    DeleteFileW(binned.c_str());
    DeleteFileW(
        (binned.substr(0, binned.size() - name.size()) + L"..\\info\\" + name + L".trashinfo").c_str());
    if (IsI386Target()) {
        CloseDebugged(session, m.main);
        return;
    }

    // A new picture while the menu is open waits for it to close; "copy path" copies the
    // one shown when it opened (the one just moved to the bin).
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    std::vector<MenuItemRow> rows = OpenPictureMenu(m, "yyyy");
    SetWallpaperSource(second);
    PassTimeWith(m.session, 1000);
    CHECK(Shows(m.main, L"港の朝 été"));
    Pick(m, rows, 2);
    CHECK(WaitWith(m.session, ClipboardHolds, const_cast<std::wstring*>(&picture), ReactionTimeout()));
    CHECK_TEXT(picture, ClipboardText());
    CHECK(WaitWith(m.session, ShowsSecond, m.main, ReactionTimeout()));

    Pick(m, OpenPictureMenu(m, "yyyy"), 1);
    if (m.session->childCommandLines.empty()) {
        WaitForChildProcess(session, ReactionTimeout());
    }
    // Wine quotes the whole command line once more; the path is one argument either way.
    if (CHECK_EQ(1, m.session->childCommandLines.size())) {
        CHECK(m.session->childCommandLines[0].find(std::wstring(driver) + L"\" open-recorder \"" + second +
                                                   L"\"") != std::wstring::npos);
    }
    // Opening the menu does not look at the disk: a file that is gone leaves "open
    // picture" and "move to the bin" enabled; choosing them starts nothing and asks
    // nothing. A type that is not a picture (a program's, say) is not opened.
    DeleteFileW(second.c_str());
    Pick(m, OpenPictureMenu(m, "yyyy"), 1);
    Pick(m, OpenPictureMenu(m, "yyyy"), 3);
    PassTimeWith(m.session, 1000);
    BoxQuery noBox = {m.session->main.id, nullptr};
    CHECK(!BoxShown(&noBox));
    TestFile(L"Second picture.nuvelotest");
    RegisterTestClasses(openCommand, L"application");
    Pick(m, OpenPictureMenu(m, "yyyy"), 1);

    // A status without a slideshow greys "next picture"; the title bar's menu is made
    // ready at its opening too, and its choice handled.
    SetServerValue(L"Status", REG_DWORD, &status[0], sizeof(DWORD));
    Pick(m, OpenPictureMenu(m, "nyyy"), -1);
    SetServerValue(L"Status", REG_DWORD, &status[1], sizeof(DWORD));
    Pick(m, OpenPictureMenu(m, "yyyy", true), 0);
    advances += advance;
    CHECK(WaitWith(m.session, AdvancesAre, &advances, ReactionTimeout()));

    // Without the class "next picture" is greyed and the program runs on.
    RemoveTestClasses();
    DeleteFileW(second.c_str());
    Pick(m, OpenPictureMenu(m, "nyyy"), -1);
    PassTimeWith(m.session, 1000);
    CHECK(!m.session->mainExited && IsWindowVisible(m.main));
    CHECK_EQ(1, m.session->childCommandLines.size());

    // "Start at sign-in" writes the quoted path and the options as given, is checked at
    // the next opening and removes the value when chosen again. A value of another program
    // shows unchecked and is replaced; this program's path in other letters is its own;
    // Task Manager's "off" shows unchecked, and the choice clears it.
    const std::wstring ours = L"\"" + TargetPath() + L"\" i  e";
    const std::wstring none = L"-", other = L"\"C:\\Other\\Nuvelo.exe\" d1", oursInOtherLetters = Lower(ours);
    const BYTE off[12] = {3, 0, 0, 0, 0x17, 0x79, 0xbd, 1, 0x17, 0xd9, 0xd1, 1};
    DeleteRegistryValue(RUN_KEY, L"Nuvelo");
    DeleteRegistryValue(SWITCH_KEY, L"Nuvelo");
    struct SignInRow {
        const std::wstring* before;  // null: as the previous choice left it
        bool switchedOff;
        bool checked;
        const std::wstring* after;
    } signInRows[] = {
        {nullptr, false, false, &ours}, {nullptr, false, true, &none},
        {&other, false, false, &ours},  {&oursInOtherLetters, false, true, &none},
        {&ours, true, false, &ours},
    };
    for (const SignInRow& row : signInRows) {
        if (row.before != nullptr) {
            SetRegistryValue(RUN_KEY, L"Nuvelo", REG_SZ, row.before->c_str(),
                             static_cast<DWORD>((row.before->size() + 1) * sizeof(wchar_t)));
        }
        if (row.switchedOff) {
            SetRegistryValue(SWITCH_KEY, L"Nuvelo", REG_BINARY, off, sizeof(off));
        }
        rows = OpenPictureMenu(m, "");
        REQUIRE(rows.size() == MENU_ROWS);
        CHECK_EQ(row.checked, rows[MENU_ROWS - 1].left + 4 < rows[MENU_ROWS - 2].left);
        Pick(m, rows, MENU_ROWS - 1);
        auto written = [](void* value) { return RunValue() == *static_cast<const std::wstring*>(value); };
        WaitWith(m.session, written, const_cast<std::wstring*>(row.after), ReactionTimeout());
        CHECK_TEXT(*row.after, RunValue());
        CHECK(RegGetValueW(HKEY_CURRENT_USER, SWITCH_KEY, L"Nuvelo", RRF_RT_ANY, nullptr, nullptr, nullptr) ==
              ERROR_FILE_NOT_FOUND);
    }
    CloseDebugged(session, m.main);
}

// On the right one of two monitors, "next picture" moves that monitor's slideshow on;
// greyed while the slideshow lists the other monitor only.
DUAL_SCENARIO(next_picture_of_the_right_monitor) {
    SetWallpaperSource(L"C:\\Pictures\\Beach.jpg");
    RegisterTestClasses(L"notepad.exe");
    const std::wstring left = MonitorDeviceForCache() + L'\0', right = MonitorDeviceForCache(POINT{1500, 0});
    const DWORD running = 3;  // DSS_ENABLED | DSS_SLIDESHOW
    SetServerValue(L"Status", REG_DWORD, &running, sizeof(running));
    TrayStart start = StartWithIcon(L"i l1500 y100");
    PictureMenu m = {nullptr, start.main, {start.process.id, nullptr}};
    for (const std::wstring& monitors : {left + right + L'\0', left}) {
        SetServerValue(L"Monitors", REG_MULTI_SZ, monitors.c_str(),
                       static_cast<DWORD>(monitors.size() * 2 + 2));
        const bool listed = monitors != left;
        Pick(m, OpenPictureMenu(m, listed ? "y" : "n"), listed ? 0 : -1);
    }
    std::wstring advances = L"AdvanceSlideshow 0 " + right + L"\n";
    CHECK(WaitUntil(AdvancesAre, &advances, ReactionTimeout()));
    CloseAndExpectZero(start);
}
