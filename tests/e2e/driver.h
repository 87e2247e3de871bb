// The end-to-end driver: a 64-bit console program that starts Nuvelo.exe as a separate
// process under Wine, watches its windows through the Win32 API, sends real input and
// checks what happens.
//
//   nuvelo_driver.exe <scenario> <Windows path of Nuvelo.exe>
//   nuvelo_driver.exe --list
//
// Exit code 0 when every check of the scenario held, 1 otherwise, 2 for a bad command
// line. How to add a scenario: see tests/e2e/README.md.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Scenarios and checks

using ScenarioBody = void (*)();

struct ScenarioRegistration {
    ScenarioRegistration(const char* name, ScenarioBody body);
};

// A line starting with SCENARIO(name) becomes the CTest test e2e.name; a line starting
// with I386_SCENARIO(name) also becomes i386.name, run against the i386 build; one with
// DUAL_SCENARIO(name) becomes e2e.dual.name, on two monitors side by side: 0,0 to
// 1280,800 (primary) and 1280,0 to 2304,768, outside any virtual desktop.
#define NUVELO_SCENARIO(name)                                                \
    static void Scenario_##name();                                           \
    static ScenarioRegistration registration_##name(#name, Scenario_##name); \
    static void Scenario_##name()
#define SCENARIO(name) NUVELO_SCENARIO(name)
#define I386_SCENARIO(name) NUVELO_SCENARIO(name)
#define DUAL_SCENARIO(name) NUVELO_SCENARIO(name)

// Each failed check prints "file:line: what" with expected and actual values and marks
// the scenario failed; the scenario goes on unless the check is a REQUIRE, which returns
// from the scenario body (cleanup still runs).
void ReportFailure(const char* file, int line, const std::string& message);
bool CheckTrue(const char* file, int line, bool condition, const char* expression);
bool CheckEqualNumbers(const char* file,
                       int line,
                       long long expected,
                       long long actual,
                       const char* expression);
bool CheckEqualTexts(const char* file,
                     int line,
                     const std::wstring& expected,
                     const std::wstring& actual,
                     const char* expression);
// Prints an informational line (not a failure).
void Note(const char* format, ...);
void NoteText(const char* label, const std::wstring& text);

#define CHECK(condition) CheckTrue(__FILE__, __LINE__, (condition), #condition)
#define CHECK_EQ(expected, actual) \
    CheckEqualNumbers(__FILE__, __LINE__, (long long)(expected), (long long)(actual), #actual)
#define CHECK_TEXT(expected, actual) CheckEqualTexts(__FILE__, __LINE__, (expected), (actual), #actual)
#define REQUIRE(condition)     \
    do {                       \
        if (!CHECK(condition)) \
            return;            \
    } while (0)
#define REQUIRE_EQ(expected, actual)     \
    do {                                 \
        if (!CHECK_EQ(expected, actual)) \
            return;                      \
    } while (0)
#define FAIL(message) ReportFailure(__FILE__, __LINE__, (message))

// ---------------------------------------------------------------------------
// The target and its timing

// The Nuvelo.exe given on the command line.
const std::wstring& TargetPath();
// True for the i386 build (its path contains "win32"): every start runs through
// qemu-user and takes a second or two.
bool IsI386Target();
// Bound for a condition that follows a start (a window appearing, an exit): seconds for
// both builds, longer for the i386 build, and well inside the CTest limit, so that a
// failing scenario still ends what it started.
DWORD StartTimeout();
// Bound for a reaction of a program that already runs (a click, a second instance).
DWORD ReactionTimeout();

// "<caption> コマンドラインオプション一覧  " and "<caption> 現在のデスクトップ背景  ".
std::wstring OptionListTitle(const std::wstring& caption = L"Nuvelo");
std::wstring WindowTitle(const std::wstring& caption = L"Nuvelo");

// ---------------------------------------------------------------------------
// Processes. Every process started here is ended by the scenario's cleanup.

struct StartedProcess {
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    DWORD id = 0;
    bool debugged = false;
};

// Starts exePath (the target by default) with the command line "exePath" arguments.
// A null process handle on failure (reported).
StartedProcess StartNuvelo(const std::wstring& arguments, const std::wstring& exePath = std::wstring());
// The same with an exact command line; argument 0 is whatever the line says.
StartedProcess StartWithCommandLine(const std::wstring& exePath,
                                    const std::wstring& commandLine,
                                    DWORD creationFlags = 0);
// Copies the target to a fresh temporary folder under fileName ("walls", "wall.exe")
// and returns the copy's full path; the folder is removed at cleanup.
std::wstring CopyTargetAs(const std::wstring& fileName);
// True and the exit code when the process ended within timeoutMs.
bool WaitForExit(const StartedProcess& process, DWORD timeoutMs, DWORD* exitCode);
bool HasExited(const StartedProcess& process);
// Ends the process now (if it still runs) and waits for it.
void EndProcess(const StartedProcess& process);

// ---------------------------------------------------------------------------
// Waiting: bounded polls, never a bare sleep for a condition. The driver's own messages
// are pumped while waiting.

using Condition = bool (*)(void* context);
// Polls condition every 20 ms until it holds (true) or timeoutMs passed (false).
bool WaitUntil(Condition condition, void* context, DWORD timeoutMs);
// Lets time pass while pumping the driver's messages: only for the "nothing happens
// within this time" checks, such as waiting past the double-click time.
void PassTime(DWORD milliseconds);

// Top-level window by exact class (any title) or exact title (any class); null on timeout.
HWND WaitForWindowByClass(const std::wstring& className, DWORD timeoutMs);
HWND WaitForWindowByTitle(const std::wstring& title, DWORD timeoutMs);
// The top-level windows of one process (visible or not), in z-order.
std::vector<HWND> ProcessWindows(DWORD processId);
// Every top-level window with this exact title.
std::vector<HWND> WindowsTitled(const std::wstring& title);

// ---------------------------------------------------------------------------
// Reading windows

std::wstring WindowText(HWND window);
std::wstring ClassNameOf(HWND window);
// The message of a message box (its static text control 0xFFFF).
std::wstring MessageBoxMessage(HWND box);
// Closes a message box as its OK button (or another: IDYES, IDNO) would.
void CloseMessageBox(HWND box, int button = IDOK);
LONG_PTR WindowStyle(HWND window);
LONG_PTR WindowExStyle(HWND window);
RECT WindowRectOf(HWND window);
// Client rectangle in screen coordinates.
RECT ClientRectOnScreen(HWND window);
DWORD WindowProcessId(HWND window);

struct ChildInfo {
    HWND window;
    std::wstring className;
    std::wstring text;
    LONG_PTR style;
    int id;
    RECT rect;  // screen coordinates
};
// Direct children of parent, in z-order; with className only those of that class
// (compared without regard to case, e.g. L"Static").
std::vector<ChildInfo> ChildWindows(HWND parent, const wchar_t* className = nullptr);

struct LayeredInfo {
    bool read;  // GetLayeredWindowAttributes succeeded
    COLORREF key;
    BYTE alpha;
    DWORD flags;
};
LayeredInfo LayeredAttributes(HWND window);

// A visible window of the driver's own (white, closed at cleanup): something to take the
// foreground from Nuvelo, or to cover part of the screen.
HWND CreateProbeWindow(const std::wstring& title, const RECT& rect);
// What the probe window received from the mouse since it was made.
struct ProbeInput {
    int buttonDowns;
    int doubleClicks;
    POINT lastPoint;  // client coordinates
    WPARAM lastKeys;  // MK_SHIFT, MK_CONTROL of the last button message
};
const ProbeInput& ProbeInputSeen();

// ---------------------------------------------------------------------------
// Registry of the current user. The first change of a value in a scenario records its
// prior state; the scenario's cleanup puts every recorded value back (or deletes it
// when it did not exist), and removes the keys that setting a value made.

extern const wchar_t WALLPAPER_KEY[];  // Software\Microsoft\Internet Explorer\Desktop\General
extern const wchar_t SLIDESHOW_KEY[];  // Control Panel\Personalization\Desktop Slideshow
void SetWallpaperSource(const std::wstring& path);
// The same change as no registry notice reports it (the key becomes a link, pointed
// elsewhere): only a read shows it, as a slideshow refresh does. Call it before the
// start as well, so that the program watches a key the later changes leave alone.
void SetWallpaperSourceUnseen(const std::wstring& path);
void DeleteWallpaperSource();
void SetSlideshowInterval(DWORD milliseconds);
void DeleteSlideshowInterval();
// TranscodedImageCache under DESKTOP_KEY as Windows 8 and later write it: 800 bytes of
// REG_BINARY, a 24-byte header, then the path (cut to fit) and zeros.
extern const wchar_t DESKTOP_KEY[];  // Control Panel\Desktop
std::vector<BYTE> ImageCacheBytes(const std::wstring& path);
void SetImageCache(const std::wstring& path);
// TranscodedImageCache_NNN (0 to 999), device from byte 544. The primary monitor's device
// path as the program reads it, its class identifier in lower case as Windows writes it.
void SetMonitorImageCache(int index, const std::wstring& path, const std::wstring& device);
std::wstring MonitorDeviceForCache(POINT at = POINT{0, 0});  // of the monitor there
// The general forms behind the four above.
void SetRegistryValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size);
void DeleteRegistryValue(const wchar_t* key, const wchar_t* name);

// The registry as the target sees it: KEY_WOW64_32KEY for the i386 build.
REGSAM TargetView();
// The tests' stand-in desktop wallpaper class (tests/server, built beside the target)
// and a file type ".nuvelotest" whose open command is openCommand and whose
// PerceivedType is perceivedType, both under HKLM\Software\Classes (the only place Wine
// looks classes up). The runner removes them, and the server's HKCU values, before and
// after every scenario.
void RegisterTestClasses(const std::wstring& openCommand, const wchar_t* perceivedType = L"image");
void RemoveTestClasses();
extern const wchar_t WALLPAPER_SERVER_KEY[];  // HKCU: Status, Monitors, Calls

// ---------------------------------------------------------------------------
// Real input through SendInput

void MoveMouseTo(int x, int y);
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
struct DebugSession;
// Puts the pointer on (x, y) and waits until it reads back there (true) or about two
// seconds passed (false; noted).
// Waits serve session when it is not null (see RunDebugLoop).
bool AimPointer(DebugSession* session, int x, int y);
// Presses the key and waits until the system sees it held: true when it does.
bool HoldKey(DebugSession* session, WORD virtualKey);
// Aims the pointer there, then clicks the left button without moving it; with modifier
// (VK_SHIFT, VK_CONTROL) held from before the click until the target handled it.
void ClickAt(int x, int y, WORD modifier = 0, DebugSession* session = nullptr);
void DoubleClickAt(int x, int y, WORD modifier = 0, DebugSession* session = nullptr);
// The left button down or up at (x, y), for a pointer already aimed there (AimPointer).
void LeftButtonAt(int x, int y, bool down);
void PressKey(WORD virtualKey);
// The centre of a rectangle.
POINT CentreOf(const RECT& rect);

// ---------------------------------------------------------------------------
// Screen pixels (as the screen shows them, layered windows included)

COLORREF ScreenPixel(int x, int y);
// A 32-bit top-down bitmap whose pixels (0x00RRGGBB, row by row) are at *bits.
HBITMAP CreatePixelBitmap(int width, int height, void** bits);
// The pixels of a screen rectangle, row by row from the top.
std::vector<COLORREF> ScreenPixels(const RECT& rect);
// How many of the pixels shown in iconRect differ from the standard icon (IDI_...)
// drawn by the driver over the given background: 0 when a box shows that icon.
int IconDifference(const RECT& iconRect,
                   const std::vector<COLORREF>& shown,
                   COLORREF background,
                   LPCWSTR icon);

// ---------------------------------------------------------------------------
// Explorer capture: Nuvelo started as a debuggee; every process it starts is recorded
// with its command line and ended before it can open a window.

struct DebugSession {
    StartedProcess main;
    std::vector<std::wstring> childCommandLines;
    bool mainExited = false;
    DWORD mainExitCode = 0;
};

// Starts the target (or exePath) with DEBUG_PROCESS. Call RunDebugLoop from this same
// thread for every wait while the session lives: a debuggee stops at each debug event
// until the loop continues it.
bool StartDebugged(DebugSession& session,
                   const std::wstring& arguments,
                   const std::wstring& exePath = std::wstring());
// Handles debug events until condition holds or timeoutMs passed; the condition is
// also true once the main process has exited. Returns the condition's last value.
bool RunDebugLoop(DebugSession& session, Condition condition, void* context, DWORD timeoutMs);

// ---------------------------------------------------------------------------
// Waits that serve a debug session when there is one, and the conditions the scenarios
// share

// Waits for condition; with a session the debug loop runs while waiting. True only when
// the condition holds (a debuggee that ended does not make it true).
bool WaitWith(DebugSession* session, Condition condition, void* context, DWORD timeoutMs);
// Lets the whole time pass, likewise: only for "nothing happens within this time" checks.
void PassTimeWith(DebugSession* session, DWORD milliseconds);
// Runs the debug loop until one more child process was started or timeoutMs passed.
bool WaitForChildProcess(DebugSession& session, DWORD timeoutMs);
// Conditions over a window handle passed as the context.
bool Iconic(void* window);
bool IsForeground(void* window);
// The pointer reads back at the POINT passed as the context.
bool CursorRestsAt(void* point);
// Lower case, for comparing paths and file names.
std::wstring Lower(std::wstring text);

// ---------------------------------------------------------------------------
// Cleanup (the runner calls these; scenarios may call EndLeftoverInstances for other
// captions they use).

// Ends any process that owns a window of class caption or titled OptionListTitle(caption).
void EndLeftoverInstances(const std::wstring& caption);
void CleanUpScenario();

// The runner's view of the registered scenarios and the result.
struct ScenarioEntry {
    const char* name;
    ScenarioBody body;
};
std::vector<ScenarioEntry>& Scenarios();
void SetTargetPath(const std::wstring& path);
int FailureCount();
