// Checks the program's stack guard (app/guard_win.cpp), linked here with the same entry
// point: two starts get two guards, neither of them zero; a protected function whose
// canary was overwritten ends the process at once with STATUS_STACK_BUFFER_OVERRUN. Without an argument it
// starts itself with "guard" twice (each ends with its guard's low 32 bits as exit code) and with "smash"
// once, and ends with 0 when all holds.
#include <windows.h>

#include <process.h>

#include <cstdio>
#include <cwchar>

extern "C" UINT_PTR __stack_chk_guard;

namespace {

volatile int smashLength = 64;

__attribute__((noinline)) void OverwriteCanary() {
    [[maybe_unused]] volatile char buffer[8];
    for (int i = 0; i < smashLength; ++i) {
        buffer[i] = 'x';
    }
}

// This program started with `mode`: its exit code, or 0 when it did not start or end.
DWORD Run(const wchar_t* mode) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    HANDLE child = reinterpret_cast<HANDLE>(_wspawnl(_P_NOWAIT, path, L"guard_test", mode, nullptr));
    DWORD code = 0;
    if (child != INVALID_HANDLE_VALUE) {
        if (WaitForSingleObject(child, 30000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(child, &code);
        }
        TerminateProcess(child, 0);
    }
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    if (std::wcscmp(arguments, L"guard") == 0) {
        return static_cast<int>(__stack_chk_guard);
    }
    if (std::wcscmp(arguments, L"planted") == 0) {
        // Started through the program's entry: a DLL beside it is not found by its bare name.
        return LoadLibraryW(L"nuvelo_planted.dll") == nullptr && GetLastError() == ERROR_MOD_NOT_FOUND ? 0
                                                                                                       : 1;
    }
    if (std::wcscmp(arguments, L"smash") == 0) {
        OverwriteCanary();
        return 0;
    }
    const DWORD first = Run(L"guard"), second = Run(L"guard"), smashed = Run(L"smash");
    std::printf("guards of two starts: %08lx %08lx; a smashed canary ends with %08lx\n", first, second,
                smashed);
    return first != 0 && second != 0 && first != second && smashed == STATUS_STACK_BUFFER_OVERRUN ? 0 : 1;
}
