// Times one way of seeding the stack protector's guard, once, in a process that has not
// seeded one (built without the stack protector), and ends with the time in tenths of a
// microsecond as exit code. scripts/bench starts it many times.
//
//   seed_cost.exe crypt   libssp's way: CryptAcquireContextA, CryptGenRandom, release
//   seed_cost.exe rtl     the program's way: RtlGenRandom (app/guard_win.cpp)
#include <windows.h>

#include <ntsecapi.h>
#include <wincrypt.h>

#include <cstdint>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    const bool crypt = std::wcscmp(arguments, L"crypt") == 0;
    if (!crypt && std::wcscmp(arguments, L"rtl") != 0) {
        return 0;
    }
    uintptr_t guard = 0;
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    if (crypt) {
        HCRYPTPROV provider = 0;
        if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL,
                                 CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
            CryptGenRandom(provider, sizeof(guard), reinterpret_cast<BYTE*>(&guard));
            CryptReleaseContext(provider, 0);
        }
    } else {
        RtlGenRandom(&guard, sizeof(guard));
    }
    QueryPerformanceCounter(&after);
    if (guard == 0) {
        return 0;
    }
    return static_cast<int>((after.QuadPart - before.QuadPart) * 10000000 / frequency.QuadPart);
}
