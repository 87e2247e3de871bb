// Times one way of seeding the stack protector's guard, once, in a process that has not
// seeded one (built without the stack protector) and loads the DLLs the program loads.
// With "window" it times the seeding and then what the reference window does until it
// is shown: under Wine the provider's loading shares work with the first window, so
// the seeding alone overstates what it adds to a start. Ends with the time in tenths of
// a microsecond as exit code (0: below one tick of the counter; -1: no random bytes).
// scripts/bench starts it many times.
//
//   seed_cost.exe crypt [window]   libssp's way: CryptAcquireContextA, CryptGenRandom
//   seed_cost.exe rtl [window]     the program's way: RtlGenRandom (app/guard_win.cpp)
#include <windows.h>

#include <ntsecapi.h>
#include <shellapi.h>
#include <wincrypt.h>

#include <cstdint>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    const bool crypt = std::wcsncmp(arguments, L"crypt", 5) == 0;
    if (!crypt && std::wcsncmp(arguments, L"rtl", 3) != 0) {
        return -1;
    }
    const bool window = std::wcsstr(arguments, L"window") != nullptr;
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
    if (window) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = L"NuveloSeedCost";
        RegisterClassExW(&windowClass);
        HWND shown =
            CreateWindowExW(0, windowClass.lpszClassName, L"seed", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            CW_USEDEFAULT, CW_USEDEFAULT, 240, 80, nullptr, nullptr, instance, nullptr);
        CreateWindowExW(0, L"STATIC", L"reference.jpg", WS_CHILD | WS_VISIBLE, 0, 0, 220, 20, shown, nullptr,
                        instance, nullptr);
        UpdateWindow(shown);
    }
    QueryPerformanceCounter(&after);
    // The program's other DLL, loaded as in the program.
    int count = 0;
    LocalFree(CommandLineToArgvW(L"seed", &count));
    if (guard == 0) {
        return -1;
    }
    return static_cast<int>((after.QuadPart - before.QuadPart) * 10000000 / frequency.QuadPart);
}
