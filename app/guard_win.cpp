// The stack protector's guard, its seeding and its failure, in place of GCC's libssp.
// libssp seeds the guard in a constructor through CryptAcquireContextA and
// CryptGenRandom, which loads a cryptographic provider (rsaenh) at every start.
// RtlGenRandom gives random bytes without one. The program's entry point is
// NuveloEntry (the link option -e in cmake/windows.cmake): it seeds the guard before
// the C runtime runs, so no protected function can start with one guard and return
// with another. Linking this file keeps libssp's ssp.o out: a second definition of the
// guard would not link. The entry also narrows the DLL search, before anything loads.
#include <windows.h>

#include <ntsecapi.h>

#include <cstdint>

#include "../base/system_dll_win.h"  // also built where the tree is no include folder

extern "C" {

// The name and the width the compiler's canary checks read.
uintptr_t __stack_chk_guard;

// The C runtime's entry for a windowed program (crt2u.o with -municode).
int WinMainCRTStartup();

// A canary found overwritten: end at once with the status Windows reports for a stack
// buffer overrun. Nothing of the damaged process runs again: no handler, no atexit.
// Where Windows has fast-fail (8 and later) it is the way out, since Windows Error
// Reporting then records the overrun and makes a report; TerminateProcess leaves none.
[[noreturn]] void __stack_chk_fail() {
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE)) {
        __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE) : "memory");
    }
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();
}

__attribute__((no_stack_protector)) int NuveloEntry() {
    RestrictDllSearchToSystem32();
    if (!RtlGenRandom(&__stack_chk_guard, sizeof(__stack_chk_guard))) {
        // The sources Microsoft's C runtime mixes for its cookie: different at every
        // start, and unknown to another process.
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        __stack_chk_guard = static_cast<uintptr_t>(counter.QuadPart) ^ GetCurrentProcessId() ^
                            (static_cast<uintptr_t>(GetCurrentThreadId()) << 16) ^ GetTickCount() ^
                            reinterpret_cast<uintptr_t>(&counter);
    }
    return WinMainCRTStartup();
}

}  // extern "C"
