// Checks the program's stack guard (app/guard_win.cpp), linked here with the same entry
// point: two starts get two guards, neither of them zero, seeded before the first
// constructor runs; a protected function whose canary was overwritten ends the process
// at once with STATUS_STACK_BUFFER_OVERRUN.
//
//   nuvelo_guard_test.exe            runs the checks; exit code 0 when all hold
//   nuvelo_guard_test.exe guard      ends with the guard's low 32 bits as exit code
//   nuvelo_guard_test.exe smash      overwrites a canary; ends with 0 if it returns
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>

extern "C" uintptr_t __stack_chk_guard;

namespace {

// A dynamic initialiser: it runs with the C runtime's constructors.
const uintptr_t guardAtConstruction = __stack_chk_guard;

volatile size_t smashLength = 64;

__attribute__((noinline)) void OverwriteCanary() {
    char buffer[8];
    for (size_t i = 0; i < smashLength; ++i) {
        reinterpret_cast<volatile char*>(buffer)[i] = 'x';
    }
}

DWORD RunChild(const wchar_t* mode) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t line[MAX_PATH + 16];
    std::swprintf(line, MAX_PATH + 16, L"\"%ls\" %ls", path, mode);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessW(path, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        WaitForSingleObject(info.hProcess, 30000);
        GetExitCodeProcess(info.hProcess, &code);
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    if (std::wcscmp(arguments, L"guard") == 0) {
        // A guard that changed after the constructors would have failed every protected
        // function running across the change.
        return guardAtConstruction == __stack_chk_guard ? static_cast<int>(guardAtConstruction) : 0;
    }
    if (std::wcscmp(arguments, L"smash") == 0) {
        OverwriteCanary();
        return 0;
    }
    const DWORD first = RunChild(L"guard");
    const DWORD second = RunChild(L"guard");
    const DWORD smashed = RunChild(L"smash");
    std::printf("guards of two starts: %08lx %08lx; a smashed canary ends with %08lx\n", first, second,
                smashed);
    const bool seeded = first != 0 && second != 0 && first != second;
    return seeded && smashed == STATUS_STACK_BUFFER_OVERRUN ? 0 : 1;
}
