// Start-up when the main window cannot be made. A CBT hook refuses the creation, as
// a hook of another program can. Start-up takes its arguments from the process's command
// line, so it runs in a child of this program started without arguments.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/startup_win.h"
#include "base/system_dll_win.h"
#include "tests/win/child_win.h"

namespace {

const wchar_t CHILD_MARK[] = L"NUVELO_SHELL_TEST_REFUSED_WINDOW";

LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int loopRan;

// Fires only inside a message loop; ends it so that the test ends either way.
void CALLBACK NoteLoop(HWND, UINT, UINT_PTR, DWORD) {
    loopRan = 1;
    PostQuitMessage(0);
}

}  // namespace

// The child's part, when the test below started this process for it: it runs before
// any test, as a test environment (not a test of its own), and ends the process.
class RefusedMainWindowChild : public testing::Environment {
public:
    void SetUp() override {
        if (GetEnvironmentVariableW(CHILD_MARK, nullptr, 0) == 0) {
            return;
        }
        SetWindowsHookExW(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId());
        SetTimer(nullptr, 0, 2000, NoteLoop);
        SetErrorMode(SEM_NOGPFAULTERRORBOX);
        const int exitCode = RunApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
        const UINT errorMode = SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
        // 0: ended at once with 0; 2: waited in a message loop that nothing would end;
        // 3: the system's error boxes were not turned off, or the starter's bit was lost.
        ExitProcess(loopRan ? 2 : GetErrorMode() != errorMode ? 3 : static_cast<UINT>(exitCode));
    }
};

testing::Environment* const childPart = testing::AddGlobalTestEnvironment(new RefusedMainWindowChild);

TEST(StartUp, RefusedMainWindowEndsStartUp) {
    SetEnvironmentVariableW(CHILD_MARK, L"1");
    const DWORD exitCode = RunToEnd(ThisProgramPath(), L"");
    SetEnvironmentVariableW(CHILD_MARK, nullptr);
    EXPECT_EQ(0u, exitCode)
        << "2: start-up went on into its message loop; 3: the error mode; 259: it did not "
           "start or end";
}

// A DLL of this project's own (the benchmark's queue hook, in no system folder) put
// beside this program under a name of its own: found by its bare name here, not in a
// process started through the program's entry point (the stack guard's test program,
// which is linked with it), nor by the System32 loader.
TEST(StartUp, DllsComeOnlyFromSystem32) {
    std::wstring folder = ThisProgramPath();
    folder.resize(folder.rfind(L'\\') + 1);
    const std::wstring planted = folder + L"nuvelo_planted.dll";
    ASSERT_TRUE(CopyFileW((folder + L"..\\bench\\nuvelo_queue_hook.dll").c_str(), planted.c_str(), FALSE))
        << "the win64 build's bench\\nuvelo_queue_hook.dll is needed";
    const HMODULE before = LoadLibraryW(L"nuvelo_planted.dll");
    EXPECT_NE(nullptr, before);
    if (before != nullptr) {
        FreeLibrary(before);
    }
    const DWORD entry = RunToEnd(folder + L"nuvelo_guard_test.exe", L"planted");
    const HMODULE system = LoadSystemLibrary(L"nuvelo_planted.dll");
    DeleteFileW(planted.c_str());
    EXPECT_EQ(0u, entry) << "1: the program's entry left the program's folder searched";
    EXPECT_EQ(nullptr, system);
    EXPECT_NE(nullptr, LoadSystemLibrary(L"shcore.dll"));
}
