// Start-up as a user sees it: the option list for a rejected argument, the single
// instance while that list is open, and no list for arguments that are all accepted.
#include "tests/e2e/driver.h"

#include "base/language.h"
#include "tests/e2e/main_window.h"

namespace {

const std::wstring& ExpectedOptionList() {
    static const std::wstring text(
        reinterpret_cast<const wchar_t*>(TextIn(LANGUAGE_JAPANESE, TEXT_OPTION_LIST)));
    return text;
}

struct IconCheck {
    HWND box;
    RECT iconRect;
    int differences[4];
};

const LPCWSTR standardIcons[4] = {IDI_INFORMATION, IDI_WARNING, IDI_ERROR, IDI_QUESTION};
const char* const standardIconNames[4] = {"information", "warning", "error", "question"};

// True once the box shows one of the standard icons exactly (it may still be painting).
bool StandardIconShown(void* context) {
    IconCheck* check = static_cast<IconCheck*>(context);
    std::vector<COLORREF> shown = ScreenPixels(check->iconRect);
    COLORREF background = ScreenPixel(check->iconRect.left - 1, check->iconRect.top);
    bool exact = false;
    for (int i = 0; i < 4; ++i) {
        check->differences[i] = IconDifference(check->iconRect, shown, background, standardIcons[i]);
        exact = exact || check->differences[i] == 0;
    }
    return exact;
}

// The message box's icon control shows the information icon, and OK is its only button.
void CheckInformationBox(HWND box) {
    std::vector<ChildInfo> statics = ChildWindows(box, L"Static");
    const ChildInfo* icon = nullptr;
    for (const ChildInfo& child : statics) {
        if ((child.style & SS_TYPEMASK) == SS_ICON && (child.style & WS_VISIBLE) != 0) {
            icon = &child;
        }
    }
    if (!CHECK(icon != nullptr)) {
        return;
    }
    IconCheck check = {box, icon->rect, {}};
    SetForegroundWindow(box);
    WaitUntil(StandardIconShown, &check, ReactionTimeout());
    if (!CHECK_EQ(0, check.differences[0])) {
        for (int i = 0; i < 4; ++i) {
            Note("pixels differing from the %s icon: %d", standardIconNames[i], check.differences[i]);
        }
    }
    int visibleButtons = 0;
    for (const ChildInfo& button : ChildWindows(box, L"Button")) {
        if ((button.style & WS_VISIBLE) != 0) {
            ++visibleButtons;
            CHECK_EQ(IDOK, button.id);
        }
    }
    CHECK_EQ(1, visibleButtons);
}

// Starts Nuvelo with arguments, which must show the option list: its own box, with the
// exact text, no owner and the information icon. Closing it ends the program with 0.
void CheckOptionListShown(const std::wstring& arguments) {
    NoteText("arguments:", arguments);
    StartedProcess nuvelo = StartNuvelo(arguments);
    REQUIRE(nuvelo.process != nullptr);
    HWND box = WaitForWindowByTitle(OptionListTitle(), StartTimeout());
    REQUIRE(box != nullptr);
    CHECK_EQ(nuvelo.id, WindowProcessId(box));
    CHECK_TEXT(L"#32770", ClassNameOf(box));
    CHECK_TEXT(ExpectedOptionList(), MessageBoxMessage(box));
    CHECK(GetWindow(box, GW_OWNER) == nullptr);
    CheckInformationBox(box);
    // No window of the program's own class: start-up stopped before the window.
    CHECK(FindWindowW(L"Nuvelo", nullptr) == nullptr);
    CloseMessageBox(box);
    DWORD exitCode = STILL_ACTIVE;
    CHECK(WaitForExit(nuvelo, ReactionTimeout(), &exitCode));
    CHECK_EQ(0, exitCode);
}

struct AcceptedStart {
    StartedProcess process;
};

// The start has decided: ended, made its main window, or shown the option list.
bool StartDecided(void* context) {
    AcceptedStart* start = static_cast<AcceptedStart*>(context);
    if (HasExited(start->process)) {
        return true;
    }
    HWND main = FindWindowW(L"Nuvelo", nullptr);
    if (main != nullptr && WindowProcessId(main) == start->process.id) {
        return true;
    }
    return FindWindowW(nullptr, OptionListTitle().c_str()) != nullptr;
}

}  // namespace

I386_SCENARIO(option_list_text) {
    CheckOptionListShown(L"x");
}

// Each argument list stops at a rejected argument; the quoting cases go through the
// real command-line splitting.
I386_SCENARIO(rejected_arguments_show_option_list) {
    const wchar_t* const commandLines[] = {
        L"d3 x e",     // stops at x although d3 and e are fine
        L"-d2",        // no dash prefix
        L"/d2",        // no slash prefix
        L"\"\"",       // an empty argument
        L"e1",         // a flag takes no value
        L"\"d 5\"",    // one argument with a blank
        L"fArial d0",  // accepted face, then a number out of range
    };
    for (const wchar_t* commandLine : commandLines) {
        CheckOptionListShown(commandLine);
        // A failed case may leave its box; the next start would only bring it forward.
        EndLeftoverInstances(L"Nuvelo");
    }
}

I386_SCENARIO(second_start_while_option_list_open) {
    StartedProcess first = StartNuvelo(L"x");
    REQUIRE(first.process != nullptr);
    HWND box = WaitForWindowByTitle(OptionListTitle(), StartTimeout());
    REQUIRE(box != nullptr);
    RECT probeRect = {40, 40, 640, 440};
    HWND probe = CreateProbeWindow(L"driver probe", probeRect);
    REQUIRE(probe != nullptr);

    // Whatever the second start's arguments, rejected ones included, it only brings
    // the open list forward and ends.
    const wchar_t* const commandLines[] = {L"x", L"", L"d3 e", L"-d2"};
    for (const wchar_t* commandLine : commandLines) {
        NoteText("second start with:", commandLine);
        SetForegroundWindow(probe);
        REQUIRE(WaitUntil(IsForeground, probe, ReactionTimeout()));
        StartedProcess second = StartNuvelo(commandLine);
        DWORD exitCode = STILL_ACTIVE;
        CHECK(WaitForExit(second, StartTimeout(), &exitCode));
        CHECK_EQ(0, exitCode);
        CHECK(WaitUntil(IsForeground, box, ReactionTimeout()));
        CHECK_EQ(1, WindowsTitled(OptionListTitle()).size());
        CHECK(FindWindowW(L"Nuvelo", nullptr) == nullptr);
        EndProcess(second);
    }

    // The first instance was not disturbed: its list still reads the same and ends it.
    CHECK(!HasExited(first));
    CHECK_TEXT(ExpectedOptionList(), MessageBoxMessage(box));
    CloseMessageBox(box);
    DWORD exitCode = STILL_ACTIVE;
    CHECK(WaitForExit(first, ReactionTimeout(), &exitCode));
    CHECK_EQ(0, exitCode);
}

// Every argument accepted: no option list. The program either ends (no window yet) or
// shows its main window; either way it is ended before the next case.
I386_SCENARIO(accepted_arguments_show_no_option_list) {
    // A readable wallpaper keeps a window-making build away from its error box.
    SetWallpaperSource(L"C:\\users\\Public\\Pictures\\driver wallpaper.jpg");
    const wchar_t* const commandLines[] = {
        L"d3 e",
        L"",
        L"d4294967297 a2 w- y-20 C12 u255 G0 s0 t T m M",
        L"\"fMS UI Gothic\" f\"MS UI Gothic\"",  // quotes removed by the splitting
        L"E p P i I q1 Q1",
    };
    for (const wchar_t* commandLine : commandLines) {
        NoteText("arguments:", commandLine);
        AcceptedStart start = {StartNuvelo(commandLine)};
        if (!CHECK(start.process.process != nullptr)) {
            continue;
        }
        bool decided = WaitUntil(StartDecided, &start, StartTimeout());
        if (!CHECK(decided)) {
            for (HWND window : ProcessWindows(start.process.id)) {
                NoteText("window of the start:", ClassNameOf(window) + L" " + WindowText(window));
            }
        }
        CHECK(WindowsTitled(OptionListTitle()).empty());
        DWORD exitCode = STILL_ACTIVE;
        if (HasExited(start.process)) {
            WaitForExit(start.process, 0, &exitCode);
            CHECK_EQ(0, exitCode);
        }
        EndProcess(start.process);
        EndLeftoverInstances(L"Nuvelo");
    }
}

// The texts follow the user's display language, which Wine takes from the Unix locale
// that the run started under (scripts/wine-run: Japanese unless NUVELO_TEST_LANG says).
SCENARIO(texts_in_display_language) {
    wchar_t locale[64] = L"";
    GetEnvironmentVariableW(L"NUVELO_TEST_LANG", locale, ARRAYSIZE(locale));
    const bool english = wcsncmp(locale, L"en", 2) == 0;
    SetWallpaperSource(main_window::BEACH_PATH);
    StartedProcess nuvelo = StartNuvelo(L"");
    HWND main = main_window::WaitForMainWindow(nuvelo, StartTimeout());
    REQUIRE(main != nullptr);
    CHECK_TEXT(english ? L"Nuvelo Current desktop background  " : L"Nuvelo 現在のデスクトップ背景  ",
               WindowText(main));
    EndProcess(nuvelo);
    StartedProcess rejected = StartNuvelo(L"x");
    HWND box =
        WaitForWindowByTitle(english ? L"Nuvelo Command-line options  " : OptionListTitle(), StartTimeout());
    REQUIRE(box != nullptr);
    CHECK_TEXT(english ? L"d,D Number of lines" : L"d,D表示行数",
               MessageBoxMessage(box).substr(0, english ? 19 : 7));
    CloseMessageBox(box);
    CHECK(WaitForExit(rejected, ReactionTimeout(), nullptr));
}
