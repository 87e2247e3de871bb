// The driver's entry: runs one scenario against one Nuvelo.exe and cleans up after it.
#include "tests/e2e/driver.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

namespace {

void ListScenarios() {
    for (const ScenarioEntry& entry : Scenarios()) {
        printf("%s\n", entry.name);
    }
}

const ScenarioEntry* FindScenario(const wchar_t* name) {
    for (const ScenarioEntry& entry : Scenarios()) {
        std::wstring wide(entry.name, entry.name + strlen(entry.name));
        if (wide == name) {
            return &entry;
        }
    }
    return nullptr;
}

// The desktop's top edge shows its plain colour (no picture, no window there).
bool DesktopIsPlain(void*) {
    return ScreenPixel(GetSystemMetrics(SM_CXSCREEN) / 2, 2) == GetSysColor(COLOR_BACKGROUND);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The report is UTF-8 (the program's texts are Japanese); no CR is added to it.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 2 && std::wstring(argv[1]) == L"--list") {
        ListScenarios();
        return 0;
    }
    if (argc != 3) {
        fprintf(stdout, "usage: nuvelo_driver <scenario> <Windows path of Nuvelo.exe> | --list\n");
        return 2;
    }
    const ScenarioEntry* scenario = FindScenario(argv[1]);
    if (scenario == nullptr) {
        fprintf(stdout, "unknown scenario; these exist:\n");
        ListScenarios();
        return 2;
    }
    SetTargetPath(argv[2]);
    printf("scenario %s against %ls\n", scenario->name, argv[2]);
    fflush(stdout);
    if (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES) {
        FAIL("the target does not exist");
    } else {
        // An earlier run that failed hard may have left an instance behind; it would
        // make every start of this one end at once.
        EndLeftoverInstances(L"Nuvelo");
        // A run ended half-way (a time-out) could not put back the interval it set, and
        // the prefix is kept between runs: every scenario starts with no slideshow.
        RegDeleteKeyValueW(HKEY_CURRENT_USER, SLIDESHOW_KEY, L"Interval");
        // The same for an image cache, which would stand in for every wallpaper path.
        RegDeleteKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"TranscodedImageCache");
        // And for a display scale, which every later start in the run would take.
        RegDeleteKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels");
        // And the per-monitor values, as many as the program would ever read.
        RegDeleteKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"TranscodedImageCount");
        for (int i = 1000; i < 1016; ++i) {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY,
                               (L"TranscodedImageCache_" + std::to_wstring(i).substr(1)).c_str());
        }
        // And the stand-in wallpaper class, whose absence the program is tested for.
        RemoveTestClasses();
        // Likewise a demo ended half-way leaves its picture on the desktop, which the
        // pixel checks would see behind see-through windows.
        wchar_t picture[MAX_PATH] = L"";
        SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, picture, 0);
        if (picture[0] != 0) {
            wchar_t none[] = L"";
            SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, none, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
            RedrawWindow(GetDesktopWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            CHECK(WaitUntil(DesktopIsPlain, nullptr, ReactionTimeout()));
        }
        DWORD start = GetTickCount();
        scenario->body();
        CleanUpScenario();
        printf("  time: %.1f s\n", (GetTickCount() - start) / 1000.0);
    }
    printf("%s %s\n", FailureCount() == 0 ? "PASS" : "FAIL", scenario->name);
    fflush(stdout);
    return FailureCount() == 0 ? 0 : 1;
}
