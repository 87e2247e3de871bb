// The two builds behave alike: the same command lines give the x86-64 and the i386
// build the same window (rectangle, styles, owner) and the same labels (texts, styles,
// rectangles). The target is compared with the x86-64 build beside it.
#include "tests/e2e/driver.h"

#include <shellapi.h>

#include <cwctype>

namespace {

const wchar_t ALIKE_WALLPAPER[] =
    L"C:\\users\\Public\\Pictures\\Coast\\Northern harbours\\Evening light over the old harbour.jpg";

const wchar_t* const ALIKE_LINES[] = {
    L"", L"d3 e", L"D3 e", L"t W300 s0", L"T H40 F\"Tahoma\"", L"i",
};
const size_t ALIKE_COUNT = sizeof(ALIKE_LINES) / sizeof(ALIKE_LINES[0]);

struct LabelShape {
    std::wstring text;
    LONG_PTR style;
    int id;
    RECT rect;
};

struct WindowShape {
    bool read = false;
    std::wstring title;
    RECT rect = {};
    RECT client = {};
    LONG_PTR style = 0;
    LONG_PTR exStyle = 0;
    bool owned = false;
    std::vector<LabelShape> labels;
};

bool SameShape(const WindowShape& a, const WindowShape& b) {
    if (a.title != b.title || !EqualRect(&a.rect, &b.rect) || !EqualRect(&a.client, &b.client) ||
        a.style != b.style || a.exStyle != b.exStyle || a.owned != b.owned ||
        a.labels.size() != b.labels.size()) {
        return false;
    }
    for (size_t i = 0; i < a.labels.size(); ++i) {
        const LabelShape& x = a.labels[i];
        const LabelShape& y = b.labels[i];
        if (x.text != y.text || x.style != y.style || x.id != y.id || !EqualRect(&x.rect, &y.rect)) {
            return false;
        }
    }
    return true;
}

WindowShape ReadShape(HWND window) {
    WindowShape shape;
    shape.read = true;
    shape.title = WindowText(window);
    shape.rect = WindowRectOf(window);
    shape.client = ClientRectOnScreen(window);
    shape.style = WindowStyle(window);
    shape.exStyle = WindowExStyle(window);
    shape.owned = GetWindow(window, GW_OWNER) != nullptr;
    for (const ChildInfo& child : ChildWindows(window, L"Static")) {
        shape.labels.push_back({child.text, child.style, child.id, child.rect});
    }
    return shape;
}

struct Instance {
    std::wstring caption;
    StartedProcess process;
    HWND main = nullptr;
    WindowShape shape;
    WindowShape lastRead;
};

// The instance's window is shown, has its labels, and reads the same twice in a row.
bool Settled(void* context) {
    Instance* instance = static_cast<Instance*>(context);
    HWND main = FindWindowW(instance->caption.c_str(), nullptr);
    if (main == nullptr || !IsWindowVisible(main) || WindowProcessId(main) != instance->process.id) {
        return false;
    }
    WindowShape now = ReadShape(main);
    if (now.labels.empty()) {
        return false;
    }
    bool same = instance->lastRead.read && SameShape(now, instance->lastRead);
    instance->lastRead = now;
    if (same) {
        instance->main = main;
        instance->shape = now;
    }
    return same;
}

bool AllSettled(void* context) {
    std::vector<Instance>* instances = static_cast<std::vector<Instance>*>(context);
    bool all = true;
    for (Instance& instance : *instances) {
        if (instance.main == nullptr && !Settled(&instance)) {
            all = false;
        }
    }
    return all;
}

// The x86-64 build beside the target: the last "win32" of its path made "win64".
std::wstring ReferencePath(const std::wstring& target) {
    size_t at = Lower(target).rfind(L"win32");
    if (at == std::wstring::npos) {
        return target;
    }
    std::wstring path = target;
    path.replace(at, 5, L"win64");
    return path;
}

struct Launch {
    std::wstring exePath;
    std::wstring commandLine;
    PROCESS_INFORMATION info;
    DWORD error;  // 0 when started
};

DWORD WINAPI LaunchOne(void* context) {
    Launch* launch = static_cast<Launch*>(context);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::vector<wchar_t> line(launch->commandLine.begin(), launch->commandLine.end());
    line.push_back(0);
    launch->error = 0;
    if (!CreateProcessW(launch->exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &launch->info)) {
        launch->error = GetLastError();
    }
    return 0;
}

// Starts every launch at once: a start of the i386 build returns only once qemu-user
// has loaded the program (about a minute), so one after the other would take minutes.
// Six such starts share the processor, so they are given twice the bound of one. False
// when a start did not return in time; the launches then stay with their threads.
bool LaunchTogether(Launch* launches, size_t count) {
    std::vector<HANDLE> threads;
    for (size_t i = 0; i < count; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, LaunchOne, &launches[i], 0, nullptr);
        if (thread == nullptr) {
            LaunchOne(&launches[i]);
        } else {
            threads.push_back(thread);
        }
    }
    bool returned =
        threads.empty() || WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE,
                                                  2 * StartTimeout()) == WAIT_OBJECT_0;
    for (HANDLE thread : threads) {
        CloseHandle(thread);
    }
    return returned;
}

// Copies exePath under one name per command line (each copy its own caption, so that
// all of them run at once), starts them all and reads each window once it settled.
// Every window is then closed as the user would, and must end with exit code 0.
std::vector<Instance> RunAll(const std::wstring& exePath, const char* buildName) {
    std::vector<Instance> instances(ALIKE_COUNT);
    const std::wstring target = TargetPath();
    DWORD started = GetTickCount();
    // On the heap: a start that never returns keeps its thread writing into it.
    std::vector<Launch>& launches = *new std::vector<Launch>(ALIKE_COUNT);
    for (size_t i = 0; i < ALIKE_COUNT; ++i) {
        // The driver copies its target; point it at this build for the copy only.
        SetTargetPath(exePath);
        std::wstring caption = L"Alike" + std::to_wstring(i + 1);
        std::wstring copy = CopyTargetAs(caption + L".exe");
        SetTargetPath(target);
        instances[i].caption = caption;
        launches[i].exePath = copy;
        launches[i].commandLine = L"\"" + copy + L"\"";
        if (ALIKE_LINES[i][0] != 0) {
            launches[i].commandLine += std::wstring(L" ") + ALIKE_LINES[i];
        }
    }
    if (!CHECK(LaunchTogether(launches.data(), ALIKE_COUNT))) {
        return instances;
    }
    for (size_t i = 0; i < ALIKE_COUNT; ++i) {
        if (!CHECK_EQ(0, launches[i].error)) {
            NoteText("could not start:", launches[i].commandLine);
            continue;
        }
        instances[i].process.process = launches[i].info.hProcess;
        instances[i].process.thread = launches[i].info.hThread;
        instances[i].process.id = launches[i].info.dwProcessId;
    }
    Note("%s build: %zu processes started after %.1f s", buildName, ALIKE_COUNT,
         (GetTickCount() - started) / 1000.0);
    if (!CHECK(WaitUntil(AllSettled, &instances, StartTimeout()))) {
        for (size_t i = 0; i < ALIKE_COUNT; ++i) {
            if (instances[i].main == nullptr) {
                NoteText("no settled window for the arguments", ALIKE_LINES[i]);
            }
        }
    }
    Note("%s build: %zu windows settled after %.1f s", buildName, ALIKE_COUNT,
         (GetTickCount() - started) / 1000.0);
    for (Instance& instance : instances) {
        if (instance.main != nullptr) {
            PostMessageW(instance.main, WM_CLOSE, 0, 0);
        }
    }
    for (size_t i = 0; i < ALIKE_COUNT; ++i) {
        DWORD exitCode = STILL_ACTIVE;
        if (instances[i].main != nullptr &&
            (!CHECK(WaitForExit(instances[i].process, StartTimeout(), &exitCode)) ||
             !CHECK_EQ(0, exitCode))) {
            NoteText("arguments:", ALIKE_LINES[i]);
        }
    }
    Note("%s build: all ended after %.1f s", buildName, (GetTickCount() - started) / 1000.0);
    // These starts are the scenario's own: whatever still runs is ended here.
    for (Instance& instance : instances) {
        EndProcess(instance.process);
        if (instance.process.process != nullptr) {
            CloseHandle(instance.process.thread);
            CloseHandle(instance.process.process);
        }
        instance.process = StartedProcess();
    }
    delete &launches;
    return instances;
}

void NoteRect(const char* what, const RECT& rect) {
    Note("  %s %ld,%ld - %ld,%ld", what, rect.left, rect.top, rect.right, rect.bottom);
}

void CompareShapes(const std::wstring& arguments, const WindowShape& reference, const WindowShape& target) {
    NoteText("arguments:", arguments);
    if (!CHECK(reference.read && target.read)) {
        return;
    }
    CHECK_TEXT(reference.title, target.title);
    if (!CHECK(EqualRect(&reference.rect, &target.rect))) {
        NoteRect("x86-64 window", reference.rect);
        NoteRect("target window", target.rect);
    }
    if (!CHECK(EqualRect(&reference.client, &target.client))) {
        NoteRect("x86-64 client", reference.client);
        NoteRect("target client", target.client);
    }
    CHECK_EQ(reference.style, target.style);
    CHECK_EQ(reference.exStyle, target.exStyle);
    CHECK_EQ(reference.owned, target.owned);
    if (!CHECK_EQ(reference.labels.size(), target.labels.size())) {
        return;
    }
    for (size_t i = 0; i < reference.labels.size(); ++i) {
        const LabelShape& x = reference.labels[i];
        const LabelShape& y = target.labels[i];
        CHECK_TEXT(x.text, y.text);
        CHECK_EQ(x.style, y.style);
        CHECK_EQ(x.id, y.id);
        if (!CHECK(EqualRect(&x.rect, &y.rect))) {
            NoteRect("x86-64 label", x.rect);
            NoteRect("target label", y.rect);
        }
    }
}

// Wine shows its taskbar only while the notification area holds an icon, and the work
// area of a program started then is smaller by the taskbar. The i instance's icon would
// move the windows placed after it; an icon of the driver's keeps the taskbar up for
// every start. The work area that new programs see follows the taskbar a moment later
// (the driver's own view of it does not change), so a first run of the x86-64 build
// is only a warm-up, and the reference is taken after the target's run.
struct TaskbarHolder {
    HWND window;
    bool added;
};

bool TaskbarShown(void*) {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    return tray != nullptr && IsWindowVisible(tray);
}

TaskbarHolder HoldTaskbar() {
    TaskbarHolder holder = {CreateWindowExW(0, L"Static", L"alike holder", 0, 0, 0, 0, 0, nullptr, nullptr,
                                            GetModuleHandleW(nullptr), nullptr),
                            false};
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof(record);
    record.hWnd = holder.window;
    record.uID = 7;
    record.uFlags = NIF_ICON | NIF_TIP;
    record.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(record.szTip, L"alike", ARRAYSIZE(record.szTip));
    holder.added = Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
    CHECK(holder.added);
    CHECK(WaitUntil(TaskbarShown, nullptr, ReactionTimeout()));
    return holder;
}

void ReleaseTaskbar(const TaskbarHolder& holder) {
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof(record);
    record.hWnd = holder.window;
    record.uID = 7;
    if (holder.added) {
        Shell_NotifyIconW(NIM_DELETE, &record);
    }
    DestroyWindow(holder.window);
}

}  // namespace

I386_SCENARIO(window_alike) {
    // As Windows 10 leaves them: a stale WallPaperSource, the picture in the image cache.
    SetWallpaperSource(L"C:\\Windows\\Web\\Wallpaper\\Windows\\img0.jpg");
    SetImageCache(ALIKE_WALLPAPER);
    GetDesktopWindow();  // the desktop's shell, with its taskbar, starts with it
    REQUIRE(WaitForWindowByClass(L"Shell_TrayWnd", StartTimeout()) != nullptr);
    TaskbarHolder holder = HoldTaskbar();
    const std::wstring reference = ReferencePath(TargetPath());
    NoteText("x86-64 build:", reference);
    REQUIRE(GetFileAttributesW(reference.c_str()) != INVALID_FILE_ATTRIBUTES);
    std::vector<Instance> warmUp = RunAll(reference, "x86-64 (warm-up)");
    std::vector<Instance> actual = RunAll(TargetPath(), IsI386Target() ? "i386" : "target");
    std::vector<Instance> expected = RunAll(reference, "x86-64");
    if (!SameShape(warmUp[0].shape, expected[0].shape)) {
        Note("the warm-up run was placed in another work area");
    }
    for (size_t i = 0; i < ALIKE_COUNT; ++i) {
        CompareShapes(ALIKE_LINES[i], expected[i].shape, actual[i].shape);
    }
    CHECK(!actual[0].shape.labels.empty() &&
          actual[0].shape.labels[0].text == L" Evening light over the old harbour ");
    // The lines differ from each other, so a reading that ignored them would not pass.
    CHECK(!SameShape(expected[1].shape, expected[2].shape));
    CHECK(!SameShape(expected[0].shape, expected[3].shape));
    CHECK(expected[5].shape.owned && !expected[0].shape.owned);
    ReleaseTaskbar(holder);
}
