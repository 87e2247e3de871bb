// A day on the desktop in a couple of minutes: thousands of slideshow refreshes with the
// wallpaper changing, title bar toggles and position boxes, and afterwards no more GDI
// objects, windows or private memory than before.
#include "tests/e2e/driver.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>

namespace {

// Posted by the driver instead of waiting for real expiries: a posted WM_TIMER reaches the
// window procedure as an expiry does. The program's own timer is armed on an hour's grid.
constexpr UINT_PTR SLIDESHOW_TIMER = 101;
constexpr int LABEL_CONTROL = 100;
constexpr DWORD SLIDESHOW_INTERVAL_MS = 3600000;

constexpr int WARM_UP_REFRESHES = 200;
constexpr int REFRESHES = 2000;
constexpr int TOGGLE_EVERY = 100;  // an even number of toggles: the frame ends as it began
constexpr int BOX_EVERY = 100;
constexpr int BOX_PHASE = 50;
constexpr int MEASURE_EVERY = 500;
// Private memory is counted in whole pages and the allocator spreads out over the first
// few hundred refreshes after the warm-up (some 50 to 70 KiB here); a leak of 64 bytes a
// refresh would already pass this.
constexpr SIZE_T PRIVATE_TOLERANCE = 128 * 1024;

// Different line counts and widths, so that every refresh builds a different window.
struct Picture {
    const wchar_t* path;
    std::vector<std::wstring> lines;  // what "d4" shows, padded
};

const Picture& PictureFor(int refresh) {
    static const Picture pictures[3] = {
        {L"C:\\users\\Public\\Pictures\\first sight.jpg",
         {L" first sight ", L" Pictures ", L" Public ", L" users "}},
        {L"C:\\walls\\blue hour.png", {L" blue hour ", L" walls ", L" C: "}},
        {L"D:\\sunrise over the long lake.bmp", {L" sunrise over the long lake ", L" D: "}},
    };
    // A cycle of four, so that the warm-up and the run both end on the same picture.
    static const int order[4] = {0, 1, 2, 1};
    return pictures[order[refresh % 4]];
}

static_assert(WARM_UP_REFRESHES % 4 == 0 && REFRESHES % 4 == 0, "both end on the same picture");
static_assert((WARM_UP_REFRESHES / TOGGLE_EVERY) % 2 == 0 && (REFRESHES / TOGGLE_EVERY) % 2 == 0,
              "the frame ends as it began");

struct Tally {
    int refreshes;
    int toggles;
    int boxes;
};

// ---------------------------------------------------------------------------
// What the process holds

struct Footprint {
    bool gdiRead;
    int gdiLive;
    int gdiByType[256];
    int childWindows;
    int topLevelWindows;
    bool memoryRead;
    SIZE_T committedBytes;  // committed private regions of the address space
    SIZE_T privateBytes;    // the process's private memory as the counters give it
    SIZE_T workingSet;
};

// Wine keeps each process's GDI handle table in the process itself and names it in the
// process block (GetGuiResources only answers 0 there). An entry is 24 bytes; its type
// byte is zero while the entry is free.
constexpr SIZE_T PEB_GDI_TABLE_OFFSET = 0xF8;
constexpr SIZE_T GDI_ENTRIES = 65536;
constexpr SIZE_T GDI_ENTRY_BYTES = 24;
constexpr SIZE_T GDI_TYPE_OFFSET = 14;
constexpr int GDI_DC = 0x01;
constexpr int GDI_REGION = 0x04;
constexpr int GDI_BITMAP = 0x05;
constexpr int GDI_FONT = 0x0a;
constexpr int GDI_BRUSH = 0x10;
// Wine keeps up to this many DCs for GetDC and BeginPaint and makes them as needed.
constexpr int DC_CACHE_ENTRIES = 64;

bool CountGdiObjects(HANDLE process, Footprint* footprint) {
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), &length) != 0 ||
        basic.PebBaseAddress == nullptr) {
        return false;
    }
    uint64_t table = 0;
    SIZE_T read = 0;
    const BYTE* tablePointer = reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + PEB_GDI_TABLE_OFFSET;
    if (!ReadProcessMemory(process, tablePointer, &table, sizeof(table), &read) || table == 0) {
        return false;
    }
    std::vector<BYTE> entries(GDI_ENTRIES * GDI_ENTRY_BYTES);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(table)),
                           entries.data(), entries.size(), &read) ||
        read != entries.size()) {
        return false;
    }
    for (SIZE_T i = 0; i < GDI_ENTRIES; ++i) {
        const BYTE type = entries[i * GDI_ENTRY_BYTES + GDI_TYPE_OFFSET];
        if (type != 0) {
            ++footprint->gdiLive;
            ++footprint->gdiByType[type];
        }
    }
    return true;
}

// The committed private regions: the program's own heap and whatever the system's
// libraries keep in the process's address space.
bool SumCommittedMemory(HANDLE process, SIZE_T* bytes) {
    *bytes = 0;
    const BYTE* address = nullptr;
    MEMORY_BASIC_INFORMATION region = {};
    int regions = 0;
    while (VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            *bytes += region.RegionSize;
        }
        ++regions;
        const BYTE* next = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return regions > 0;
}

BOOL CALLBACK CountChild(HWND, LPARAM parameter) {
    ++*reinterpret_cast<int*>(parameter);
    return TRUE;
}

Footprint Measure(const StartedProcess& process, HWND main) {
    Footprint footprint = {};
    footprint.gdiRead = CountGdiObjects(process.process, &footprint);
    EnumChildWindows(main, CountChild, reinterpret_cast<LPARAM>(&footprint.childWindows));
    footprint.topLevelWindows = static_cast<int>(ProcessWindows(process.id).size());
    // Under Wine the counters leave PrivateUsage at 0 for another process; their
    // PagefileUsage, the same figure on Windows, is the process's anonymous memory and
    // includes what the system keeps outside the address space (windows, GDI objects).
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    const bool counted =
        GetProcessMemoryInfo(process.process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory)) != 0;
    footprint.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    footprint.workingSet = memory.WorkingSetSize;
    footprint.memoryRead = SumCommittedMemory(process.process, &footprint.committedBytes) && counted;
    return footprint;
}

void NoteFootprint(const char* when, const Footprint& footprint) {
    Note(
        "%s: GDI %d live (fonts %d, brushes %d, DCs %d, bitmaps %d, regions %d), windows %d child + %d "
        "top-level, private %llu bytes, committed private regions %llu bytes, working set %llu bytes",
        when, footprint.gdiLive, footprint.gdiByType[GDI_FONT], footprint.gdiByType[GDI_BRUSH],
        footprint.gdiByType[GDI_DC], footprint.gdiByType[GDI_BITMAP], footprint.gdiByType[GDI_REGION],
        footprint.childWindows, footprint.topLevelWindows,
        static_cast<unsigned long long>(footprint.privateBytes),
        static_cast<unsigned long long>(footprint.committedBytes),
        static_cast<unsigned long long>(footprint.workingSet));
}

// ---------------------------------------------------------------------------
// Driving the program

struct LabelState {
    HWND main;
    const std::vector<std::wstring>* expected;
    std::vector<HWND> before;  // labels that must all be gone
    bool wantCaption;
    bool checkCaption;
};

std::vector<HWND> LabelWindows(HWND main) {
    std::vector<HWND> windows;
    for (const ChildInfo& child : ChildWindows(main, L"Static")) {
        windows.push_back(child.window);
    }
    return windows;
}

bool LabelsAsExpected(void* context) {
    LabelState* state = static_cast<LabelState*>(context);
    std::vector<ChildInfo> labels = ChildWindows(state->main, L"Static");
    if (labels.size() != state->expected->size()) {
        return false;
    }
    std::vector<std::wstring> texts;
    for (const ChildInfo& label : labels) {
        if (label.id != LABEL_CONTROL ||
            std::find(state->before.begin(), state->before.end(), label.window) != state->before.end()) {
            return false;
        }
        texts.push_back(label.text);
    }
    std::vector<std::wstring> wanted = *state->expected;
    std::sort(texts.begin(), texts.end());
    std::sort(wanted.begin(), wanted.end());
    if (texts != wanted) {
        return false;
    }
    return !state->checkCaption ||
           ((WindowStyle(state->main) & WS_CAPTION) == WS_CAPTION) == state->wantCaption;
}

// Waits for the layout a posted message asked for. A round trip through the program's
// queue returns once it took its next message, which is as a rule after the layout; the
// short sleeps cover the rest. Far quicker than the general 20 ms polls.
bool WaitForLayout(LabelState* state) {
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(state->main, WM_NULL, 0, 0, SMTO_NORMAL, ReactionTimeout(), &result);
        if (LabelsAsExpected(state)) {
            return true;
        }
        if (GetTickCount() - start >= ReactionTimeout()) {
            return false;
        }
        Sleep(1);
    }
}

void NoteLabels(HWND main) {
    std::vector<ChildInfo> labels = ChildWindows(main, L"Static");
    Note("%d labels", static_cast<int>(labels.size()));
    for (const ChildInfo& label : labels) {
        NoteText("  label:", label.text);
    }
}

// One slideshow refresh to the picture of this number.
bool Refresh(HWND main, int number) {
    const Picture& picture = PictureFor(number);
    // The labels are taken before the value changes: its change notice may lay the window
    // out before the tick, which then finds the picture shown and leaves the labels be.
    LabelState state = {main, &picture.lines, LabelWindows(main), false, false};
    SetWallpaperSource(picture.path);
    PostMessageW(main, WM_TIMER, SLIDESHOW_TIMER, 0);
    if (!WaitForLayout(&state)) {
        Note("refresh %d did not show its picture", number);
        NoteText("expected file name:", picture.lines[0]);
        NoteLabels(main);
        return false;
    }
    return true;
}

// A double-click with no key held: the title bar goes or comes back, the labels are new.
bool ToggleTitleBar(HWND main, int number) {
    const bool hadCaption = (WindowStyle(main) & WS_CAPTION) == WS_CAPTION;
    LabelState state = {main, &PictureFor(number).lines, LabelWindows(main), !hadCaption, true};
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(LABEL_CONTROL, STN_DBLCLK), 0);
    if (!WaitForLayout(&state)) {
        Note("the double-click after refresh %d did not toggle the title bar (style 0x%08llX)", number,
             static_cast<unsigned long long>(WindowStyle(main)));
        NoteLabels(main);
        return false;
    }
    return true;
}

bool ControlDown(void*) {
    return GetAsyncKeyState(VK_CONTROL) < 0;
}

bool ControlUp(void*) {
    return GetAsyncKeyState(VK_CONTROL) >= 0;
}

bool BoxGone(void* box) {
    return !IsWindow(static_cast<HWND>(box));
}

// Ctrl+double-click opens the position box; two refreshes come through its nested loop
// while it is open (back to the picture it opened on); then it is closed.
bool OpenAndClosePositionBox(const StartedProcess& process, HWND main, int number, Tally* tally) {
    const std::wstring title = L"Nuvelo ウィンドウの位置と大きさ  ";
    KeyDown(VK_CONTROL);
    if (!WaitUntil(ControlDown, nullptr, ReactionTimeout())) {
        KeyUp(VK_CONTROL);
        Note("Ctrl is not seen held");
        return false;
    }
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(LABEL_CONTROL, STN_DBLCLK), 0);
    HWND box = WaitForWindowByTitle(title, ReactionTimeout());
    const bool stillHeld = GetAsyncKeyState(VK_CONTROL) < 0;
    KeyUp(VK_CONTROL);
    // A later toggle must not find Ctrl still held.
    if (!WaitUntil(ControlUp, nullptr, ReactionTimeout())) {
        Note("Ctrl is still seen held");
        return false;
    }
    if (box == nullptr) {
        Note("no position box after refresh %d (Ctrl %s, style 0x%08llX)", number,
             stillHeld ? "held" : "let go by the system", static_cast<unsigned long long>(WindowStyle(main)));
        for (HWND window : ProcessWindows(process.id)) {
            NoteText("  window:", WindowText(window));
        }
        return false;
    }
    ++tally->boxes;
    bool ok = CHECK_EQ(process.id, WindowProcessId(box));
    ok = ok && Refresh(main, number + 1);
    ok = ok && Refresh(main, number);
    tally->refreshes += 2;
    CloseMessageBox(box);
    if (!WaitUntil(BoxGone, box, ReactionTimeout())) {
        Note("the position box after refresh %d stayed open", number);
        return false;
    }
    return ok;
}

// Refreshes first .. first + count - 1, with a toggle after every TOGGLE_EVERY-th and a
// position box after every BOX_EVERY-th (at BOX_PHASE); with measure, notes the footprint
// after every MEASURE_EVERY-th, so that a failure shows how the counts went.
bool Exercise(const StartedProcess& process, HWND main, int first, int count, Tally* tally, bool measure) {
    for (int i = 1; i <= count; ++i) {
        const int number = first + i - 1;
        if (!Refresh(main, number)) {
            return false;
        }
        ++tally->refreshes;
        if (i % TOGGLE_EVERY == 0) {
            if (!ToggleTitleBar(main, number)) {
                return false;
            }
            ++tally->toggles;
        }
        if (i % BOX_EVERY == BOX_PHASE && !OpenAndClosePositionBox(process, main, number, tally)) {
            return false;
        }
        if (measure && i % MEASURE_EVERY == 0 && i != count) {
            char when[64];
            snprintf(when, sizeof(when), "after %d refreshes", tally->refreshes);
            NoteFootprint(when, Measure(process, main));
        }
    }
    return true;
}

// What a reader of a failure needs: how far it came, whether the program still runs, and
// what it holds (a leak can make it too slow to follow before any count is compared).
void NoteState(const StartedProcess& process, HWND main, const Tally& tally) {
    Note("stopped after %d refreshes, %d toggles, %d boxes", tally.refreshes, tally.toggles, tally.boxes);
    DWORD exitCode = 0;
    if (HasExited(process)) {
        GetExitCodeProcess(process.process, &exitCode);
        Note("the program has ended with exit code 0x%08lX", static_cast<unsigned long>(exitCode));
        return;
    }
    NoteFootprint("now", Measure(process, main));
}

}  // namespace

// The counts are taken after a warm-up that has done everything a few times, so that what
// the program and the system set up once (and the allocator's first spread) is not growth.
SCENARIO(long_run_no_leak) {
    SetSlideshowInterval(SLIDESHOW_INTERVAL_MS);
    SetWallpaperSource(PictureFor(0).path);
    // Four lines and a fitted font in a fixed row height: each layout makes several fonts.
    StartedProcess process = StartNuvelo(L"d4 s24 H16");
    REQUIRE(process.process != nullptr);
    HWND main = WaitForWindowByClass(L"Nuvelo", StartTimeout());
    REQUIRE(main != nullptr);
    REQUIRE_EQ(process.id, WindowProcessId(main));
    // The pointer away from the window: a window appearing under the pointer makes the
    // display server's keyboard state, where Ctrl is up, overrule the Ctrl the driver holds.
    MoveMouseTo(1, 1);

    Tally warmUp = {};
    const DWORD warmUpStart = GetTickCount();
    if (!Exercise(process, main, 1, WARM_UP_REFRESHES, &warmUp, false)) {
        FAIL("the warm-up did not complete");
        NoteState(process, main, warmUp);
        return;
    }
    Note("warm-up: %d refreshes, %d toggles, %d boxes in %lu ms", warmUp.refreshes, warmUp.toggles,
         warmUp.boxes, static_cast<unsigned long>(GetTickCount() - warmUpStart));

    // Reading another process's address space runs a little of the system's code in it
    // the first time; a reading before the first counted one keeps that out of the figures.
    Measure(process, main);
    const Footprint before = Measure(process, main);
    NoteFootprint("before", before);
    REQUIRE(before.gdiRead);
    REQUIRE(before.memoryRead);
    CHECK(before.gdiByType[GDI_FONT] > 0);  // the label font is there to be counted

    Tally run = {};
    const DWORD runStart = GetTickCount();
    if (!Exercise(process, main, WARM_UP_REFRESHES + 1, REFRESHES, &run, true)) {
        FAIL("the run did not complete");
        NoteState(process, main, run);
        return;
    }
    Note("run: %d refreshes, %d toggles, %d boxes in %lu ms", run.refreshes, run.toggles, run.boxes,
         static_cast<unsigned long>(GetTickCount() - runStart));
    CHECK(run.refreshes >= 2000);

    const Footprint after = Measure(process, main);
    NoteFootprint("after", after);
    REQUIRE(after.gdiRead);
    REQUIRE(after.memoryRead);
    // The program's own objects exactly; the system's cache of window DCs may have grown
    // (an entry is a DC with its bitmap and region), within its bound and nothing else.
    CHECK_EQ(before.gdiByType[GDI_FONT], after.gdiByType[GDI_FONT]);
    CHECK_EQ(before.gdiByType[GDI_BRUSH], after.gdiByType[GDI_BRUSH]);
    const int cacheGrowth = std::max(0, after.gdiByType[GDI_DC] - before.gdiByType[GDI_DC]);
    CHECK(cacheGrowth <= DC_CACHE_ENTRIES);
    CHECK_EQ(0, std::max(0, after.gdiLive - before.gdiLive - 3 * cacheGrowth));
    CHECK_EQ(before.childWindows, after.childWindows);
    CHECK_EQ(before.topLevelWindows, after.topLevelWindows);
    const long long committedGrowth =
        static_cast<long long>(after.committedBytes) - static_cast<long long>(before.committedBytes);
    const long long privateGrowth =
        static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes);
    Note("growth: committed private regions %lld bytes, private memory %lld bytes (tolerance %lld)",
         committedGrowth, privateGrowth, static_cast<long long>(PRIVATE_TOLERANCE));
    CHECK(committedGrowth < static_cast<long long>(PRIVATE_TOLERANCE));
    CHECK(privateGrowth < static_cast<long long>(PRIVATE_TOLERANCE));
    CHECK(!HasExited(process));
}
