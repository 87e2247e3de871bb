// Measures Nuvelo against the reference window under the same Wine; scripts/bench runs
// it and gathers its output into bench/results.json.
//
//   nuvelo_bench.exe startup <Nuvelo.exe> <bare reference.exe> <reference.exe> <starts per program>
//   nuvelo_bench.exe seed <seed_cost.exe> <starts per way>
//   nuvelo_bench.exe idle <Nuvelo.exe> <reference.exe> <seconds> <queue hook dll>
//   nuvelo_bench.exe refresh <Nuvelo.exe> <interval ms> <changes> <queue hook dll>
//   nuvelo_bench.exe fit <repeats> [option...]
//   nuvelo_bench.exe notice <Nuvelo.exe> <changes>
//
// fit lays out ten lines with the options given, by default s99999 W60: the fit starts at
// its highest without a fixed row (the screen's height) and only the smallest fonts fit
// the width.
//
// Prints one "key value" line per figure (a number, or a JSON array of numbers).
// The registry values it changes (WallPaperSource, the slideshow Interval) are put back
// at the end. Exit code 0, or 1 when a measurement could not be taken.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/options.h"
#include "base/settings.h"
#include "tests/e2e/unseen_change_win.h"
#include "wallpaper/lines.h"
#include "window/layout_win.h"
#include "window/placement.h"
#include "window/placement_win.h"
#include "window/shell_win.h"

namespace {

const wchar_t WALLPAPER_KEY[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t WALLPAPER_VALUE[] = L"WallPaperSource";
const wchar_t SLIDESHOW_KEY[] = L"Control Panel\\Personalization\\Desktop Slideshow";
const wchar_t SLIDESHOW_VALUE[] = L"Interval";
const wchar_t DESKTOP_KEY[] = L"Control Panel\\Desktop";
const wchar_t IMAGE_CACHE_VALUE[] = L"TranscodedImageCache";
const wchar_t NUVELO_CLASS[] = L"Nuvelo";
const wchar_t REFERENCE_CLASS[] = L"NuveloReference";
const wchar_t SINK_CLASS[] = L"NuveloBenchSink";
const wchar_t BENCH_WALLPAPER[] = L"C:\\Users\\bench\\Pictures\\Holiday\\beach at dawn.jpg";
const wchar_t TEN_COMPONENTS[] =
    L"C:\\One\\Two\\Three\\Four\\Five\\Six\\Seven\\Eight\\Nine\\Sunset over the bay.jpg";
const UINT_PTR SLIDESHOW_TIMER_ID = 101;
const DWORD START_BOUND_MS = 20000;
const DWORD EXIT_BOUND_MS = 5000;

// ---------------------------------------------------------------------------
// Output

void PrintNumber(const char* key, double value) {
    std::printf("%s %.4f\n", key, value);
}

void PrintArray(const char* key, const std::vector<double>& values) {
    std::printf("%s [", key);
    for (size_t i = 0; i < values.size(); ++i) {
        std::printf(i == 0 ? "%.3f" : ",%.3f", values[i]);
    }
    std::printf("]\n");
}

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const size_t low = static_cast<size_t>(at);
    const size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (at - static_cast<double>(low));
}

// Median, quartiles and extremes under one prefix.
void PrintSpread(const std::string& prefix, const std::vector<double>& values) {
    PrintNumber((prefix + "_median").c_str(), Quantile(values, 0.5));
    PrintNumber((prefix + "_p25").c_str(), Quantile(values, 0.25));
    PrintNumber((prefix + "_p75").c_str(), Quantile(values, 0.75));
    PrintNumber((prefix + "_min").c_str(), Quantile(values, 0));
    PrintNumber((prefix + "_max").c_str(), Quantile(values, 1));
    PrintArray((prefix + "_raw").c_str(), values);
}

// ---------------------------------------------------------------------------
// Clocks

double NowMs() {
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The clock the slideshow grid is counted on.
long long MillisecondsSinceMidnight() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return ((now.wHour * 60LL + now.wMinute) * 60 + now.wSecond) * 1000 + now.wMilliseconds;
}

// ---------------------------------------------------------------------------
// Registry: what the bench changes is recorded first and put back at the end.

struct SavedValue {
    const wchar_t* key;
    const wchar_t* name;
    bool existed;
    DWORD type;
    DWORD size;
    BYTE data[2048];
};

SavedValue savedValues[] = {{WALLPAPER_KEY, WALLPAPER_VALUE, false, 0, 0, {}},
                            {SLIDESHOW_KEY, SLIDESHOW_VALUE, false, 0, 0, {}},
                            {DESKTOP_KEY, IMAGE_CACHE_VALUE, false, 0, 0, {}}};

void SaveRegistry() {
    for (SavedValue& saved : savedValues) {
        HKEY key;
        saved.existed = false;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, saved.key, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            saved.size = sizeof(saved.data);
            saved.existed = RegQueryValueExW(key, saved.name, nullptr, &saved.type, saved.data,
                                             &saved.size) == ERROR_SUCCESS;
            RegCloseKey(key);
        }
    }
}

// Changes of the refresh measurement made through the link that no notice reports.
int unseenChanges = 0;

void RestoreRegistry() {
    unseen_change::RemoveLink(unseenChanges);
    for (const SavedValue& saved : savedValues) {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, saved.key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            continue;
        }
        if (saved.existed) {
            RegSetValueExW(key, saved.name, 0, saved.type, saved.data, saved.size);
        } else {
            RegDeleteValueW(key, saved.name);
        }
        RegCloseKey(key);
    }
}

void SetWallpaper(const wchar_t* path) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, WALLPAPER_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, WALLPAPER_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                       static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

void SetInterval(DWORD milliseconds) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SLIDESHOW_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, SLIDESHOW_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&milliseconds),
                       sizeof(milliseconds));
        RegCloseKey(key);
    }
}

// ---------------------------------------------------------------------------
// Processes and their windows

struct Started {
    PROCESS_INFORMATION info;
    HWND window;
    double startMs;    // just before CreateProcessW
    double visibleMs;  // first poll that found the window visible
};

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (wcscmp(className, search->className) != 0) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND VisibleWindowOf(DWORD processId, const wchar_t* className) {
    WindowSearch search{processId, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Starts exePath and polls (every millisecond, bounded) until its window of className
// is visible. A null window when it did not show within the bound.
Started StartAndWaitVisible(const std::wstring& exePath,
                            const std::wstring& arguments,
                            const wchar_t* className) {
    Started started{};
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    started.startMs = NowMs();
    if (!CreateProcessW(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started.info)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", exePath.c_str(), GetLastError());
        return started;
    }
    const double deadline = started.startMs + START_BOUND_MS;
    while (NowMs() < deadline) {
        started.window = VisibleWindowOf(started.info.dwProcessId, className);
        if (started.window != nullptr) {
            started.visibleMs = NowMs();
            break;
        }
        if (WaitForSingleObject(started.info.hProcess, 1) == WAIT_OBJECT_0) {
            break;
        }
    }
    return started;
}

// Closes the window as a user would and waits for the process; ends it when it stays.
void EndStarted(Started& started) {
    if (started.info.hProcess == nullptr) {
        return;
    }
    if (started.window != nullptr) {
        PostMessageW(started.window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(started.info.hProcess, EXIT_BOUND_MS) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "process %lu did not end on WM_CLOSE; terminated\n", started.info.dwProcessId);
        TerminateProcess(started.info.hProcess, 1);
        WaitForSingleObject(started.info.hProcess, EXIT_BOUND_MS);
    }
    CloseHandle(started.info.hThread);
    CloseHandle(started.info.hProcess);
    started.info.hProcess = nullptr;
}

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return -1;
    }
    const ULONGLONG k = (static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32) | kernel.dwLowDateTime;
    const ULONGLONG u = (static_cast<ULONGLONG>(user.dwHighDateTime) << 32) | user.dwLowDateTime;
    return static_cast<double>(k + u) / 10000.0;
}

// Set when PrivateUsage read 0 and the commit charge came from PagefileUsage.
bool privateFromPagefile;

// The process's commit charge. Wine leaves PrivateUsage at 0 and reports the same
// quantity as PagefileUsage, which Windows fills with the same value.
double PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters))) {
        return -1;
    }
    if (counters.PrivateUsage == 0) {
        privateFromPagefile = true;
        return static_cast<double>(counters.PagefileUsage);
    }
    return static_cast<double>(counters.PrivateUsage);
}

double WorkingSetBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) {
        return -1;
    }
    return static_cast<double>(counters.WorkingSetSize);
}

// ---------------------------------------------------------------------------
// The sink that the queue hook reports to, and the counts it keeps per process.

struct QueueCounts {
    DWORD processId;
    int slideshowTimers;
    int otherTimers;
    int otherMessages;
    int nullMessages;  // the WM_NULL the bench posts to prove the hook is in place
};

QueueCounts counted[2];

LRESULT CALLBACK SinkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 1 || message == WM_APP + 2) {
        for (QueueCounts& counts : counted) {
            if (counts.processId != static_cast<DWORD>(lParam)) {
                continue;
            }
            if (message == WM_APP + 1) {
                ++(wParam == SLIDESHOW_TIMER_ID ? counts.slideshowTimers : counts.otherTimers);
            } else if (wParam == WM_NULL) {
                ++counts.nullMessages;
            } else {
                ++counts.otherMessages;
            }
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateSink() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = SinkWndProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = SINK_CLASS;
    RegisterClassExW(&windowClass);
    // A plain hidden top level window: FindWindowW in the hooked process must see it.
    return CreateWindowExW(0, SINK_CLASS, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, windowClass.hInstance,
                           nullptr);
}

// Pumps the bench's own messages (the hook reports) for the given time.
void PumpFor(double milliseconds) {
    const double deadline = NowMs() + milliseconds;
    for (;;) {
        const double left = deadline - NowMs();
        if (left <= 0) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

// Hooks the program's GUI thread and proves the hook reports: a posted WM_NULL must
// come back within the bound.
HHOOK HookQueue(HMODULE hookModule, const Started& started, QueueCounts& counts) {
    HOOKPROC procedure = reinterpret_cast<HOOKPROC>(GetProcAddress(hookModule, "QueueHookProc"));
    if (procedure == nullptr) {
        return nullptr;
    }
    counts = QueueCounts{started.info.dwProcessId, 0, 0, 0, 0};
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, procedure, hookModule, started.info.dwThreadId);
    if (hook == nullptr) {
        return nullptr;
    }
    PostMessageW(started.window, WM_NULL, 0, 0);
    const double deadline = NowMs() + 5000;
    while (counts.nullMessages == 0 && NowMs() < deadline) {
        PumpFor(10);
    }
    return hook;
}

// ---------------------------------------------------------------------------
// Start-up: Nuvelo and the reference window without and with the program's hardening
// in turn, each start timed to its visible window.

int BenchStartup(const std::wstring& nuvelo,
                 const std::wstring& bare,
                 const std::wstring& hardened,
                 int starts) {
    SetWallpaper(BENCH_WALLPAPER);
    SetInterval(1800000);
    const std::wstring* programs[3] = {&nuvelo, &bare, &hardened};
    std::vector<double> ms[3];
    // One start of each first, not counted: the first one pays for cold caches.
    for (int round = -1; round < starts; ++round) {
        for (int which = 0; which < 3; ++which) {
            // Rotate which goes first, so that none always follows the same one.
            const int program = (round + 3 + which) % 3;
            Started started =
                StartAndWaitVisible(*programs[program], L"", program == 0 ? NUVELO_CLASS : REFERENCE_CLASS);
            if (started.window == nullptr) {
                std::fprintf(stderr, "no visible window after a start of %ls\n", programs[program]->c_str());
                EndStarted(started);
                return 1;
            }
            if (round >= 0) {
                ms[program].push_back(started.visibleMs - started.startMs);
            }
            EndStarted(started);
        }
    }
    PrintNumber("startup_starts_each", starts);
    PrintSpread("startup_nuvelo_ms", ms[0]);
    PrintSpread("startup_reference_ms", ms[1]);
    PrintSpread("startup_hardened_ms", ms[2]);
    PrintNumber("startup_ratio", Quantile(ms[0], 0.5) / Quantile(ms[1], 0.5));
    PrintNumber("startup_hardened_ratio", Quantile(ms[0], 0.5) / Quantile(ms[2], 0.5));
    return 0;
}

// ---------------------------------------------------------------------------
// The stack guard's seeding: tools/seed_cost.exe times one seeding in a fresh process,
// alone and followed by a first window, and ends with the time in tenths of a
// microsecond.

int BenchSeed(const std::wstring& seedCost, int starts) {
    const wchar_t* ways[4] = {L"crypt", L"rtl", L"crypt window", L"rtl window"};
    const char* keys[4] = {"seed_crypt_us", "seed_rtl_us", "seed_crypt_window_us", "seed_rtl_window_us"};
    std::vector<double> us[4];
    int failures[4] = {};
    for (int round = -1; round < starts; ++round) {
        for (int way = 0; way < 4; ++way) {
            std::wstring line = L"\"" + seedCost + L"\" " + ways[way];
            STARTUPINFOW startup{};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION info{};
            // 259 tenths of a microsecond read as STILL_ACTIVE: the wait tells the end.
            DWORD code = 0xFFFFFFFF;
            if (CreateProcessW(seedCost.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info)) {
                if (WaitForSingleObject(info.hProcess, START_BOUND_MS) == WAIT_OBJECT_0) {
                    GetExitCodeProcess(info.hProcess, &code);
                } else {
                    TerminateProcess(info.hProcess, 1);
                }
                CloseHandle(info.hThread);
                CloseHandle(info.hProcess);
            }
            if (code == 0xFFFFFFFF) {
                // No random bytes (the provider refused; libssp would then fall back to
                // a fixed guard) or no end: counted, not timed.
                std::fprintf(stderr, "%ls %ls gave no time\n", seedCost.c_str(), ways[way]);
                ++failures[way];
            } else if (round >= 0) {
                us[way].push_back(code / 10.0);
            }
        }
    }
    for (int way = 0; way < 4; ++way) {
        PrintSpread(keys[way], us[way]);
        PrintNumber((std::string(keys[way]) + "_failures").c_str(), failures[way]);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Idle: both programs side by side for the same seconds; CPU, queue wake-ups, memory.

// A slideshow interval whose next change lies beyond the measured time, so that the
// minute is idle while a slideshow is configured.
DWORD IntervalWithoutChangeWithin(double seconds) {
    const long long now = MillisecondsSinceMidnight();
    const long long needed = static_cast<long long>(seconds * 1000) + 20000;
    for (DWORD interval = 1800000; interval >= 600000; interval -= 60000) {
        const long long next = (now / interval + 1) * interval + 1000;
        if (next - now > needed) {
            return interval;
        }
    }
    return 3600000;
}

int BenchIdle(const std::wstring& nuvelo,
              const std::wstring& reference,
              double seconds,
              const std::wstring& hookDll) {
    SetWallpaper(BENCH_WALLPAPER);
    const DWORD interval = IntervalWithoutChangeWithin(seconds);
    SetInterval(interval);
    HMODULE hookModule = LoadLibraryW(hookDll.c_str());
    if (hookModule == nullptr) {
        std::fprintf(stderr, "cannot load %ls\n", hookDll.c_str());
        return 1;
    }
    CreateSink();
    Started programs[2] = {StartAndWaitVisible(nuvelo, L"", NUVELO_CLASS),
                           StartAndWaitVisible(reference, L"", REFERENCE_CLASS)};
    int result = 0;
    HHOOK hooks[2] = {};
    for (int i = 0; i < 2; ++i) {
        if (programs[i].window == nullptr) {
            std::fprintf(stderr, "no visible window for the idle measurement\n");
            result = 1;
        } else {
            hooks[i] = HookQueue(hookModule, programs[i], counted[i]);
        }
    }
    if (result == 0) {
        // Let both finish what start-up leaves (first paints), then count from zero.
        PumpFor(2000);
        double cpuBefore[2];
        for (int i = 0; i < 2; ++i) {
            counted[i].slideshowTimers = counted[i].otherTimers = counted[i].otherMessages = 0;
            cpuBefore[i] = CpuMs(programs[i].info.hProcess);
        }
        const double began = NowMs();
        PumpFor(seconds * 1000);
        const double elapsedMinutes = (NowMs() - began) / 60000.0;
        double cpu[2];
        for (int i = 0; i < 2; ++i) {
            cpu[i] = CpuMs(programs[i].info.hProcess) - cpuBefore[i];
        }
        PumpFor(200);  // reports still on their way
        const char* names[2] = {"nuvelo", "reference"};
        for (int i = 0; i < 2; ++i) {
            const std::string prefix = std::string("idle_") + names[i];
            PrintNumber((prefix + "_cpu_ms").c_str(), cpu[i]);
            PrintNumber((prefix + "_cpu_ms_per_min").c_str(), cpu[i] / elapsedMinutes);
            PrintNumber((prefix + "_hook_verified").c_str(), counted[i].nullMessages > 0 ? 1 : 0);
            PrintNumber((prefix + "_slideshow_timers").c_str(), counted[i].slideshowTimers);
            PrintNumber((prefix + "_other_timers").c_str(), counted[i].otherTimers);
            PrintNumber((prefix + "_other_messages").c_str(), counted[i].otherMessages);
            PrintNumber((prefix + "_private_bytes").c_str(), PrivateBytes(programs[i].info.hProcess));
            PrintNumber((prefix + "_working_set_bytes").c_str(), WorkingSetBytes(programs[i].info.hProcess));
            PrintNumber((prefix + "_cpu_total_ms").c_str(), CpuMs(programs[i].info.hProcess));
        }
        PrintNumber("idle_seconds", elapsedMinutes * 60);
        PrintNumber("idle_slideshow_interval_ms", interval);
        PrintNumber("idle_cpu_ms_per_min", cpu[0] / elapsedMinutes);
        // Wake-ups: timer expiries other than the slideshow's; and, stricter, any other
        // message the program took from its queue.
        PrintNumber("idle_wakeups_per_min", counted[0].otherTimers / elapsedMinutes);
        PrintNumber("idle_queue_messages_per_min", counted[0].otherMessages / elapsedMinutes);
        PrintNumber("private_bytes_nuvelo", PrivateBytes(programs[0].info.hProcess));
        PrintNumber("private_bytes_reference", PrivateBytes(programs[1].info.hProcess));
        PrintNumber("private_bytes_ratio",
                    PrivateBytes(programs[0].info.hProcess) / PrivateBytes(programs[1].info.hProcess));
        PrintNumber("private_bytes_from_pagefile_usage", privateFromPagefile ? 1 : 0);
        // Wine charges CPU time in whole clock ticks of the host.
        PrintNumber("idle_cpu_resolution_ms", 10);
        if (counted[0].nullMessages == 0) {
            std::fprintf(stderr, "the queue hook did not report from Nuvelo: wake-ups not counted\n");
            result = 1;
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (hooks[i] != nullptr) {
            UnhookWindowsHookEx(hooks[i]);
        }
        EndStarted(programs[i]);
    }
    return result;
}

// ---------------------------------------------------------------------------
// Refresh punctuality: a short slideshow interval, a new wallpaper name before each
// change, and the delay from the change's grid point to the new name on the labels.

struct LabelSearch {
    const wchar_t* wanted;
    bool found;
};

BOOL CALLBACK MatchLabel(HWND child, LPARAM context) {
    LabelSearch* search = reinterpret_cast<LabelSearch*>(context);
    wchar_t text[300] = {};
    GetWindowTextW(child, text, 300);
    if (wcsstr(text, search->wanted) != nullptr) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool LabelsShow(HWND main, const wchar_t* wanted) {
    if (!IsWindowVisible(main)) {
        return false;
    }
    LabelSearch search{wanted, false};
    EnumChildWindows(main, MatchLabel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Nuvelo started beside the bench's sink window, for a measurement of its refreshes; a
// null window (reported, the process ended) when it did not show.
Started StartWithSink(const std::wstring& nuvelo, const char* measurement) {
    CreateSink();
    Started started = StartAndWaitVisible(nuvelo, L"", NUVELO_CLASS);
    if (started.window == nullptr) {
        std::fprintf(stderr, "no visible window for the %s measurement\n", measurement);
        EndStarted(started);
    }
    return started;
}

int BenchRefresh(const std::wstring& nuvelo, DWORD interval, int changes, const std::wstring& hookDll) {
    // The registry's signal would show each name at once: the changes are made where
    // only the slideshow's read finds them.
    SetInterval(interval);
    unseen_change::SetWallpaperSourceThrough(unseenChanges++,
                                             L"C:\\Users\\bench\\Pictures\\refresh 0 end.jpg");
    HMODULE hookModule = LoadLibraryW(hookDll.c_str());
    Started started = StartWithSink(nuvelo, "refresh");
    if (started.window == nullptr) {
        return 1;
    }
    HHOOK hook = hookModule != nullptr ? HookQueue(hookModule, started, counted[0]) : nullptr;
    std::vector<double> delays;
    int missed = 0;
    for (int change = 1; change <= changes; ++change) {
        // Change the name well inside an interval, where no refresh is under way.
        long long phase = MillisecondsSinceMidnight() % interval;
        while (phase < 1500 || phase > static_cast<long long>(interval) - 1000) {
            PumpFor(5);
            phase = MillisecondsSinceMidnight() % interval;
        }
        wchar_t path[MAX_PATH];
        wchar_t wanted[64];
        swprintf(path, MAX_PATH, L"C:\\Users\\bench\\Pictures\\refresh %d end.jpg", change);
        swprintf(wanted, 64, L"refresh %d end", change);
        unseen_change::SetWallpaperSourceThrough(unseenChanges++, path);
        const long long now = MillisecondsSinceMidnight();
        const long long boundary = (now / interval + 1) * interval;
        long long seen = -1;
        while (seen < 0) {
            const long long t = MillisecondsSinceMidnight();
            const long long sinceBoundary = t >= now ? t - boundary : t + 86400000 - boundary;
            if (LabelsShow(started.window, wanted)) {
                seen = sinceBoundary;
            } else if (sinceBoundary > 4000) {
                break;
            } else {
                PumpFor(5);
            }
        }
        if (seen < 0) {
            ++missed;
            std::fprintf(stderr, "change %d: the new name did not show within 4 s of its boundary\n", change);
        } else {
            delays.push_back(static_cast<double>(seen) / 1000.0);
        }
    }
    PumpFor(200);
    PrintNumber("refresh_interval_ms", interval);
    PrintNumber("refresh_changes", static_cast<double>(delays.size()));
    PrintNumber("refresh_missed", missed);
    PrintNumber("refresh_slideshow_timers_seen", counted[0].slideshowTimers);
    PrintNumber("refresh_delay_s_min", Quantile(delays, 0));
    PrintNumber("refresh_delay_s_max", Quantile(delays, 1));
    PrintNumber("refresh_delay_s_median", Quantile(delays, 0.5));
    PrintArray("refresh_delay_s_raw", delays);
    if (hook != nullptr) {
        UnhookWindowsHookEx(hook);
    }
    EndStarted(started);
    return delays.empty() || missed > 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------
// The registry's change signal: with no slideshow set, the image cache rewritten as
// Windows writes it (800 bytes, the path at byte 24), and the time from the write to the
// new name on the labels.

void SetImageCache(const wchar_t* path) {
    BYTE data[800] = {0x7A};
    memcpy(data + 24, path, std::min(wcslen(path) * sizeof(wchar_t), sizeof(data) - 26));
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, DESKTOP_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, IMAGE_CACHE_VALUE, 0, REG_BINARY, data, sizeof(data));
        RegCloseKey(key);
    }
}

int BenchNotice(const std::wstring& nuvelo, int changes) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, SLIDESHOW_KEY, SLIDESHOW_VALUE);
    SetImageCache(L"C:\\Users\\bench\\Pictures\\notice 0 end.jpg");
    Started started = StartWithSink(nuvelo, "change-signal");
    if (started.window == nullptr) {
        return 1;
    }
    std::vector<double> delays;
    int missed = 0;
    for (int change = 1; change <= changes; ++change) {
        PumpFor(1000);
        wchar_t path[MAX_PATH];
        wchar_t wanted[64];
        swprintf(path, MAX_PATH, L"C:\\Users\\bench\\Pictures\\notice %d end.jpg", change);
        swprintf(wanted, 64, L"notice %d end", change);
        SetImageCache(path);
        const double written = NowMs();
        // Looked at every 10 ms, so the figure is an upper bound: reading another
        // process's labels every millisecond while it lays them out held its layout
        // for seconds now and then under Wine.
        while (!LabelsShow(started.window, wanted) && NowMs() - written < 5000) {
            PumpFor(10);
        }
        if (LabelsShow(started.window, wanted)) {
            delays.push_back(NowMs() - written);
        } else {
            ++missed;
            std::fprintf(stderr, "change %d: the new name did not show within 5 s of the write\n", change);
        }
    }
    PrintNumber("notice_changes", static_cast<double>(delays.size()));
    PrintNumber("notice_missed", missed);
    PrintSpread("notice_ms", delays);
    EndStarted(started);
    return delays.empty() || missed > 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------
// The worst font fit, in this process: LayoutLabels on a window made like the main one.

LabelLayout lastLayout;

// Settings from command-line arguments, as start-up would make them.
void SettingsFrom(const std::vector<const char16_t*>& arguments) {
    SetDefaultSettings(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    for (const char16_t* argument : arguments) {
        ApplyOption(argument);
    }
    ComputeDerivedFrameValues();
}

// Milliseconds of each of repeats layouts: the first reads the path, the rest refit it.
std::vector<double> TimeLayouts(HWND window, int repeats) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const double began = NowMs();
        LayoutLabels(window, i == 0 ? 1 : 0, 0);
        times.push_back(NowMs() - began);
    }
    return times;
}

int BenchFit(int repeats, const std::vector<const char16_t*>& options) {
    appInstance = GetModuleHandleW(nullptr);
    SetWallpaper(TEN_COMPONENTS);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = appInstance;
    windowClass.lpszClassName = L"NuveloBenchLayout";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"fit", STYLE_CAPTION, 0, 0, 100, 100,
                                  nullptr, nullptr, appInstance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    // The same text and font without a fixed width or row height: what the fit adds.
    std::vector<const char16_t*> fitting{u"D10"};
    std::vector<const char16_t*> plainOptions{u"D10"};
    for (const char16_t* option : options) {
        fitting.push_back(option);
        if (option[0] != u'W' && option[0] != u'H') {
            plainOptions.push_back(option);
        }
    }
    SettingsFrom(plainOptions);
    const std::vector<double> plain = TimeLayouts(window, repeats);
    SettingsFrom(fitting);
    const std::vector<double> fitted = TimeLayouts(window, repeats);
    RECT outer;
    GetWindowRect(window, &outer);
    std::printf("fit_options \"");
    for (size_t i = 0; i < options.size(); ++i) {
        std::printf(i == 0 ? "%ls" : " %ls", reinterpret_cast<const wchar_t*>(options[i]));
    }
    std::printf("\"\n");
    PrintNumber("fit_lines", lineCount);
    PrintNumber("fit_outer_width", outer.right - outer.left);
    PrintNumber("fit_row_height", rowHeight);
    PrintNumber("worst_fit_ms", Quantile(fitted, 0.5));
    PrintSpread("fit_ms", fitted);
    PrintSpread("fit_plain_ms", plain);
    DestroyWindow(window);
    return lineCount == 10 ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: nuvelo_bench startup <Nuvelo.exe> <bare reference.exe> <reference.exe> <starts>\n"
                 "       nuvelo_bench seed <seed_cost.exe> <starts>\n"
                 "       nuvelo_bench idle <Nuvelo.exe> <reference.exe> <seconds> <hook.dll>\n"
                 "       nuvelo_bench refresh <Nuvelo.exe> <interval ms> <changes> <hook.dll>\n"
                 "       nuvelo_bench fit <repeats> [option...]\n"
                 "       nuvelo_bench notice <Nuvelo.exe> <changes>\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        return Usage();
    }
    const std::wstring command = argv[1];
    SaveRegistry();
    int result = 2;
    if (command == L"startup" && argc == 6) {
        result = BenchStartup(argv[2], argv[3], argv[4], _wtoi(argv[5]));
    } else if (command == L"seed" && argc == 4) {
        result = BenchSeed(argv[2], _wtoi(argv[3]));
    } else if (command == L"idle" && argc == 6) {
        result = BenchIdle(argv[2], argv[3], _wtof(argv[4]), argv[5]);
    } else if (command == L"refresh" && argc == 6) {
        result = BenchRefresh(argv[2], static_cast<DWORD>(_wtoi(argv[3])), _wtoi(argv[4]), argv[5]);
    } else if (command == L"notice" && argc == 4) {
        result = BenchNotice(argv[2], _wtoi(argv[3]));
    } else if (command == L"fit") {
        std::vector<const char16_t*> options;
        for (int i = 3; i < argc; ++i) {
            options.push_back(reinterpret_cast<const char16_t*>(argv[i]));
        }
        if (options.empty()) {
            options = {u"s99999", u"W60"};
        }
        result = BenchFit(_wtoi(argv[2]), options);
    } else {
        Usage();
    }
    RestoreRegistry();
    std::fflush(stdout);
    return result;
}
