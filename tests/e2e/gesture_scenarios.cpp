// The mouse on the labels, with real input: a click opens Explorer on the wallpaper
// file once the double-click time has passed, double-clicks toggle the title bar or the
// transparent background or show the position box, Shift+click opens the previous
// wallpaper, Ctrl+click drags the window. Explorer is observed as the process that the
// program starts, with its command line.
#include "tests/e2e/main_window.h"

#include <cwctype>

using namespace main_window;

namespace {

const wchar_t POSITION_TITLE[] = L"Nuvelo ウィンドウの位置と大きさ  ";

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The one Explorer start of a click: started as explorer.exe, its parameters exactly
// /select, and the quoted path.
void CheckExplorerStart(const std::wstring& commandLine, const std::wstring& path) {
    NoteText("Explorer command line:", commandLine);
    // The program part, quoted or not, then exactly the parameters.
    size_t programEnd = commandLine.size();
    if (!commandLine.empty() && commandLine[0] == L'"') {
        programEnd = commandLine.find(L'"', 1);
        programEnd = programEnd == std::wstring::npos ? commandLine.size() : programEnd + 1;
    } else {
        programEnd = commandLine.find(L' ');
        programEnd = programEnd == std::wstring::npos ? commandLine.size() : programEnd;
    }
    CHECK(EndsWith(Lower(commandLine.substr(0, programEnd)), L"explorer.exe\"") ||
          EndsWith(Lower(commandLine.substr(0, programEnd)), L"explorer.exe"));
    CHECK_TEXT(L" /select,\"" + path + L"\"", commandLine.substr(programEnd));
}

POINT LabelCentre(HWND main, size_t row = 0) {
    std::vector<ChildInfo> labels = LabelsTopDown(main);
    if (row >= labels.size()) {
        FAIL("no label in that row");
        return POINT{-1, -1};
    }
    return CentreOf(labels[row].rect);
}

// Ends a debugged start and lets its end be seen, so that the next start does not
// find its window.
void EndDebugged(DebugSession& session) {
    EndProcess(session.main);
    RunDebugLoop(session, nullptr, nullptr, ReactionTimeout());
    EndLeftoverInstances(L"Nuvelo");
}

bool HasFrameStyle(HWND main, void* style) {
    return FrameStyleOf(main) == *static_cast<LONG_PTR*>(style);
}

// Where a re-laid-out window goes from its prior rectangle with the default position
// settings: the centre stays, and the top keeps its share of the free height.
POINT KeptPlace(const RECT& prior, int width, int height) {
    int priorWidth = prior.right - prior.left;
    int priorHeight = prior.bottom - prior.top;
    int workHeight = WorkAreaSize().cy;
    return POINT{prior.left + (priorWidth / 2 - width / 2),
                 prior.top - ((height - priorHeight) * prior.top) / (workHeight - priorHeight)};
}

void CheckKeptPlace(const RECT& prior, HWND main) {
    RECT now = WindowRectOf(main);
    POINT expected = KeptPlace(prior, now.right - now.left, now.bottom - now.top);
    Note("window (%ld, %ld)-(%ld, %ld) now (%ld, %ld)-(%ld, %ld)", prior.left, prior.top, prior.right,
         prior.bottom, now.left, now.top, now.right, now.bottom);
    CHECK_EQ(expected.x, now.left);
    CHECK_EQ(expected.y, now.top);
}

struct PixelWait {
    POINT at;
    COLORREF colour;
    COLORREF seen;
};

bool PixelIs(void* context) {
    PixelWait* wait = static_cast<PixelWait*>(context);
    wait->seen = ScreenPixel(wait->at.x, wait->at.y);
    return wait->seen == wait->colour;
}

// Every pixel of the label's left padding column has the colour (the label may still
// be painting).
struct ColumnWait {
    HWND main;
    COLORREF colour;
    int differing;
    COLORREF seen;  // one of the differing pixels
};

bool LabelBackgroundIs(HWND main, void* context) {
    ColumnWait* wait = static_cast<ColumnWait*>(context);
    std::vector<ChildInfo> labels = LabelsTopDown(main);
    if (labels.empty()) {
        return false;
    }
    RECT column = labels[0].rect;
    column.left += 1;
    column.right = column.left + 2;
    wait->differing = 0;
    for (COLORREF pixel : ScreenPixels(column)) {
        if (pixel != wait->colour) {
            ++wait->differing;
            wait->seen = pixel;
        }
    }
    return wait->differing == 0;
}

// Brings the window forward and puts the pointer on at, for clicks that do not move
// it (ClickHere, DoubleClickHere). A window that was just laid out again still sends
// the pointer position of its remapping, which can put the pointer back where it was:
// so the window is given time first.
bool AimAt(DebugSession* session, HWND main, POINT at) {
    if (GetForegroundWindow() != main) {
        SetForegroundWindow(main);
    }
    if (!CHECK(WaitWith(session, IsForeground, main, ReactionTimeout()))) {
        return false;
    }
    PassTimeWith(session, 300);
    AimPointer(session, at.x, at.y);
    return true;
}

// Presses key with the pointer resting on at, the window forward, for the clicks that
// follow (ClickHere, DoubleClickHere). True when the key stays down.
bool HoldKeyOver(DebugSession* session, HWND main, POINT at, WORD key) {
    return AimAt(session, main, at) && HoldKey(session, key);
}

// Clicks where the pointer was aimed (AimAt, HoldKeyOver).
void ClickHere(POINT at) {
    LeftButtonAt(at.x, at.y, true);
    LeftButtonAt(at.x, at.y, false);
}

void DoubleClickHere(POINT at) {
    ClickHere(at);
    ClickHere(at);
}

struct MoveSizeWait {
    DWORD thread;
};

bool InMoveLoop(void* context) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(static_cast<MoveSizeWait*>(context)->thread, &info) &&
           (info.flags & GUI_INMOVESIZE) != 0;
}

bool MovedBy(HWND main, void* context) {
    const RECT* wanted = static_cast<const RECT*>(context);
    RECT now = WindowRectOf(main);
    return now.left == wanted->left && now.top == wanted->top;
}

struct LabelsNow {
    HWND main;
    std::vector<std::wstring> texts;
    HWND replaced;  // a label window that a new layout must have replaced, or null
};

HWND FirstLabel(HWND main) {
    const std::vector<ChildInfo> labels = LabelsTopDown(main);
    return labels.empty() ? nullptr : labels[0].window;
}

bool LabelsAre(void* context) {
    const LabelsNow* wanted = static_cast<LabelsNow*>(context);
    const HWND label = FirstLabel(wanted->main);
    return label != nullptr && label != wanted->replaced && LabelTexts(wanted->main) == wanted->texts;
}

// With a slideshow of two seconds running and the new picture's label coming: waits for
// it, then for two refreshes that read the same picture again. They leave the labels
// as they are (a relayout while Shift is held would make Wine let the key go) and the
// one before as the previous: Shift+click must open previous, and a click the one shown.
void CheckPreviousAfterRefreshes(DebugSession& session,
                                 HWND main,
                                 const wchar_t* label,
                                 const std::wstring& previous,
                                 const std::wstring& shown) {
    LabelsNow now = {main, {label}, nullptr};
    REQUIRE(WaitWith(&session, LabelsAre, &now, 3000 + ReactionTimeout()));
    const HWND shownLabel = FirstLabel(main);
    PassTimeWith(&session, 4500);
    CHECK(shownLabel == FirstLabel(main));
    DeleteSlideshowInterval();
    REQUIRE(WaitForLayout(&session, main, nullptr, nullptr, ReactionTimeout()));
    POINT at = LabelCentre(main);
    REQUIRE(HoldKeyOver(&session, main, at, VK_SHIFT));
    ClickHere(at);
    const bool started = WaitForChildProcess(session, ReactionTimeout());
    KeyUp(VK_SHIFT);
    REQUIRE(started);
    CheckExplorerStart(session.childCommandLines[0], previous);

    REQUIRE(WaitForLayout(&session, main, nullptr, nullptr, ReactionTimeout()));
    at = LabelCentre(main);
    REQUIRE(AimAt(&session, main, at));
    ClickAt(at.x, at.y);
    REQUIRE(WaitForChildProcess(session, ReactionTimeout()));
    CheckExplorerStart(session.childCommandLines[1], shown);
}

}  // namespace

// One click, one Explorer, after the double-click time: the path whole (blanks and the
// longest path the registry read takes included) and quoted.
I386_SCENARIO(click_opens_explorer) {
    // 3 + 247 + 9 = 259 characters, the most the registry read takes.
    const std::wstring longest = L"C:\\" + std::wstring(247, L'p') + L"\\long.jpg";
    const std::wstring paths[] = {BEACH_PATH, L"C:\\users\\Public\\Pictures\\sea side, at dawn.jpg", longest};
    for (const std::wstring& path : paths) {
        NoteText("wallpaper:", path);
        SetWallpaperSource(path);
        DebugSession session;
        REQUIRE(StartDebugged(session, L""));
        HWND main = WaitForMainWindow(session, StartTimeout());
        REQUIRE(main != nullptr);
        POINT at = LabelCentre(main);
        REQUIRE(AimAt(&session, main, at));
        DWORD clicked = GetTickCount();
        ClickAt(at.x, at.y);
        // Nothing while a second click could still make it a double-click.
        PassTimeWith(&session, GetDoubleClickTime() - 100);
        CHECK_EQ(0, session.childCommandLines.size());
        REQUIRE(WaitForChildProcess(session, ReactionTimeout()));
        DWORD elapsed = GetTickCount() - clicked;
        Note("Explorer started %lu ms after the click (double-click time %u ms)", elapsed,
             GetDoubleClickTime());
        CHECK(elapsed >= GetDoubleClickTime());
        CheckExplorerStart(session.childCommandLines[0], path);
        // One click, one start.
        PassTimeWith(&session, GetDoubleClickTime() + 200);
        CHECK_EQ(1, session.childCommandLines.size());
        CHECK(!session.mainExited);
        EndDebugged(session);
    }
}

// A path with a double quote would end the quoted argument early and hand Explorer
// the rest as further arguments: it is not handed over at all.
I386_SCENARIO(click_on_path_with_quote_opens_nothing) {
    SetWallpaperSource(L"C:\\Pictures\\Beach\" /root,C:\\Windows.jpg");
    DebugSession session;
    REQUIRE(StartDebugged(session, L""));
    HWND main = WaitForMainWindow(session, StartTimeout());
    REQUIRE(main != nullptr);
    POINT at = LabelCentre(main);
    REQUIRE(AimAt(&session, main, at));
    ClickAt(at.x, at.y);
    PassTimeWith(&session, GetDoubleClickTime() + 1000);
    CHECK_EQ(0, session.childCommandLines.size());
    CHECK(!session.mainExited);
}

// A plain double-click cancels the open of its first click and takes the title bar
// away; the next one puts it back. The window keeps its centre and vertical share.
I386_SCENARIO(double_click_toggles_title_bar) {
    SetWallpaperSource(BEACH_PATH);
    DebugSession session;
    REQUIRE(StartDebugged(session, L""));
    HWND main = WaitForMainWindow(session, StartTimeout());
    REQUIRE(main != nullptr);
    const LONG_PTR styles[] = {STYLE_BARE_SEEN, STYLE_CAPTION_SEEN, STYLE_BARE_SEEN};
    for (LONG_PTR style : styles) {
        Note("double-click, expecting style 0x%llX", static_cast<unsigned long long>(style));
        RECT prior = WindowRectOf(main);
        POINT at = LabelCentre(main);
        REQUIRE(AimAt(&session, main, at));
        DoubleClickAt(at.x, at.y);
        LONG_PTR wanted = style;
        if (!CHECK(WaitForLayout(&session, main, HasFrameStyle, &wanted, ReactionTimeout()))) {
            POINT cursor;
            GetCursorPos(&cursor);
            POINT c = LabelCentre(main);
            Note("cursor (%ld, %ld), label centre (%ld, %ld), under it %p (main %p, label %p), foreground %p",
                 cursor.x, cursor.y, c.x, c.y, WindowFromPoint(c), main, LabelsTopDown(main)[0].window,
                 GetForegroundWindow());
        }
        CHECK_EQ(style, FrameStyleOf(main));
        CheckKeptPlace(prior, main);
        RECT outer = WindowRectOf(main);
        RECT client = ClientRectOnScreen(main);
        if (style == STYLE_BARE_SEEN) {
            CHECK(EqualRect(&outer, &client));
        } else {
            CHECK(outer.bottom - outer.top > client.bottom - client.top);
        }
        std::vector<std::wstring> texts = {L" Beach "};
        CHECK(texts == LabelTexts(main));
        // Past the time the first click's open would have fired: nothing started.
        PassTimeWith(&session, GetDoubleClickTime() + 300);
        CHECK_EQ(0, session.childCommandLines.size());
    }
}

// Shift+double-click paints the label background in the key colour, which the screen
// shows as what lies behind (here a white window); again, and the background is back.
I386_SCENARIO(shift_double_click_toggles_transparent_background) {
    SetWallpaperSource(BEACH_PATH);
    RECT behind = {300, 200, 980, 600};
    HWND probe = CreateProbeWindow(L"driver probe behind", behind);
    REQUIRE(probe != nullptr);
    StartedProcess nuvelo = StartNuvelo(L"");
    REQUIRE(nuvelo.process != nullptr);
    HWND main = WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF white = RGB(255, 255, 255);
    REQUIRE(face != white);
    ColumnWait background = {main, face, -1, 0};
    CHECK(WaitForLayout(nullptr, main, LabelBackgroundIs, &background, ReactionTimeout()));
    CHECK_EQ(0, background.differing);

    const COLORREF shown[] = {white, face, white};
    for (COLORREF colour : shown) {
        Note("Shift+double-click, expecting the background 0x%06lX", colour);
        POINT at = LabelCentre(main);
        REQUIRE(HoldKeyOver(nullptr, main, at, VK_SHIFT));
        DoubleClickHere(at);
        ColumnWait wait = {main, colour, -1, 0};
        CHECK(WaitForLayout(nullptr, main, LabelBackgroundIs, &wait, ReactionTimeout()));
        KeyUp(VK_SHIFT);
        if (!CHECK_EQ(0, wait.differing)) {
            Note("a pixel of the label background: 0x%06lX", wait.seen);
        }
        // Only the background: the title bar stays, and the text is still drawn.
        CHECK_EQ(STYLE_CAPTION_SEEN, FrameStyleOf(main));
        std::vector<ChildInfo> labels = LabelsTopDown(main);
        REQUIRE_EQ(1, labels.size());
        int text = 0;
        for (COLORREF pixel : ScreenPixels(labels[0].rect)) {
            text += pixel != white && pixel != face;
        }
        CHECK(text > 0);
    }
}

// Ctrl+double-click shows the window's rectangle and row height in a box of its own;
// while it is open a second one only brings it forward.
I386_SCENARIO(ctrl_double_click_shows_position_box) {
    SetWallpaperSource(BEACH_PATH);
    // Away from the screen's centre, where the box appears.
    StartedProcess nuvelo = StartNuvelo(L"l40 y40 d2");
    REQUIRE(nuvelo.process != nullptr);
    HWND main = WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    RECT before = WindowRectOf(main);
    POINT at = LabelCentre(main, 1);
    REQUIRE(HoldKeyOver(nullptr, main, at, VK_CONTROL));
    DoubleClickHere(at);
    HWND box = WaitForWindowByTitle(POSITION_TITLE, ReactionTimeout());
    KeyUp(VK_CONTROL);
    REQUIRE(box != nullptr);
    CHECK_EQ(nuvelo.id, WindowProcessId(box));
    CHECK_TEXT(L"#32770", ClassNameOf(box));
    CHECK(GetWindow(box, GW_OWNER) == nullptr);
    RECT r = WindowRectOf(main);
    std::vector<ChildInfo> labels = LabelsTopDown(main);
    REQUIRE_EQ(2, labels.size());
    int rowHeight = labels[0].rect.bottom - labels[0].rect.top;
    std::wstring expected = L"左：" + std::to_wstring(r.left) + L"   右：" + std::to_wstring(r.right) +
                            L"   上：" + std::to_wstring(r.top) + L"   下：" + std::to_wstring(r.bottom) +
                            L"  \n幅：" + std::to_wstring(r.right - r.left) + L"   高さ：" +
                            std::to_wstring(r.bottom - r.top) + L"   (行高：" + std::to_wstring(rowHeight) +
                            L")  ";
    CHECK_TEXT(expected, MessageBoxMessage(box));
    // Not laid out again.
    CHECK(EqualRect(&before, &r));
    CHECK_EQ(STYLE_CAPTION_SEEN, FrameStyleOf(main));
    CHECK_EQ(40, r.left);
    CHECK_EQ(40, r.top);

    // The main window forward again; a second Ctrl+double-click brings the box back.
    RECT boxRect = WindowRectOf(box);
    RECT mainRect = WindowRectOf(main);
    RECT overlap;
    REQUIRE(!IntersectRect(&overlap, &boxRect, &mainRect));
    REQUIRE(HoldKeyOver(nullptr, main, at, VK_CONTROL));
    REQUIRE(IsForeground(main));
    DoubleClickHere(at);
    CHECK(WaitUntil(IsForeground, box, ReactionTimeout()));
    KeyUp(VK_CONTROL);
    CHECK_EQ(1, WindowsTitled(POSITION_TITLE).size());
    RECT after = WindowRectOf(main);
    CHECK(EqualRect(&before, &after));

    // Closed, the box can be had again, with the same text.
    CloseMessageBox(box);
    REQUIRE(
        WaitUntil([](void*) { return WindowsTitled(POSITION_TITLE).empty(); }, nullptr, ReactionTimeout()));
    REQUIRE(HoldKeyOver(nullptr, main, at, VK_CONTROL));
    DoubleClickHere(at);
    HWND again = WaitForWindowByTitle(POSITION_TITLE, ReactionTimeout());
    KeyUp(VK_CONTROL);
    REQUIRE(again != nullptr);
    CHECK_TEXT(expected, MessageBoxMessage(again));
    CHECK(!HasExited(nuvelo));
}

// Before any refresh there is no previous wallpaper: Shift+click starts nothing, while
// a plain click afterwards still opens the current one.
I386_SCENARIO(shift_click_before_refresh_does_nothing) {
    SetWallpaperSource(BEACH_PATH);
    DeleteSlideshowInterval();
    DebugSession session;
    REQUIRE(StartDebugged(session, L""));
    HWND main = WaitForMainWindow(session, StartTimeout());
    REQUIRE(main != nullptr);
    POINT at = LabelCentre(main);
    REQUIRE(HoldKeyOver(&session, main, at, VK_SHIFT));
    ClickHere(at);
    PassTimeWith(&session, GetDoubleClickTime() + 1000);
    KeyUp(VK_SHIFT);
    CHECK_EQ(0, session.childCommandLines.size());
    ClickHere(at);
    REQUIRE(WaitForChildProcess(session, ReactionTimeout()));
    CheckExplorerStart(session.childCommandLines[0], BEACH_PATH);
}

// After a slideshow refresh showed the new wallpaper, Shift+click opens the one before
// and a plain click the new one.
I386_SCENARIO(shift_click_after_refresh_opens_previous) {
    const std::wstring harbour = L"C:\\Pictures\\Harbour.jpg";
    SetWallpaperSource(BEACH_PATH);
    SetSlideshowInterval(2000);
    DebugSession session;
    REQUIRE(StartDebugged(session, L""));
    HWND main = WaitForMainWindow(session, StartTimeout());
    REQUIRE(main != nullptr);
    SetWallpaperSource(harbour);
    CheckPreviousAfterRefreshes(session, main, L" Harbour ", BEACH_PATH, harbour);
}

// With M a click opens nothing, but Ctrl+click still drags the window with the mouse.
I386_SCENARIO(no_click_option_still_drags) {
    SetWallpaperSource(BEACH_PATH);
    DebugSession session;
    REQUIRE(StartDebugged(session, L"M"));
    HWND main = WaitForMainWindow(session, StartTimeout());
    REQUIRE(main != nullptr);
    POINT at = LabelCentre(main);
    REQUIRE(AimAt(&session, main, at));
    ClickAt(at.x, at.y);
    PassTimeWith(&session, GetDoubleClickTime() + 1000);
    CHECK_EQ(0, session.childCommandLines.size());

    RECT before = WindowRectOf(main);
    REQUIRE(HoldKeyOver(&session, main, at, VK_CONTROL));
    LeftButtonAt(at.x, at.y, true);
    MoveSizeWait loop = {GetWindowThreadProcessId(main, nullptr)};
    bool dragging = WaitWith(&session, InMoveLoop, &loop, ReactionTimeout());
    KeyUp(VK_CONTROL);
    CHECK(dragging);
    // In steps, as a hand would move it.
    for (int step = 1; step <= 4; ++step) {
        MoveMouseTo(at.x + 10 * step, at.y + 30 * step / 4);
        PassTimeWith(&session, 50);
    }
    LeftButtonAt(at.x + 40, at.y + 30, false);
    RECT wanted = before;
    OffsetRect(&wanted, 40, 30);
    WaitForLayout(&session, main, MovedBy, &wanted, ReactionTimeout());
    RECT after = WindowRectOf(main);
    Note("window moved from (%ld, %ld) to (%ld, %ld)", before.left, before.top, after.left, after.top);
    CHECK(abs(after.left - wanted.left) <= 2);
    CHECK(abs(after.top - wanted.top) <= 2);
    CHECK_EQ(before.right - before.left, after.right - after.left);
    CHECK_EQ(before.bottom - before.top, after.bottom - after.top);
    PassTimeWith(&session, GetDoubleClickTime() + 300);
    CHECK_EQ(0, session.childCommandLines.size());
}

// Windows Spotlight's values as Windows writes them: four items, the picture at index 2
// (ImageIndex, which may lag, says 0), paths JSON-escaped; BackgroundType 3 is Spotlight.
static void SetSpotlight(const std::wstring& title) {
    const wchar_t key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\DesktopSpotlight\\Creatives";
    const wchar_t folder[] =
        L"C:\\\\Users\\\\nuvelo\\\\AppData\\\\Local\\\\Packages\\\\MicrosoftWindows.Client."
        L"CBS_cw5n1h2txyewy\\\\LocalCache\\\\Microsoft\\\\IrisService\\\\1a2b3c\\\\";
    std::wstring items;
    for (wchar_t i = L'0'; i <= L'3'; ++i) {
        items += std::wstring(i == L'0' ? L"[" : L",") +
                 L"{\"tracking\":{\"impression\":\"https://arc.msn.com/i\"},\"ad\":{\"title\":\"" +
                 (i == L'2' ? title : L"Lofoten") +
                 L"\",\"description\":\"Rocks\",\"copyright\":\"\\u00a9 Ann\",\"iconHoverText\":\"Like\"," +
                 L"\"ctaUri\":\"microsoft-edge:https:\\/\\/www.bing.com\",\"entityId\":\"" + i +
                 L"\",\"landscapeImage\":{\"asset\":\"" + folder + L"1816278594" + i + L".jpg\"}," +
                 L"\"portraitImage\":{\"asset\":\"" + folder + L"2816278594" + i + L".jpg\"}}}";
    }
    items += L"]";
    SetRegistryValue(key, L"Creatives", REG_SZ, items.c_str(), static_cast<DWORD>((items.size() + 1) * 2));
    const DWORD index = 0, spotlight = 3;
    SetRegistryValue(key, L"ImageIndex", REG_DWORD, &index, sizeof(index));
    SetRegistryValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Wallpapers", L"BackgroundType",
                     REG_DWORD, &spotlight, sizeof(spotlight));
}

// Windows 8 and later rewrite the image cache at every new desktop picture and keep
// WallPaperSource stale: the new name shows at once, without any slideshow, while
// another value of the key changing leaves the labels alone. With a slideshow, its
// refreshes read the same picture again, lay nothing out and keep the one before as the
// previous. With a picture per monitor, the window's own monitor's.
I386_SCENARIO(image_cache_change_shown_at_once) {
    const std::wstring harbour = L"C:\\Pictures\\Harbour.jpg";
    SetWallpaperSource(L"C:\\Windows\\Web\\Wallpaper\\Windows\\img0.jpg");
    SetImageCache(BEACH_PATH);
    SetSpotlight(L"Moraine Lake, Canada");  // before the start, so that its key is watched
    DeleteSlideshowInterval();
    DebugSession session;
    REQUIRE(StartDebugged(session, L""));
    HWND main = WaitForMainWindow(session, StartTimeout());
    REQUIRE(main != nullptr);
    LabelsNow beach = {main, {L" Beach "}, nullptr};
    REQUIRE(WaitWith(&session, LabelsAre, &beach, ReactionTimeout()));

    // Windows writes the count beside the cache; it names no picture.
    const HWND label = FirstLabel(main);
    const DWORD count = 4;
    SetRegistryValue(DESKTOP_KEY, L"TranscodedImageCount", REG_DWORD, &count, sizeof(count));
    PassTimeWith(&session, 1000);
    CHECK(label == FirstLabel(main));

    // Without a slideshow only the registry's signal can show it, in tens of
    // milliseconds; the bound leaves room for a layout that Wine holds now and then.
    SetImageCache(harbour);
    const DWORD written = GetTickCount();
    LabelsNow harbourShown = {main, {L" Harbour "}, nullptr};
    CHECK(WaitWith(&session, LabelsAre, &harbourShown, 3000));
    Note("the new name showed %lu ms after the write", GetTickCount() - written);
    // Spotlight's picture shows its title, a new title at once (the beach, named by no item, its name).
    SetImageCache(
        L"C:\\Users\\nuvelo\\AppData\\Local\\Packages\\MicrosoftWindows.Client.CBS_cw5n1h2txyewy\\"
        L"LocalCache\\Microsoft\\IrisService\\1a2b3c\\18162785942.jpg");
    LabelsNow lake = {main, {L" Moraine Lake, Canada "}, nullptr};
    CHECK(WaitWith(&session, LabelsAre, &lake, 3000));
    SetSpotlight(L"Lake Louise / Banff");
    LabelsNow louise = {main, {L" Lake Louise / Banff "}, nullptr};
    CHECK(WaitWith(&session, LabelsAre, &louise, 1000));
    EndDebugged(session);

    // A change shows while the position box runs its own loop. With the cache gone, the
    // key that Windows 7 keeps shows a new picture at once too; a read that fails
    // empties the window, and the same picture coming back fills it again.
    SetImageCache(BEACH_PATH);
    StartedProcess nuvelo = StartNuvelo(L"");
    REQUIRE(nuvelo.process != nullptr);
    main = WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    beach.main = main;
    REQUIRE(WaitUntil(LabelsAre, &beach, ReactionTimeout()));
    // The label's double-click posted with Ctrl held, as the long run opens the box: the
    // box is what matters here, not the mouse. The pointer rests on the new window first:
    // its arrival under the pointer would make Wine let Ctrl go.
    REQUIRE(HoldKeyOver(nullptr, main, LabelCentre(main), VK_CONTROL));
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(100, STN_DBLCLK), 0);
    const HWND box = WaitForWindowByTitle(POSITION_TITLE, ReactionTimeout());
    KeyUp(VK_CONTROL);
    REQUIRE(box != nullptr);
    SetImageCache(harbour);
    harbourShown.main = main;
    CHECK(WaitUntil(LabelsAre, &harbourShown, 3000));
    CHECK(IsWindow(box));
    CloseMessageBox(box);

    DeleteRegistryValue(DESKTOP_KEY, L"TranscodedImageCache");
    SetWallpaperSource(L"C:\\Pictures\\Lagoon.jpg");
    const DWORD sourceWritten = GetTickCount();
    LabelsNow lagoon = {main, {L" Lagoon "}, nullptr};
    CHECK(WaitUntil(LabelsAre, &lagoon, 3000));
    Note("WallPaperSource's name showed %lu ms after the write", GetTickCount() - sourceWritten);
    DeleteWallpaperSource();
    CHECK(
        WaitUntil([](void* window) { return FirstLabel(static_cast<HWND>(window)) == nullptr; }, main, 3000));
    SetWallpaperSource(L"C:\\Pictures\\Lagoon.jpg");
    CHECK(WaitUntil(LabelsAre, &lagoon, 3000));
    EndLeftoverInstances(L"Nuvelo");

    // A slideshow that refreshes every two seconds, started on the beach.
    SetImageCache(BEACH_PATH);
    SetSlideshowInterval(2000);
    DebugSession slideshow;
    REQUIRE(StartDebugged(slideshow, L""));
    main = WaitForMainWindow(slideshow, StartTimeout());
    REQUIRE(main != nullptr);
    beach.main = main;
    REQUIRE(WaitWith(&slideshow, LabelsAre, &beach, ReactionTimeout()));
    SetImageCache(harbour);
    CheckPreviousAfterRefreshes(slideshow, main, L" Harbour ", BEACH_PATH, harbour);
    EndDebugged(slideshow);

    // _000 another monitor's picture, _001 this one's, the plain value _000's (the count is
    // still 4): the window shows its own monitor's, only a change of that lays it out
    // again, and without a value for it the plain one shows.
    const std::wstring other =
        L"\\\\?\\DISPLAY#SAM0B12#4&2f7ab893&0&UID57547520#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}";
    const std::wstring own = MonitorDeviceForCache();
    SetMonitorImageCache(0, harbour, other);
    SetMonitorImageCache(1, BEACH_PATH, own);
    SetImageCache(harbour);
    DebugSession monitors;
    REQUIRE(StartDebugged(monitors, L""));
    beach.main = main = WaitForMainWindow(monitors, StartTimeout());
    REQUIRE(main != nullptr);
    REQUIRE(WaitWith(&monitors, LabelsAre, &beach, ReactionTimeout()));
    SetMonitorImageCache(1, L"C:\\Pictures\\Canyon.jpg", own);
    const DWORD ownWritten = GetTickCount();
    LabelsNow canyon = {main, {L" Canyon "}, nullptr};
    CHECK(WaitWith(&monitors, LabelsAre, &canyon, 3000));
    Note("this monitor's new name showed %lu ms after the write", GetTickCount() - ownWritten);
    beach.replaced = FirstLabel(main);
    SetMonitorImageCache(0, BEACH_PATH, other);
    SetImageCache(BEACH_PATH);
    PassTimeWith(&monitors, 1000);
    CHECK(beach.replaced == FirstLabel(main));
    SetMonitorImageCache(1, L"C:\\Pictures\\Canyon.jpg", L"");  // Default_Monitor: no device path
    CHECK(WaitWith(&monitors, LabelsAre, &beach, 3000));
}

// At 150 % (LogPixels 144, which Wine reads when a process starts) a pixel in an option
// is a pixel of a 100 % screen: the window stands where Windows' stretching would put
// it, in the screen's own pixels; the position box speaks in option units; two title
// bar toggles give back the same rectangle. M: a stray click opens no Explorer.
I386_SCENARIO(display_scale_150) {
    SetWallpaperSource(BEACH_PATH);
    const DWORD dpi = 144;
    SetRegistryValue(DESKTOP_KEY, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    StartedProcess nuvelo = StartNuvelo(L"t W300 H40 S20 l200 y100 M");
    REQUIRE(nuvelo.process != nullptr);
    HWND main = WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    // Left 200 × 1.5 = 300, top 100 × 1.5 = 150, 300 × 1.5 = 450 wide, 40 × 1.5 = 60 high.
    const RECT r = WindowRectOf(main);
    CHECK_EQ(300, r.left);
    CHECK_EQ(150, r.top);
    CHECK_EQ(750, r.right);
    CHECK_EQ(210, r.bottom);

    POINT at = LabelCentre(main);
    REQUIRE(HoldKeyOver(nullptr, main, at, VK_CONTROL));
    DoubleClickHere(at);
    HWND box = WaitForWindowByTitle(POSITION_TITLE, ReactionTimeout());
    KeyUp(VK_CONTROL);
    REQUIRE(box != nullptr);
    CHECK_TEXT(L"左：200   右：500   上：100   下：140  \n幅：300   高さ：40   (行高：40)  ",
               MessageBoxMessage(box));
    CloseMessageBox(box);
    REQUIRE(
        WaitUntil([](void*) { return WindowsTitled(POSITION_TITLE).empty(); }, nullptr, ReactionTimeout()));

    for (LONG_PTR style : {STYLE_CAPTION_SEEN, STYLE_BARE_SEEN}) {
        at = LabelCentre(main);
        REQUIRE(AimAt(nullptr, main, at));
        DoubleClickAt(at.x, at.y);
        CHECK(WaitForLayout(nullptr, main, HasFrameStyle, &style, ReactionTimeout()));
    }
    const RECT again = WindowRectOf(main);
    CHECK(EqualRect(&r, &again));
    EndProcess(nuvelo);

    // Without pixel positions: centred on the work area at 450 wide, and a row as tall
    // as the text in a font of 20 × 1.5 = 30 pixels.
    nuvelo = StartNuvelo(L"t W300 S20");
    REQUIRE(nuvelo.process != nullptr);
    main = WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    const SIZE work = WorkAreaSize();
    const RECT centred = WindowRectOf(main);
    Note("work area %ld x %ld, window (%ld, %ld)-(%ld, %ld)", work.cx, work.cy, centred.left, centred.top,
         centred.right, centred.bottom);
    CHECK_EQ(work.cx * 5 / 10 - 450 / 2, centred.left);
    CHECK_EQ(450, centred.right - centred.left);
    CHECK_EQ(30, centred.bottom - centred.top);
    CHECK_EQ((work.cy - 30) * 5 / 10, centred.top);
}

// On two monitors, each window shows the picture of the monitor under its anchor: one
// started on each, a change of one monitor's picture, a move by another program, and a
// window across the border whose long name puts most of it on the right monitor: it
// keeps the left's picture, its labels untouched for three seconds.
DUAL_SCENARIO(window_shows_its_monitors_picture) {
    const std::wstring left = MonitorDeviceForCache(), right = MonitorDeviceForCache(POINT{1500, 100});
    const std::wstring longName = L" Harbour at dawn seen from the old lighthouse steps ";
    SetMonitorImageCache(0, L"C:\\Pictures\\" + longName.substr(1, longName.size() - 2) + L".jpg", left);
    SetMonitorImageCache(1, L"C:\\Pictures\\Sky.jpg", right);
    StartedProcess copy = StartNuvelo(L"l1500 y100", CopyTargetAs(L"Wall2.exe"));
    LabelsNow second = {WaitForMainWindow(copy, StartTimeout(), L"Wall2"), {L" Sky "}, nullptr};
    StartedProcess nuvelo = StartNuvelo(L"l100 y100");
    LabelsNow first = {WaitForMainWindow(nuvelo, StartTimeout()), {longName}, nullptr};
    REQUIRE(left != right && first.main != nullptr && second.main != nullptr);
    CHECK(WaitUntil(LabelsAre, &first, ReactionTimeout()) &&
          WaitUntil(LabelsAre, &second, ReactionTimeout()));
    const HWND firstLabel = FirstLabel(first.main);
    SetMonitorImageCache(1, L"C:\\Pictures\\Canyon.jpg", right);
    second.texts = {L" Canyon "};
    CHECK(WaitUntil(LabelsAre, &second, ReactionTimeout()));
    PassTime(500);
    CHECK(FirstLabel(first.main) == firstLabel);
    for (const int x : {1600, 300}) {
        SetWindowPos(first.main, nullptr, x, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        first.texts = {x > 1280 ? L" Canyon " : longName};
        CHECK(WaitUntil(LabelsAre, &first, 1000));
    }
    EndProcess(nuvelo);

    nuvelo = StartNuvelo(L"l1150 y100");
    first = {WaitForMainWindow(nuvelo, StartTimeout()), {longName}, nullptr};
    REQUIRE(WaitUntil(LabelsAre, &first, ReactionTimeout()));
    const RECT r = WindowRectOf(first.main);
    CHECK(r.left == 1150 && r.right - 1280 > 1280 - r.left);
    int changes = 0;
    const DWORD start = GetTickCount();
    for (HWND label = FirstLabel(first.main), seen; GetTickCount() - start < 3000; label = seen) {
        PassTime(20);
        seen = FirstLabel(first.main);
        changes += seen != label;
    }
    CHECK_EQ(0, changes);
    CHECK(LabelsAre(&first));
}
