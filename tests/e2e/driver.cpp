// The driver's helpers: checks and their report, processes, bounded waits, window
// reading, registry changes with restore, real input, screen pixels and the debug loop
// that records the processes Nuvelo starts.
#include "tests/e2e/driver.h"

#include <winternl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tests/e2e/unseen_change_win.h"

namespace {

std::wstring targetPath;
int failureCount;

std::vector<StartedProcess> startedProcesses;
std::vector<DWORD> debuggedRunning;  // debugged main processes whose exit was not yet seen
std::vector<std::wstring> copiedFiles;
std::vector<std::wstring> copiedFolders;
std::vector<std::wstring> copiedCaptions;
std::vector<HWND> probeWindows;

struct SavedValue {
    std::wstring key;
    std::wstring name;
    bool existed;
    DWORD type;
    std::vector<BYTE> data;
};
std::vector<SavedValue> savedValues;
// Keys a scenario's values made, each with the shallowest of its parents that was missing.
std::vector<std::pair<std::wstring, std::wstring>> createdKeys;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr,
                        nullptr);
    return result;
}

// Control characters shown as escapes so that line feeds and carriage returns are visible.
std::string Visible(const std::wstring& text) {
    std::wstring shown;
    for (wchar_t unit : text) {
        if (unit == L'\n') {
            shown += L"\\n";
        } else if (unit == L'\r') {
            shown += L"\\r";
        } else if (unit < 0x20) {
            wchar_t escape[8];
            swprintf(escape, 8, L"\\x%02X", static_cast<unsigned>(unit));
            shown += escape;
        } else {
            shown += unit;
        }
    }
    return "\"" + Utf8(shown) + "\"";
}

void Print(const std::string& line) {
    fwrite(line.data(), 1, line.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Registration and checks

std::vector<ScenarioEntry>& Scenarios() {
    static std::vector<ScenarioEntry> scenarios;
    return scenarios;
}

ScenarioRegistration::ScenarioRegistration(const char* name, ScenarioBody body) {
    Scenarios().push_back({name, body});
}

void SetTargetPath(const std::wstring& path) {
    targetPath = path;
}

int FailureCount() {
    return failureCount;
}

void ReportFailure(const char* file, int line, const std::string& message) {
    ++failureCount;
    char prefix[600];
    snprintf(prefix, sizeof(prefix), "%s:%d: FAILED: ", file, line);
    Print(prefix + message);
}

bool CheckTrue(const char* file, int line, bool condition, const char* expression) {
    if (!condition) {
        ReportFailure(file, line, std::string("expected true: ") + expression);
    }
    return condition;
}

bool CheckEqualNumbers(const char* file,
                       int line,
                       long long expected,
                       long long actual,
                       const char* expression) {
    if (expected == actual) {
        return true;
    }
    char message[700];
    snprintf(message, sizeof(message), "%s: expected %lld (0x%llX), actual %lld (0x%llX)", expression,
             expected, static_cast<unsigned long long>(expected), actual,
             static_cast<unsigned long long>(actual));
    ReportFailure(file, line, message);
    return false;
}

bool CheckEqualTexts(const char* file,
                     int line,
                     const std::wstring& expected,
                     const std::wstring& actual,
                     const char* expression) {
    if (expected == actual) {
        return true;
    }
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) {
        ++at;
    }
    char where[300];
    snprintf(where, sizeof(where),
             "\n    lengths %zu / %zu, first difference at unit %zu: expected U+%04X, actual U+%04X",
             expected.size(), actual.size(), at,
             at < expected.size() ? static_cast<unsigned>(expected[at]) : 0u,
             at < actual.size() ? static_cast<unsigned>(actual[at]) : 0u);
    ReportFailure(file, line,
                  std::string(expression) + "\n    expected " + Visible(expected) + "\n    actual   " +
                      Visible(actual) + where);
    return false;
}

void Note(const char* format, ...) {
    char text[1000];
    va_list list;
    va_start(list, format);
    vsnprintf(text, sizeof(text), format, list);
    va_end(list);
    Print(std::string("  note: ") + text);
}

void NoteText(const char* label, const std::wstring& text) {
    Print(std::string("  note: ") + label + " " + Visible(text));
}

// ---------------------------------------------------------------------------
// The target and its timing

const std::wstring& TargetPath() {
    return targetPath;
}

bool IsI386Target() {
    return Lower(targetPath).find(L"win32") != std::wstring::npos;
}

DWORD StartTimeout() {
    return IsI386Target() ? 40000 : 20000;
}

DWORD ReactionTimeout() {
    return IsI386Target() ? 15000 : 5000;
}

std::wstring OptionListTitle(const std::wstring& caption) {
    return caption + L" コマンドラインオプション一覧  ";
}

std::wstring WindowTitle(const std::wstring& caption) {
    return caption + L" 現在のデスクトップ背景  ";
}

// ---------------------------------------------------------------------------
// Processes

StartedProcess StartWithCommandLine(const std::wstring& exePath,
                                    const std::wstring& commandLine,
                                    DWORD creationFlags) {
    StartedProcess started;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessW(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                        nullptr, &startup, &info)) {
        ReportFailure(__FILE__, __LINE__,
                      "CreateProcessW failed for " + Visible(commandLine) + ", error " +
                          std::to_string(GetLastError()));
        return started;
    }
    started.process = info.hProcess;
    started.thread = info.hThread;
    started.id = info.dwProcessId;
    started.debugged = (creationFlags & (DEBUG_PROCESS | DEBUG_ONLY_THIS_PROCESS)) != 0;
    startedProcesses.push_back(started);
    if (started.debugged) {
        debuggedRunning.push_back(started.id);
    }
    return started;
}

StartedProcess StartNuvelo(const std::wstring& arguments, const std::wstring& exePath) {
    std::wstring exe = exePath.empty() ? targetPath : exePath;
    std::wstring line = L"\"" + exe + L"\"";
    if (!arguments.empty()) {
        line += L" " + arguments;
    }
    return StartWithCommandLine(exe, line);
}

std::wstring CopyTargetAs(const std::wstring& fileName) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial;
    std::wstring folder = std::wstring(temp) + L"nuvelo-e2e-" + std::to_wstring(GetCurrentProcessId()) +
                          L"-" + std::to_wstring(++serial);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        FAIL("cannot create the folder " + Visible(folder));
        return std::wstring();
    }
    copiedFolders.push_back(folder);
    std::wstring copy = folder + L"\\" + fileName;
    if (!CopyFileW(targetPath.c_str(), copy.c_str(), TRUE)) {
        FAIL("cannot copy the target to " + Visible(copy));
        return std::wstring();
    }
    copiedFiles.push_back(copy);
    // A copy's leftovers are found by its caption: the name less its last four characters.
    if (fileName.size() > 4) {
        copiedCaptions.push_back(fileName.substr(0, fileName.size() - 4));
    }
    return copy;
}

bool WaitForExit(const StartedProcess& process, DWORD timeoutMs, DWORD* exitCode) {
    if (process.process == nullptr) {
        return false;
    }
    if (WaitForSingleObject(process.process, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.process, &code);
    if (exitCode != nullptr) {
        *exitCode = code;
    }
    return true;
}

bool HasExited(const StartedProcess& process) {
    return process.process == nullptr || WaitForSingleObject(process.process, 0) == WAIT_OBJECT_0;
}

void EndProcess(const StartedProcess& process) {
    if (!HasExited(process)) {
        TerminateProcess(process.process, 1);
        if (!process.debugged) {
            WaitForSingleObject(process.process, 10000);
        }
    }
}

// ---------------------------------------------------------------------------
// Waiting

bool WaitUntil(Condition condition, void* context, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition(context)) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return condition(context);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
}

void PassTime(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
}

namespace {

struct WindowQuery {
    const std::wstring* className;
    const std::wstring* title;
    HWND found;
};

bool WindowFound(void* context) {
    WindowQuery* query = static_cast<WindowQuery*>(context);
    query->found = FindWindowW(query->className != nullptr ? query->className->c_str() : nullptr,
                               query->title != nullptr ? query->title->c_str() : nullptr);
    return query->found != nullptr;
}

struct WindowList {
    DWORD processId;
    const std::wstring* title;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter) {
    WindowList* list = reinterpret_cast<WindowList*>(parameter);
    if (list->processId != 0 && WindowProcessId(window) != list->processId) {
        return TRUE;
    }
    if (list->title != nullptr && WindowText(window) != *list->title) {
        return TRUE;
    }
    list->windows.push_back(window);
    return TRUE;
}

}  // namespace

HWND WaitForWindowByClass(const std::wstring& className, DWORD timeoutMs) {
    WindowQuery query = {&className, nullptr, nullptr};
    WaitUntil(WindowFound, &query, timeoutMs);
    return query.found;
}

HWND WaitForWindowByTitle(const std::wstring& title, DWORD timeoutMs) {
    WindowQuery query = {nullptr, &title, nullptr};
    WaitUntil(WindowFound, &query, timeoutMs);
    return query.found;
}

std::vector<HWND> ProcessWindows(DWORD processId) {
    WindowList list = {processId, nullptr, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&list));
    return list.windows;
}

std::vector<HWND> WindowsTitled(const std::wstring& title) {
    WindowList list = {0, &title, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&list));
    return list.windows;
}

// ---------------------------------------------------------------------------
// Reading windows

std::wstring WindowText(HWND window) {
    // Another process's window answers from the server's copy; no message is sent that
    // a stopped debuggee could leave unanswered.
    wchar_t text[1024];
    int length = InternalGetWindowText(window, text, ARRAYSIZE(text));
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256];
    int length = GetClassNameW(window, name, ARRAYSIZE(name));
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring MessageBoxMessage(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text == nullptr) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(8192);
    DWORD_PTR length = 0;
    // Not SMTO_ABORTIFHUNG: Wine counts a box left idle for five seconds as hung.
    if (!SendMessageTimeoutW(text, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_NORMAL, ReactionTimeout(), &length)) {
        return std::wstring();
    }
    return std::wstring(buffer.data(), static_cast<size_t>(length));
}

void CloseMessageBox(HWND box, int button) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

LONG_PTR WindowStyle(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}

LONG_PTR WindowExStyle(HWND window) {
    return GetWindowLongPtrW(window, GWL_EXSTYLE);
}

RECT WindowRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRectOnScreen(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

DWORD WindowProcessId(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

namespace {

struct ChildQuery {
    HWND parent;
    const wchar_t* className;
    std::vector<ChildInfo> children;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
    ChildQuery* query = reinterpret_cast<ChildQuery*>(parameter);
    if (GetAncestor(window, GA_PARENT) != query->parent) {
        return TRUE;
    }
    ChildInfo info;
    info.window = window;
    info.className = ClassNameOf(window);
    if (query->className != nullptr && lstrcmpiW(info.className.c_str(), query->className) != 0) {
        return TRUE;
    }
    info.text = WindowText(window);
    info.style = WindowStyle(window);
    info.id = GetDlgCtrlID(window);
    info.rect = WindowRectOf(window);
    query->children.push_back(info);
    return TRUE;
}

}  // namespace

std::vector<ChildInfo> ChildWindows(HWND parent, const wchar_t* className) {
    ChildQuery query = {parent, className, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&query));
    return query.children;
}

LayeredInfo LayeredAttributes(HWND window) {
    LayeredInfo info = {};
    info.read = GetLayeredWindowAttributes(window, &info.key, &info.alpha, &info.flags) != 0;
    return info;
}

namespace {

ProbeInput probeInput;

LRESULT CALLBACK ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        ++(message == WM_LBUTTONDOWN ? probeInput.buttonDowns : probeInput.doubleClicks);
        probeInput.lastPoint = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        probeInput.lastKeys = wParam;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

const ProbeInput& ProbeInputSeen() {
    return probeInput;
}

HWND CreateProbeWindow(const std::wstring& title, const RECT& rect) {
    static ATOM probeClass;
    if (probeClass == 0) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = ProbeProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = L"NuveloDriverProbe";
        probeClass = RegisterClassExW(&windowClass);
    }
    HWND window = CreateWindowExW(0, L"NuveloDriverProbe", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window != nullptr) {
        probeInput = ProbeInput();
        probeWindows.push_back(window);
        PumpMessages();
    }
    return window;
}

// ---------------------------------------------------------------------------
// Registry

const wchar_t WALLPAPER_KEY[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t SLIDESHOW_KEY[] = L"Control Panel\\Personalization\\Desktop Slideshow";
const wchar_t DESKTOP_KEY[] = L"Control Panel\\Desktop";

namespace {

void SaveValueOnce(const wchar_t* key, const wchar_t* name) {
    for (const SavedValue& saved : savedValues) {
        if (saved.key == key && saved.name == name) {
            return;
        }
    }
    SavedValue saved = {key, name, false, REG_NONE, {}};
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle) == ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExW(handle, name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            if (RegQueryValueExW(handle, name, nullptr, &saved.type, saved.data.data(), &size) ==
                ERROR_SUCCESS) {
                saved.existed = true;
                saved.data.resize(size);
            }
        }
        RegCloseKey(handle);
    }
    savedValues.push_back(saved);
}

// How many changes went through SetWallpaperSourceUnseen's link; 0 while there is none.
int unseenChanges = 0;

void RestoreRegistry() {
    unseen_change::RemoveLink(unseenChanges);
    unseenChanges = 0;
    for (size_t i = savedValues.size(); i-- > 0;) {
        const SavedValue& saved = savedValues[i];
        HKEY handle;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, saved.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &handle, nullptr) != ERROR_SUCCESS) {
            continue;
        }
        if (saved.existed) {
            RegSetValueExW(handle, saved.name.c_str(), 0, saved.type, saved.data.data(),
                           static_cast<DWORD>(saved.data.size()));
        } else {
            RegDeleteValueW(handle, saved.name.c_str());
        }
        RegCloseKey(handle);
    }
    savedValues.clear();
    for (const auto& [key, firstMissing] : createdKeys) {
        for (std::wstring path = key; RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS &&
                                      path.size() > firstMissing.size();) {
            path.resize(path.rfind(L'\\'));  // deepest first, up to the first one missing
        }
    }
    createdKeys.clear();
}

}  // namespace

void SetRegistryValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    SaveValueOnce(key, name);
    HKEY handle;
    for (size_t end = 0; end != std::wstring::npos;) {
        end = std::wstring(key).find(L'\\', end + 1);
        const std::wstring part = std::wstring(key).substr(0, end);
        if (RegOpenKeyExW(HKEY_CURRENT_USER, part.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
            createdKeys.emplace_back(key, part);  // the shallowest missing: the cleanup removes it
            break;
        }
        RegCloseKey(handle);
    }
    LONG status =
        RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS) {
        FAIL("cannot set the registry value " + Visible(std::wstring(key) + L"\\" + name) + ", status " +
             std::to_string(status));
    }
}

void DeleteRegistryValue(const wchar_t* key, const wchar_t* name) {
    SaveValueOnce(key, name);
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &handle) == ERROR_SUCCESS) {
        RegDeleteValueW(handle, name);
        RegCloseKey(handle);
    }
}

void SetWallpaperSource(const std::wstring& path) {
    SetRegistryValue(WALLPAPER_KEY, L"WallPaperSource", REG_SZ, path.c_str(),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

void SetWallpaperSourceUnseen(const std::wstring& path) {
    if (unseenChanges == 0) {
        DeleteWallpaperSource();  // recorded, so that the cleanup makes the plain key anew
    }
    const LONG status = unseen_change::SetWallpaperSourceThrough(unseenChanges++, path);
    if (status != ERROR_SUCCESS) {
        FAIL("cannot change WallPaperSource unseen, status " + std::to_string(status));
    }
}

void DeleteWallpaperSource() {
    DeleteRegistryValue(WALLPAPER_KEY, L"WallPaperSource");
}

void SetSlideshowInterval(DWORD milliseconds) {
    SetRegistryValue(SLIDESHOW_KEY, L"Interval", REG_DWORD, &milliseconds, sizeof(milliseconds));
}

void DeleteSlideshowInterval() {
    DeleteRegistryValue(SLIDESHOW_KEY, L"Interval");
}

std::vector<BYTE> ImageCacheBytes(const std::wstring& path) {
    // Magic, file size, width, height and a time: the header Windows writes.
    const DWORD header[6] = {0x7A, 482113, 1920, 1080, 0x5A3C1D00, 0x01DB2F6E};
    std::vector<BYTE> data(800, 0);
    memcpy(data.data(), header, sizeof(header));
    const size_t bytes = std::min(path.size() * sizeof(wchar_t), data.size() - sizeof(header));
    memcpy(data.data() + sizeof(header), path.c_str(), bytes);
    return data;
}

void SetImageCache(const std::wstring& path) {
    const std::vector<BYTE> data = ImageCacheBytes(path);
    SetRegistryValue(DESKTOP_KEY, L"TranscodedImageCache", REG_BINARY, data.data(),
                     static_cast<DWORD>(data.size()));
}

void SetMonitorImageCache(int index, const std::wstring& path, const std::wstring& device) {
    const std::wstring name = L"TranscodedImageCache_" + std::to_wstring(1000 + index).substr(1);
    std::vector<BYTE> data = ImageCacheBytes(path);
    memcpy(data.data() + 544, device.c_str(), std::min<size_t>(device.size() * sizeof(wchar_t), 254));
    SetRegistryValue(DESKTOP_KEY, name.c_str(), REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

std::wstring MonitorDeviceForCache(POINT at) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY), &info);
    DISPLAY_DEVICEW display{};
    display.cb = sizeof(display);
    EnumDisplayDevicesW(info.szDevice, 0, &display, EDD_GET_DEVICE_INTERFACE_NAME);
    std::wstring device = display.DeviceID;
    const size_t brace = std::min(device.rfind(L'{'), device.size());
    CharLowerBuffW(&device[0] + brace, static_cast<DWORD>(device.size() - brace));
    return device;
}

REGSAM TargetView() {
    return IsI386Target() ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

const wchar_t WALLPAPER_SERVER_KEY[] = L"Software\\Nuvelo tests\\Desktop wallpaper";

namespace {

const wchar_t WALLPAPER_CLASS[] = L"CLSID\\{C2CF3110-460E-4fc1-B9D0-8A1C0C9CC4BD}";

void SetClassValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + key).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | TargetView(), nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS) {
        FAIL("cannot register " + Visible(key) + ", status " + std::to_string(status));
    }
}

}  // namespace

void RegisterTestClasses(const std::wstring& openCommand, const wchar_t* perceivedType) {
    const std::wstring server =
        TargetPath().substr(0, TargetPath().rfind(L'\\')) + L"\\tests\\nuvelo_wallpaper_server.dll";
    CHECK(GetFileAttributesW(server.c_str()) != INVALID_FILE_ATTRIBUTES);
    SetClassValue(std::wstring(WALLPAPER_CLASS) + L"\\InprocServer32", nullptr, server);
    SetClassValue(std::wstring(WALLPAPER_CLASS) + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    SetClassValue(L".nuvelotest", nullptr, L"NuveloTest.Picture");
    SetClassValue(L".nuvelotest", L"PerceivedType", perceivedType);
    SetClassValue(L"NuveloTest.Picture\\shell\\open\\command", nullptr, openCommand);
}

// Both views, whichever build ran last. The class is removed only when it is the
// stand-in: on a Windows with the real class, it stays.
void RemoveTestClasses() {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY classes;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_ALL_ACCESS | view, &classes) ==
            ERROR_SUCCESS) {
            wchar_t server[MAX_PATH] = L"";
            DWORD size = sizeof(server) - sizeof(wchar_t);
            RegGetValueW(classes, (std::wstring(WALLPAPER_CLASS) + L"\\InprocServer32").c_str(), nullptr,
                         RRF_RT_REG_SZ, nullptr, server, &size);
            if (wcsstr(server, L"nuvelo_wallpaper_server") != nullptr) {
                RegDeleteTreeW(classes, WALLPAPER_CLASS);
            }
            RegDeleteTreeW(classes, L".nuvelotest");
            RegDeleteTreeW(classes, L"NuveloTest.Picture");
            RegCloseKey(classes);
        }
        HKEY software;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_ALL_ACCESS | view, &software) ==
            ERROR_SUCCESS) {
            RegDeleteTreeW(software, L"Nuvelo tests");
            RegCloseKey(software);
        }
    }
}

// ---------------------------------------------------------------------------
// Real input

namespace {

void SendOne(INPUT& input) {
    if (SendInput(1, &input, sizeof(INPUT)) != 1) {
        FAIL("SendInput failed, error " + std::to_string(GetLastError()));
    }
}

LONG Absolute(int coordinate, int metric) {
    return static_cast<LONG>(static_cast<long long>(coordinate) * 65535 / (GetSystemMetrics(metric) - 1));
}

void SendKey(WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    SendOne(input);
}

}  // namespace

void MoveMouseTo(int x, int y) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = Absolute(x, SM_CXSCREEN);
    input.mi.dy = Absolute(y, SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendOne(input);
}

// The button event names its point: without one Wine places it where its own idea of
// the pointer was, which can lag one move behind. A move to where the pointer already
// rests does not make Wine drop a held key.
void LeftButtonAt(int x, int y, bool down) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = Absolute(x, SM_CXSCREEN);
    input.mi.dy = Absolute(y, SM_CYSCREEN);
    input.mi.dwFlags =
        (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP) | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendOne(input);
}

void KeyDown(WORD virtualKey) {
    SendKey(virtualKey, 0);
}

void KeyUp(WORD virtualKey) {
    SendKey(virtualKey, KEYEVENTF_KEYUP);
}

void PressKey(WORD virtualKey) {
    KeyDown(virtualKey);
    KeyUp(virtualKey);
}

namespace {

bool KeyHeld(void* key) {
    return (GetAsyncKeyState(*static_cast<WORD*>(key)) & 0x8000) != 0;
}

}  // namespace

bool AimPointer(DebugSession* session, int x, int y) {
    POINT at = {x, y};
    for (int attempt = 0; attempt < 2; ++attempt) {
        MoveMouseTo(x, y);
        // The move reaches the X server and comes back as Wine's own pointer position;
        // a key pressed before that is undone when it comes.
        if (WaitWith(session, CursorRestsAt, &at, 1000)) {
            PassTimeWith(session, 200);
            if (CursorRestsAt(&at)) {
                return true;
            }
        }
    }
    // Wine reads the pointer back from the X server, which may not show a move while
    // the window under it is busy: the button events name their point all the same.
    POINT now = {};
    GetCursorPos(&now);
    Note("the pointer reads (%ld, %ld), not (%d, %d)", now.x, now.y, x, y);
    return false;
}

bool HoldKey(DebugSession* session, WORD virtualKey) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        KeyDown(virtualKey);
        if (WaitWith(session, KeyHeld, &virtualKey, 500)) {
            return true;
        }
        Note("the key was let go by the system; pressing it again");
        PassTimeWith(session, 300);
    }
    FAIL("the key does not stay down");
    return false;
}

// The click goes ahead even where the pointer cannot be seen to rest (an open menu or
// a busy window holds it), since its button events name their point; a held key is
// checked, so a key the system let go fails here and not as a wrong gesture.
static bool ReadyToClick(DebugSession* session, int x, int y, WORD modifier) {
    AimPointer(session, x, y);
    return modifier == 0 || HoldKey(session, modifier);
}

// Every pointer move makes Wine take the modifier state from the X server, where no
// key is down: so the pointer goes first and rests, the key follows, and the clicks do
// not move the pointer. The key is let go only once the target could handle the click,
// since a program samples it then, not when the click was made.
void ClickAt(int x, int y, WORD modifier, DebugSession* session) {
    if (!ReadyToClick(session, x, y, modifier)) {
        return;
    }
    LeftButtonAt(x, y, true);
    LeftButtonAt(x, y, false);
    if (modifier != 0) {
        PassTimeWith(session, 200);
        KeyUp(modifier);
    }
}

void DoubleClickAt(int x, int y, WORD modifier, DebugSession* session) {
    if (!ReadyToClick(session, x, y, modifier)) {
        return;
    }
    for (int i = 0; i < 2; ++i) {
        LeftButtonAt(x, y, true);
        LeftButtonAt(x, y, false);
    }
    if (modifier != 0) {
        PassTimeWith(session, 200);
        KeyUp(modifier);
    }
}

POINT CentreOf(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// ---------------------------------------------------------------------------
// Screen pixels

HBITMAP CreatePixelBitmap(int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

std::vector<COLORREF> ScreenPixels(const RECT& rect) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0) {
        return pixels;
    }
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreatePixelBitmap(width, height, &bits);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const DWORD* source = static_cast<const DWORD*>(bits);
        pixels.reserve(static_cast<size_t>(width) * height);
        for (int i = 0; i < width * height; ++i) {
            DWORD bgra = source[i];
            pixels.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

COLORREF ScreenPixel(int x, int y) {
    RECT rect = {x, y, x + 1, y + 1};
    std::vector<COLORREF> pixels = ScreenPixels(rect);
    return pixels.empty() ? CLR_INVALID : pixels[0];
}

// ---------------------------------------------------------------------------
// Explorer capture

namespace {

// The command line from the process block: PEB, then its process parameters.
std::wstring RemoteCommandLine(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG length = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), &length) != 0 ||
        basic.PebBaseAddress == nullptr) {
        return L"<process block unreadable>";
    }
    PEB peb = {};
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), &read)) {
        return L"<process block unreadable>";
    }
    RTL_USER_PROCESS_PARAMETERS parameters = {};
    if (peb.ProcessParameters == nullptr ||
        !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), &read)) {
        return L"<process parameters unreadable>";
    }
    const BYTE* buffer = reinterpret_cast<const BYTE*>(parameters.CommandLine.Buffer);
    // Parameters not yet normalised hold offsets from their own start.
    ULONG flags = *reinterpret_cast<const ULONG*>(&parameters.Reserved1[8]);
    if ((flags & 1) == 0) {
        buffer = reinterpret_cast<const BYTE*>(peb.ProcessParameters) + reinterpret_cast<uintptr_t>(buffer);
    }
    std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
    if (!line.empty() &&
        !ReadProcessMemory(process, buffer, &line[0], parameters.CommandLine.Length, &read)) {
        return L"<command line unreadable>";
    }
    return line;
}

void ForgetDebugged(DWORD processId) {
    for (size_t i = 0; i < debuggedRunning.size(); ++i) {
        if (debuggedRunning[i] == processId) {
            debuggedRunning.erase(debuggedRunning.begin() + static_cast<long>(i));
            return;
        }
    }
}

bool IsDebuggedMain(DWORD processId) {
    for (DWORD id : debuggedRunning) {
        if (id == processId) {
            return true;
        }
    }
    return false;
}

// Handles one debug event and lets the debuggee go on.
void HandleDebugEvent(const DEBUG_EVENT& event, DebugSession* session) {
    DWORD continueStatus = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile != nullptr) {
                CloseHandle(event.u.CreateProcessInfo.hFile);
            }
            // A child: record how it was started and end it before it opens any window.
            if (!IsDebuggedMain(event.dwProcessId)) {
                std::wstring line = RemoteCommandLine(event.u.CreateProcessInfo.hProcess);
                if (session != nullptr) {
                    session->childCommandLines.push_back(line);
                }
                NoteText("child process started:", line);
                TerminateProcess(event.u.CreateProcessInfo.hProcess, 0);
            }
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile != nullptr) {
                CloseHandle(event.u.LoadDll.hFile);
            }
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            if (IsDebuggedMain(event.dwProcessId)) {
                ForgetDebugged(event.dwProcessId);
                if (session != nullptr && event.dwProcessId == session->main.id) {
                    session->mainExited = true;
                    session->mainExitCode = event.u.ExitProcess.dwExitCode;
                }
            }
            break;
        case EXCEPTION_DEBUG_EVENT: {
            DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
            // The loader's breakpoints are the debugger's; everything else is the program's.
            if (code != EXCEPTION_BREAKPOINT && code != 0x4000001F /* STATUS_WX86_BREAKPOINT */) {
                continueStatus = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        }
        default:
            break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
}

}  // namespace

bool StartDebugged(DebugSession& session, const std::wstring& arguments, const std::wstring& exePath) {
    std::wstring exe = exePath.empty() ? targetPath : exePath;
    std::wstring line = L"\"" + exe + L"\"";
    if (!arguments.empty()) {
        line += L" " + arguments;
    }
    session = DebugSession();
    session.main = StartWithCommandLine(exe, line, DEBUG_PROCESS);
    return session.main.process != nullptr;
}

bool RunDebugLoop(DebugSession& session, Condition condition, void* context, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        // Asked once a round: a window that a layout hides for a moment would otherwise
        // pass the first asking and fail the next, and a query's result be emptied.
        const bool met = condition != nullptr && condition(context);
        if (session.mainExited || met) {
            if (condition != nullptr && !met) {
                Note("the program ended with exit code %lu", session.mainExitCode);
            }
            return condition == nullptr || met || session.mainExited;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return condition != nullptr && condition(context);
        }
        DEBUG_EVENT event;
        if (WaitForDebugEvent(&event, 20)) {
            HandleDebugEvent(event, &session);
        }
        PumpMessages();
    }
}

// ---------------------------------------------------------------------------
// Waits that serve a debug session, shared conditions

namespace {

struct Deadline {
    DWORD start;
    DWORD length;
};

bool DeadlinePassed(void* context) {
    Deadline* deadline = static_cast<Deadline*>(context);
    return GetTickCount() - deadline->start >= deadline->length;
}

struct ChildCount {
    DebugSession* session;
    size_t before;
};

bool ChildStarted(void* context) {
    ChildCount* count = static_cast<ChildCount*>(context);
    return count->session->childCommandLines.size() > count->before;
}

}  // namespace

bool WaitWith(DebugSession* session, Condition condition, void* context, DWORD timeoutMs) {
    if (session == nullptr) {
        return WaitUntil(condition, context, timeoutMs);
    }
    // The loop's own answer: asking again could catch a window a layout hides a moment.
    if (!RunDebugLoop(*session, condition, context, timeoutMs)) {
        return false;
    }
    return !session->mainExited || condition(context);
}

void PassTimeWith(DebugSession* session, DWORD milliseconds) {
    if (session == nullptr) {
        PassTime(milliseconds);
        return;
    }
    Deadline deadline = {GetTickCount(), milliseconds};
    // The loop returns early only when the debuggee ended; then time still passes.
    RunDebugLoop(*session, DeadlinePassed, &deadline, milliseconds + 1000);
    while (!DeadlinePassed(&deadline)) {
        PassTime(10);
    }
}

bool WaitForChildProcess(DebugSession& session, DWORD timeoutMs) {
    ChildCount count = {&session, session.childCommandLines.size()};
    RunDebugLoop(session, ChildStarted, &count, timeoutMs);
    return ChildStarted(&count);
}

bool Iconic(void* window) {
    return IsIconic(static_cast<HWND>(window)) != FALSE;
}

bool IsForeground(void* window) {
    return GetForegroundWindow() == static_cast<HWND>(window);
}

bool CursorRestsAt(void* point) {
    const POINT* wanted = static_cast<const POINT*>(point);
    POINT now = {};
    GetCursorPos(&now);
    return now.x == wanted->x && now.y == wanted->y;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& unit : text) {
        unit = static_cast<wchar_t>(towlower(unit));
    }
    return text;
}

// ---------------------------------------------------------------------------
// Cleanup

void EndLeftoverInstances(const std::wstring& caption) {
    std::wstring title = OptionListTitle(caption);
    for (int attempt = 0; attempt < 20; ++attempt) {
        HWND window = FindWindowW(caption.c_str(), nullptr);
        if (window == nullptr) {
            window = FindWindowW(nullptr, title.c_str());
        }
        if (window == nullptr) {
            return;
        }
        DWORD processId = WindowProcessId(window);
        if (processId == 0 || processId == GetCurrentProcessId()) {
            return;
        }
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
        if (process == nullptr) {
            return;
        }
        Note("ending a leftover instance (process %lu)", processId);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }
}

void CleanUpScenario() {
    // Message boxes first, as a user would close them; then whatever still runs.
    bool closedBox = false;
    for (const StartedProcess& started : startedProcesses) {
        if (started.debugged || HasExited(started)) {
            continue;
        }
        for (HWND window : ProcessWindows(started.id)) {
            if (ClassNameOf(window) == L"#32770") {
                CloseMessageBox(window);
                closedBox = true;
            }
        }
    }
    for (const StartedProcess& started : startedProcesses) {
        if (closedBox && !started.debugged) {
            WaitForSingleObject(started.process, 2000);
        }
        if (!HasExited(started)) {
            TerminateProcess(started.process, 1);
        }
    }
    // A debuggee finishes ending only when its debugger lets the exit event go.
    DWORD start = GetTickCount();
    while (!debuggedRunning.empty() && GetTickCount() - start < 10000) {
        DEBUG_EVENT event;
        if (WaitForDebugEvent(&event, 100)) {
            HandleDebugEvent(event, nullptr);
        }
    }
    for (const StartedProcess& started : startedProcesses) {
        WaitForSingleObject(started.process, started.debugged ? 100 : 10000);
        CloseHandle(started.thread);
        CloseHandle(started.process);
    }
    startedProcesses.clear();
    for (HWND window : probeWindows) {
        DestroyWindow(window);
    }
    probeWindows.clear();
    EndLeftoverInstances(L"Nuvelo");
    for (const std::wstring& caption : copiedCaptions) {
        EndLeftoverInstances(caption);
    }
    copiedCaptions.clear();
    RestoreRegistry();
    RemoveTestClasses();
    for (const std::wstring& file : copiedFiles) {
        DeleteFileW(file.c_str());
    }
    for (const std::wstring& folder : copiedFolders) {
        RemoveDirectoryW(folder.c_str());
    }
    copiedFiles.clear();
    copiedFolders.clear();
}

// Differences between the icon control's pixels on screen and a standard icon drawn by
// the driver over the same background.
int IconDifference(const RECT& iconRect,
                   const std::vector<COLORREF>& shown,
                   COLORREF background,
                   LPCWSTR icon) {
    int width = iconRect.right - iconRect.left;
    int height = iconRect.bottom - iconRect.top;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreatePixelBitmap(width, height, &bits);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, LoadIconW(nullptr, icon), width, height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    int differences = 0;
    const DWORD* drawn = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < shown.size() && i < static_cast<size_t>(width * height); ++i) {
        DWORD bgra = drawn[i];
        if (RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF) != shown[i]) {
            ++differences;
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return differences;
}
