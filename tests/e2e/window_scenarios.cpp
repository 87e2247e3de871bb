// The main window as a start leaves it: where it stands, its texts, class and styles,
// its labels row by row, its owner, the single instance, the missing wallpaper and a
// copy of the program under another name.
#include "tests/e2e/main_window.h"

using namespace main_window;

namespace {

SIZE FrameSize(LONG_PTR style) {
    RECT rect = {0, 0, 0, 0};
    AdjustWindowRect(&rect, static_cast<DWORD>(style), FALSE);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Text extent in the font a label shows without a font of its own: the system font,
// the default of every device context.
SIZE DefaultFontExtent(const std::wstring& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

// The window has the given style and is placed as the default position settings say
// for its outer size (centred horizontally on the work width, halfway down the free
// height); its client area is exactly the label block plus nothing.
void CheckPlacedWithFrame(HWND main, LONG_PTR style) {
    CHECK_EQ(style, FrameStyleOf(main));
    RECT outer = WindowRectOf(main);
    RECT client = ClientRectOnScreen(main);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    SIZE work = WorkAreaSize();
    Note("work area %ld x %ld, window (%ld, %ld) %d x %d", work.cx, work.cy, outer.left, outer.top, width,
         height);
    CHECK_EQ(work.cx * 5 / 10 - width / 2, outer.left);
    CHECK_EQ((work.cy - height) * 5 / 10, outer.top);
    // The frame adds what it adds over the bare style for the same client area.
    SIZE frame = FrameSize(style);
    SIZE bare = FrameSize(STYLE_BARE_SEEN);
    CHECK_EQ(frame.cx - bare.cx, width - (client.right - client.left));
    CHECK_EQ(frame.cy - bare.cy, height - (client.bottom - client.top));
}

// The labels fill the client area in rows of one height, topmost first; each is a
// notifying static with the given alignment and the label id.
void CheckLabelRows(HWND main, const std::vector<std::wstring>& texts, LONG_PTR align) {
    std::vector<ChildInfo> labels = LabelsTopDown(main);
    REQUIRE_EQ(texts.size(), labels.size());
    RECT client = ClientRectOnScreen(main);
    int rowHeight = labels[0].rect.bottom - labels[0].rect.top;
    LONG widest = 0;
    LONG tallest = 0;
    for (size_t row = 0; row < labels.size(); ++row) {
        const ChildInfo& label = labels[row];
        NoteText("label:", label.text);
        CHECK_TEXT(texts[row], label.text);
        CHECK_EQ(100, label.id);
        CHECK_EQ(0x50000300 | align, label.style);
        CHECK_EQ(client.left, label.rect.left);
        CHECK_EQ(client.right, label.rect.right);
        CHECK_EQ(client.top + static_cast<LONG>(row) * rowHeight, label.rect.top);
        CHECK_EQ(rowHeight, label.rect.bottom - label.rect.top);
        SIZE extent = DefaultFontExtent(texts[row]);
        widest = extent.cx > widest ? extent.cx : widest;
        tallest = extent.cy > tallest ? extent.cy : tallest;
    }
    CHECK_EQ(client.bottom, client.top + static_cast<LONG>(labels.size()) * rowHeight);
    // Without a font or size of their own the rows are as wide and as tall as the text.
    CHECK_EQ(widest, client.right - client.left);
    CHECK_EQ(tallest, rowHeight);
}

// Differences between the pixels shown in iconRect and a standard icon drawn by the
// driver over the same background.
int IconDifference(const RECT& iconRect, LPCWSTR icon) {
    return IconDifference(iconRect, ScreenPixels(iconRect), ScreenPixel(iconRect.left - 1, iconRect.top), icon);
}

struct IconWait {
    RECT rect;
    int differences;
};

bool ErrorIconShown(void* context) {
    IconWait* wait = static_cast<IconWait*>(context);
    wait->differences = IconDifference(wait->rect, IDI_ERROR);
    return wait->differences == 0;
}

// The box shows the error icon (it may still be painting) and OK as its only button.
void CheckErrorBoxLook(HWND box) {
    const ChildInfo* icon = nullptr;
    std::vector<ChildInfo> statics = ChildWindows(box, L"Static");
    for (const ChildInfo& child : statics) {
        if ((child.style & SS_TYPEMASK) == SS_ICON && (child.style & WS_VISIBLE) != 0) {
            icon = &child;
        }
    }
    REQUIRE(icon != nullptr);
    SetForegroundWindow(box);
    IconWait wait = {icon->rect, -1};
    CHECK(WaitUntil(ErrorIconShown, &wait, ReactionTimeout()));
    CHECK_EQ(0, wait.differences);
    int buttons = 0;
    for (const ChildInfo& button : ChildWindows(box, L"Button")) {
        if ((button.style & WS_VISIBLE) != 0) {
            ++buttons;
            CHECK_EQ(IDOK, button.id);
        }
    }
    CHECK_EQ(1, buttons);
}

// Starts the program (exePath, the target when empty) without a wallpaper value: the
// error box with its text and caption, owned by the main window; closing it ends the
// program with 0.
void CheckMissingWallpaper(const std::wstring& exePath, const std::wstring& caption) {
    DeleteWallpaperSource();
    StartedProcess nuvelo = StartNuvelo(L"", exePath);
    REQUIRE(nuvelo.process != nullptr);
    HWND box = WaitForWindowByTitle(caption, StartTimeout());
    REQUIRE(box != nullptr);
    CHECK_EQ(nuvelo.id, WindowProcessId(box));
    CHECK_TEXT(L"#32770", ClassNameOf(box));
    CHECK_TEXT(L"レジストリに画像ファイル名が見つかりません  ", MessageBoxMessage(box));
    HWND owner = GetWindow(box, GW_OWNER);
    CHECK(owner != nullptr);
    CHECK_TEXT(caption, ClassNameOf(owner));
    CheckErrorBoxLook(box);
    // No labels were made: the layout stopped at the missing value.
    CHECK_EQ(0, ChildWindows(owner, L"Static").size());
    CloseMessageBox(box);
    DWORD exitCode = STILL_ACTIVE;
    CHECK(WaitForExit(nuvelo, ReactionTimeout(), &exitCode));
    CHECK_EQ(0, exitCode);
}

}  // namespace

// The default start: title, class, layered with the key colour, caption style, one
// padded line, centred on the work area for its measured size.
I386_SCENARIO(default_window) {
    SetWallpaperSource(BEACH_PATH);
    StartedProcess nuvelo = StartNuvelo(L"");
    REQUIRE(nuvelo.process != nullptr);
    HWND main = WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    CHECK_TEXT(WindowTitle(), WindowText(main));
    CHECK_TEXT(L"Nuvelo", ClassNameOf(main));
    CHECK(GetWindow(main, GW_OWNER) == nullptr);
    CHECK_EQ(WS_EX_LAYERED, WindowExStyle(main) & WS_EX_LAYERED);
    // Neither system colour is the first key candidate, so the key is that candidate.
    REQUIRE(GetSysColor(COLOR_WINDOWTEXT) != 0x000001 && GetSysColor(COLOR_BTNFACE) != 0x000001);
    LayeredInfo layered = LayeredAttributes(main);
    CHECK(layered.read);
    CHECK_EQ(0x000001, layered.key);
    CHECK_EQ(LWA_COLORKEY, layered.flags & (LWA_COLORKEY | LWA_ALPHA));
    CheckPlacedWithFrame(main, STYLE_CAPTION_SEEN);
    CheckLabelRows(main, {L" Beach "}, SS_CENTER);
}

// A text colour equal to the first key candidate moves the key on to the second.
I386_SCENARIO(colour_key_avoids_text_colour) {
    SetWallpaperSource(BEACH_PATH);
    StartedProcess nuvelo = StartNuvelo(L"u1 g0 b0");
    REQUIRE(nuvelo.process != nullptr);
    HWND main = WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    LayeredInfo layered = LayeredAttributes(main);
    CHECK(layered.read);
    CHECK_EQ(0x000100, layered.key);
}

// Lines from the path, file name at the bottom; padding and alignment by option.
I386_SCENARIO(label_rows) {
    SetWallpaperSource(L"C:\\Photos\\Beach.jpg");
    const struct {
        const wchar_t* arguments;
        std::vector<std::wstring> texts;  // top row first
        LONG_PTR align;
    } cases[] = {
        {L"d3", {L" C: ", L" Photos ", L" Beach "}, SS_CENTER},
        {L"d2 e", {L" Photos ", L" Beach.jpg "}, SS_CENTER},
        {L"d5 A1", {L"C:", L"Photos", L"Beach"}, SS_LEFT},
        {L"D2 a2", {L" C:\\Photos ", L" Beach "}, SS_RIGHT},
    };
    for (const auto& row : cases) {
        NoteText("arguments:", row.arguments);
        StartedProcess nuvelo = StartNuvelo(row.arguments);
        REQUIRE(nuvelo.process != nullptr);
        HWND main = WaitForMainWindow(nuvelo, StartTimeout());
        REQUIRE(main != nullptr);
        CheckLabelRows(main, row.texts, row.align);
        CheckPlacedWithFrame(main, STYLE_CAPTION_SEEN);
        EndProcess(nuvelo);
        EndLeftoverInstances(L"Nuvelo");
    }
}

// t and T take the title bar away (bare, thin frame); the place follows the new size.
I386_SCENARIO(frame_styles) {
    SetWallpaperSource(BEACH_PATH);
    const struct {
        const wchar_t* arguments;
        LONG_PTR style;
    } cases[] = {
        {L"", STYLE_CAPTION_SEEN},
        {L"t", STYLE_BARE_SEEN},
        {L"T", STYLE_THIN_SEEN},
        {L"T t", STYLE_BARE_SEEN},
    };
    for (const auto& row : cases) {
        NoteText("arguments:", row.arguments);
        StartedProcess nuvelo = StartNuvelo(row.arguments);
        REQUIRE(nuvelo.process != nullptr);
        HWND main = WaitForMainWindow(nuvelo, StartTimeout());
        REQUIRE(main != nullptr);
        CheckPlacedWithFrame(main, row.style);
        CheckLabelRows(main, {L" Beach "}, SS_CENTER);
        EndProcess(nuvelo);
        EndLeftoverInstances(L"Nuvelo");
    }
}

// i keeps the window off the taskbar through a hidden owner; I (tray icon with a
// taskbar button) or neither makes no owner.
I386_SCENARIO(owner_window_by_option) {
    SetWallpaperSource(BEACH_PATH);
    const struct {
        const wchar_t* arguments;
        bool owned;
    } cases[] = {
        {L"", false}, {L"I", false}, {L"i", true}, {L"i I", false}, {L"I i", true},
    };
    for (const auto& row : cases) {
        NoteText("arguments:", row.arguments);
        StartedProcess nuvelo = StartNuvelo(row.arguments);
        REQUIRE(nuvelo.process != nullptr);
        HWND main = WaitForMainWindow(nuvelo, StartTimeout());
        REQUIRE(main != nullptr);
        HWND owner = GetWindow(main, GW_OWNER);
        CHECK_EQ(row.owned, owner != nullptr);
        if (owner != nullptr) {
            CHECK_TEXT(L"Nuvelo0", ClassNameOf(owner));
            CHECK_TEXT(WindowTitle(), WindowText(owner));
            CHECK(!IsWindowVisible(owner));
            CHECK_EQ(nuvelo.id, WindowProcessId(owner));
        }
        // Exactly one window of each class of the program.
        int mains = 0;
        int owners = 0;
        for (HWND window : ProcessWindows(nuvelo.id)) {
            mains += ClassNameOf(window) == L"Nuvelo";
            owners += ClassNameOf(window) == L"Nuvelo0";
        }
        CHECK_EQ(1, mains);
        CHECK_EQ(row.owned ? 1 : 0, owners);
        EndProcess(nuvelo);
        EndLeftoverInstances(L"Nuvelo");
    }
}

// A second start, whatever its arguments, brings the running window forward and ends
// with 0; it shows no option list and leaves the first window as it was.
I386_SCENARIO(second_start_brings_window_forward) {
    SetWallpaperSource(BEACH_PATH);
    StartedProcess first = StartNuvelo(L"");
    REQUIRE(first.process != nullptr);
    HWND main = WaitForMainWindow(first, StartTimeout());
    REQUIRE(main != nullptr);
    RECT before = WindowRectOf(main);
    RECT probeRect = {20, 20, 420, 320};
    HWND probe = CreateProbeWindow(L"driver probe", probeRect);
    REQUIRE(probe != nullptr);
    const wchar_t* const commandLines[] = {L"x", L"", L"d3 t", L"-d2"};
    for (const wchar_t* commandLine : commandLines) {
        NoteText("second start with:", commandLine);
        SetForegroundWindow(probe);
        REQUIRE(WaitUntil(IsForeground, probe, ReactionTimeout()));
        StartedProcess second = StartNuvelo(commandLine);
        DWORD exitCode = STILL_ACTIVE;
        CHECK(WaitForExit(second, StartTimeout(), &exitCode));
        CHECK_EQ(0, exitCode);
        CHECK(WaitUntil(IsForeground, main, ReactionTimeout()));
        CHECK(WindowsTitled(OptionListTitle()).empty());
        CHECK_EQ(1, WindowsTitled(WindowTitle()).size());
        EndProcess(second);
    }
    CHECK(!HasExited(first));
    RECT after = WindowRectOf(main);
    CHECK_EQ(before.left, after.left);
    CHECK_EQ(before.top, after.top);
    CHECK_EQ(before.right, after.right);
    CHECK_EQ(before.bottom, after.bottom);
    CHECK_EQ(STYLE_CAPTION_SEEN, FrameStyleOf(main));
    CHECK_EQ(1, LabelsTopDown(main).size());
}

// A slideshow refresh while the window is minimised lays out the window it will be
// restored to: restored, it has the new path's size, its centre where it was and its
// share of the free height.
I386_SCENARIO(refresh_while_minimised_sizes_restored_window) {
    const std::wstring longer = L"A harbour at dawn, seen from the old lighthouse";
    SetWallpaperSource(L"Sea.jpg");
    SetSlideshowInterval(3000);
    StartedProcess nuvelo = StartNuvelo(L"t d2");
    REQUIRE(nuvelo.process != nullptr);
    HWND main = WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    RECT before = WindowRectOf(main);
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    REQUIRE(WaitUntil(Iconic, main, ReactionTimeout()));
    SetWallpaperSource(L"C:\\Pictures\\" + longer + L".jpg");
    struct Texts {
        HWND main;
        std::vector<std::wstring> wanted;
    } texts = {main, {L" Pictures ", L" " + longer + L" "}};
    // The next refresh comes at most an interval and a second later.
    REQUIRE(WaitUntil(
        [](void* context) {
            Texts* t = static_cast<Texts*>(context);
            return LabelTexts(t->main) == t->wanted;
        },
        &texts, 4000 + ReactionTimeout()));
    CHECK(IsIconic(main));

    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    REQUIRE(WaitForLayout(
        nullptr, main, [](HWND window, void*) { return IsIconic(window) == 0; }, nullptr, ReactionTimeout()));
    CheckLabelRows(main, texts.wanted, SS_CENTER);
    RECT after = WindowRectOf(main);
    RECT client = ClientRectOnScreen(main);
    CHECK(EqualRect(&after, &client));
    int width = after.right - after.left;
    int height = after.bottom - after.top;
    int priorWidth = before.right - before.left;
    int priorHeight = before.bottom - before.top;
    Note("before the minimise (%ld, %ld) %d x %d, restored (%ld, %ld) %d x %d", before.left, before.top,
         priorWidth, priorHeight, after.left, after.top, width, height);
    // One row " Sea " of 40 x 16 at (620, 392), on a work area 800 high, becomes two rows
    // of 392 x 32: the centre stays at 640 (left 640 - 196 = 444), and the top keeps its
    // share of the free height, 392 of 784 before, so 384 of 768 after.
    CHECK_EQ(620, before.left);
    CHECK_EQ(392, before.top);
    CHECK_EQ(444, after.left);
    CHECK_EQ(384, after.top);
}

I386_SCENARIO(missing_wallpaper_shows_error) {
    CheckMissingWallpaper(std::wstring(), L"Nuvelo");
}

// Another file name is another program: caption, classes and titles follow it, and
// the original name's instance does not stop it.
I386_SCENARIO(renamed_executable) {
    std::wstring copy = CopyTargetAs(L"Wally.exe");
    REQUIRE(!copy.empty());
    SetWallpaperSource(BEACH_PATH);
    StartedProcess original = StartNuvelo(L"");
    REQUIRE(original.process != nullptr);
    REQUIRE(WaitForMainWindow(original, StartTimeout()) != nullptr);

    StartedProcess wally = StartNuvelo(L"i", copy);
    REQUIRE(wally.process != nullptr);
    HWND main = WaitForMainWindow(wally, StartTimeout(), L"Wally");
    REQUIRE(main != nullptr);
    CHECK_TEXT(L"Wally", ClassNameOf(main));
    CHECK_TEXT(WindowTitle(L"Wally"), WindowText(main));
    CHECK_TEXT(L"Wally 現在のデスクトップ背景  ", WindowText(main));
    HWND owner = GetWindow(main, GW_OWNER);
    REQUIRE(owner != nullptr);
    CHECK_TEXT(L"Wally0", ClassNameOf(owner));
    CHECK(!HasExited(original));
    EndProcess(wally);
    EndProcess(original);
    EndLeftoverInstances(L"Wally");
    EndLeftoverInstances(L"Nuvelo");

    // The error box is captioned with the new name too.
    CheckMissingWallpaper(copy, L"Wally");
}
