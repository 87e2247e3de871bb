// Registry data that other programs write, at its worst, fed to a running Nuvelo: values
// that vanish while it runs, the longest path, data of another type, intervals that no
// slideshow would set. The program must go on running quietly with a sound display.
#include "tests/e2e/driver.h"
#include "tests/e2e/label_watch.h"

using namespace label_watch;

namespace {

const wchar_t FIRST_PATH[] = L"C:\\users\\Public\\Pictures\\before.jpg";
const wchar_t SECOND_PATH[] = L"C:\\users\\Public\\Pictures\\after.jpg";
const wchar_t THIRD_PATH[] = L"C:\\users\\Public\\Pictures\\never shown.jpg";
const wchar_t MISSING_TEXT[] = L"レジストリに画像ファイル名が見つかりません  ";

// With a 2-second interval the timer fires at most 3 seconds after it was armed.
constexpr DWORD SHORT_INTERVAL = 2000;
constexpr DWORD LONGEST_REFRESH_WAIT = SHORT_INTERVAL + 1000 + 1500;

struct LabelsRead {
    HWND main;
    std::vector<std::wstring> texts;
};

bool LabelsReadAs(void* context) {
    LabelsRead* wanted = static_cast<LabelsRead*>(context);
    return IsWindowVisible(wanted->main) && LabelTexts(wanted->main) == wanted->texts;
}

// Waits for the labels to read texts; on a timeout the labels seen are noted.
bool WaitForLabels(HWND main, const std::vector<std::wstring>& texts, DWORD timeoutMs) {
    LabelsRead wanted = {main, texts};
    if (WaitUntil(LabelsReadAs, &wanted, timeoutMs)) {
        return true;
    }
    std::vector<std::wstring> seen = LabelTexts(main);
    Note("%zu labels instead of %zu", seen.size(), texts.size());
    for (const std::wstring& text : seen) {
        NoteText("label:", text);
    }
    return false;
}

// Starts Nuvelo and waits until it shows text as its one label. Null on failure.
HWND StartShowing(StartedProcess* nuvelo, const std::wstring& arguments, const std::wstring& text) {
    *nuvelo = StartNuvelo(arguments);
    if (!CHECK(nuvelo->process != nullptr)) {
        return nullptr;
    }
    HWND main = WaitForMainWindow(*nuvelo, nullptr, StartTimeout());
    if (!CHECK(main != nullptr)) {
        return nullptr;
    }
    if (!CHECK(WaitForLabels(main, {text}, ReactionTimeout()))) {
        return nullptr;
    }
    return main;
}

// Still running, and quietly: no message box.
void CheckRunningQuietly(const StartedProcess& nuvelo, HWND main) {
    CHECK(!HasExited(nuvelo));
    CHECK(IsWindow(main));
    CHECK_EQ(0, MessageBoxCount(nuvelo.id));
}

bool NoLabelsShown(void* window) {
    HWND main = static_cast<HWND>(window);
    return IsWindowVisible(main) && Labels(main).empty();
}

std::wstring RepeatedPath(size_t length, const wchar_t* extension) {
    std::wstring path = L"C:\\users\\Public\\Pictures\\";
    std::wstring tail = extension;
    std::wstring name;
    for (size_t i = 0; path.size() + name.size() + tail.size() < length; ++i) {
        name += static_cast<wchar_t>(L'a' + i % 26);
    }
    return path + name + tail;
}

void EndNuvelo(const StartedProcess& nuvelo) {
    EndProcess(nuvelo);
    EndLeftoverInstances(L"Nuvelo");
}

}  // namespace

// The wallpaper value removed while the program runs: the next refresh leaves a window
// of its frame only, without a box; once the value is back, the refresh after shows it.
I386_SCENARIO(wallpaper_value_removed_while_running) {
    SetSlideshowInterval(SHORT_INTERVAL);
    SetWallpaperSource(FIRST_PATH);
    StartedProcess nuvelo;
    HWND main = StartShowing(&nuvelo, L"", Padded(L"before"));
    REQUIRE(main != nullptr);

    DeleteWallpaperSource();
    CHECK(WaitUntil(NoLabelsShown, main, LONGEST_REFRESH_WAIT));
    // Let the refresh finish placing the window before it is measured.
    PassTime(300);
    CheckRunningQuietly(nuvelo, main);
    RECT frame = WindowRectOf(main);
    Note("frame-only window: %ld x %ld at (%ld, %ld)", frame.right - frame.left, frame.bottom - frame.top,
         frame.left, frame.top);
    // No row left: the outer height is the title bar and frame alone.
    CHECK_EQ(CaptionExtraHeight(), frame.bottom - frame.top);

    // The failed read did not end the chain of refreshes.
    SetWallpaperSource(SECOND_PATH);
    CHECK(WaitForLabels(main, {Padded(L"after")}, LONGEST_REFRESH_WAIT));
    CheckRunningQuietly(nuvelo, main);
}

// The slideshow key removed while the program runs: the refresh already armed still
// happens, and then none, whatever the wallpaper value does.
I386_SCENARIO(slideshow_key_removed_while_running) {
    SetSlideshowInterval(SHORT_INTERVAL);
    SetWallpaperSourceUnseen(FIRST_PATH);
    StartedProcess nuvelo;
    HWND main = StartShowing(&nuvelo, L"", Padded(L"before"));
    REQUIRE(main != nullptr);

    // The next picture is written first: a refresh that falls due while the key goes
    // then shows it in any case (one between the two would read the old picture and
    // arm nothing more). The value goes first (the cleanup puts it back and makes the
    // key anew); the key follows when nothing else is in it.
    SetWallpaperSourceUnseen(SECOND_PATH);
    DeleteSlideshowInterval();
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SLIDESHOW_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD subkeys = 0;
        DWORD values = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(key);
        if (subkeys == 0 && values == 0) {
            CHECK_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, SLIDESHOW_KEY));
        } else {
            Note("the slideshow key holds %lu values and %lu keys more; only Interval was removed", values,
                 subkeys);
        }
    }

    CHECK(WaitForLabels(main, {Padded(L"after")}, LONGEST_REFRESH_WAIT));

    SetWallpaperSourceUnseen(THIRD_PATH);
    PassTime(2 * SHORT_INTERVAL + 500);
    CHECK(WaitForLabels(main, {Padded(L"after")}, 0));
    CheckRunningQuietly(nuvelo, main);
}

// The longest path the registry read takes, as one line with the rest of the path (D1):
// a line with no room for the two blanks is shown whole and unpadded; one unit longer
// and the read refuses the value, as if it were missing.
I386_SCENARIO(longest_wallpaper_path_on_one_line) {
    DeleteSlideshowInterval();
    const struct {
        size_t length;
        const wchar_t* arguments;
        bool padded;
        bool extensionShown;
    } cases[] = {
        {259, L"D1 e", false, true},
        {258, L"D1 e", false, true},
        {257, L"D1 e", true, true},  // 257 + 2 blanks + the zero fill the 260 units exactly
        {259, L"D1", true, false},   // the extension cut makes room for the blanks
    };
    for (const auto& c : cases) {
        std::wstring path = RepeatedPath(c.length, L".jpg");
        REQUIRE_EQ(c.length, path.size());
        Note("a path of %zu characters with %ls", path.size(), c.arguments);
        SetWallpaperSource(path);
        std::wstring line = c.extensionShown ? path : path.substr(0, path.size() - 4);
        if (c.padded) {
            line = Padded(line);
        }
        StartedProcess nuvelo;
        HWND main = StartShowing(&nuvelo, c.arguments, line);
        if (main != nullptr) {
            CheckRunningQuietly(nuvelo, main);
            RECT window = WindowRectOf(main);
            RECT label = Labels(main)[0].rect;
            Note("window %ld wide, its label %ld", window.right - window.left, label.right - label.left);
        }
        EndNuvelo(nuvelo);
    }

    SetWallpaperSource(RepeatedPath(260, L".jpg"));
    StartedProcess nuvelo = StartNuvelo(L"D1 e");
    REQUIRE(nuvelo.process != nullptr);
    HWND box = WaitForWindowByTitle(L"Nuvelo", StartTimeout());
    REQUIRE(box != nullptr);
    CHECK_TEXT(L"#32770", ClassNameOf(box));
    CHECK_EQ(nuvelo.id, WindowProcessId(box));
    CHECK_TEXT(MISSING_TEXT, MessageBoxMessage(box));
    CloseMessageBox(box);
    DWORD exitCode = STILL_ACTIVE;
    CHECK(WaitForExit(nuvelo, ReactionTimeout(), &exitCode));
    CHECK_EQ(0, exitCode);
}

// The wallpaper value stored under another type than REG_SZ is still read as text, up
// to its first zero or the end of its data (an odd last byte is no whole unit). A usable
// image cache names the picture instead; an unusable one is passed over.
I386_SCENARIO(wallpaper_value_of_other_types) {
    DeleteSlideshowInterval();
    auto bytesOf = [](const std::wstring& text, bool terminated) {
        const BYTE* start = reinterpret_cast<const BYTE*>(text.c_str());
        size_t size = (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t);
        return std::vector<BYTE>(start, start + size);
    };
    std::vector<BYTE> oddTail = bytesOf(L"C:\\users\\Public\\Pictures\\odd tail.jpg", false);
    oddTail.push_back('A');
    std::wstring multi = L"C:\\users\\Public\\Pictures\\first of many.jpg";
    multi.push_back(L'\0');
    multi += L"C:\\other.jpg";
    multi.push_back(L'\0');  // the last zero of the list comes with the terminator
    const struct {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        const wchar_t* shown;
        std::vector<BYTE> cache;  // TranscodedImageCache, none when empty
    } cases[] = {
        {"REG_SZ under a usable image cache", REG_SZ,
         bytesOf(L"C:\\users\\Public\\Pictures\\stale.jpg", true), L"on the desktop",
         ImageCacheBytes(L"C:\\users\\Public\\Pictures\\on the desktop.jpg")},
        {"REG_SZ under an image cache too long to use", REG_SZ,
         bytesOf(L"C:\\users\\Public\\Pictures\\fallback.jpg", true), L"fallback",
         ImageCacheBytes(L"C:\\" + std::wstring(257, L'x'))},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, bytesOf(L"C:\\users\\Public\\Pictures\\expand me.jpg", true),
         L"expand me"},
        {"REG_BINARY", REG_BINARY, bytesOf(L"C:\\users\\Public\\Pictures\\binary blob.jpg", true),
         L"binary blob"},
        {"REG_BINARY without a zero, odd size", REG_BINARY, oddTail, L"odd tail"},
        {"REG_MULTI_SZ", REG_MULTI_SZ, bytesOf(multi, true), L"first of many"},
    };
    for (const auto& c : cases) {
        Note("WallPaperSource as %s", c.what);
        SetRegistryValue(WALLPAPER_KEY, L"WallPaperSource", c.type, c.data.data(),
                         static_cast<DWORD>(c.data.size()));
        if (c.cache.empty()) {
            DeleteRegistryValue(DESKTOP_KEY, L"TranscodedImageCache");
        } else {
            SetRegistryValue(DESKTOP_KEY, L"TranscodedImageCache", REG_BINARY, c.cache.data(),
                             static_cast<DWORD>(c.cache.size()));
        }
        StartedProcess nuvelo;
        HWND main = StartShowing(&nuvelo, L"", Padded(c.shown));
        if (main != nullptr) {
            CheckRunningQuietly(nuvelo, main);
        }
        EndNuvelo(nuvelo);
    }
}

// Intervals that no slideshow sets (0, which the grid arithmetic would divide by, and
// values beyond the signed range) and data of the wrong size mean no slideshow: no
// refresh, no crash. Four bytes of another type are an interval like any other.
I386_SCENARIO(unusable_slideshow_intervals_never_refresh) {
    const BYTE twoSecondsBinary[] = {0xD0, 0x07, 0x00, 0x00};
    const BYTE twoBytes[] = {0xD0, 0x07};
    const DWORD zero = 0;
    const DWORD allOnes = 0xFFFFFFFF;
    const DWORD negative = 0x80000000;
    const struct {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
        bool refreshes;
    } cases[] = {
        {"REG_DWORD 0", REG_DWORD, &zero, sizeof(zero), false},
        {"REG_DWORD 0xFFFFFFFF", REG_DWORD, &allOnes, sizeof(allOnes), false},
        {"REG_DWORD 0x80000000", REG_DWORD, &negative, sizeof(negative), false},
        {"two bytes", REG_BINARY, twoBytes, sizeof(twoBytes), false},
        {"REG_BINARY of four bytes, 2000", REG_BINARY, twoSecondsBinary, sizeof(twoSecondsBinary), true},
    };
    for (const auto& c : cases) {
        Note("Interval as %s", c.what);
        SetRegistryValue(SLIDESHOW_KEY, L"Interval", c.type, c.data, c.size);
        SetWallpaperSourceUnseen(FIRST_PATH);
        StartedProcess nuvelo;
        HWND main = StartShowing(&nuvelo, L"", Padded(L"before"));
        if (main == nullptr) {
            EndNuvelo(nuvelo);
            continue;
        }
        SetWallpaperSourceUnseen(SECOND_PATH);
        if (c.refreshes) {
            CHECK(WaitForLabels(main, {Padded(L"after")}, LONGEST_REFRESH_WAIT));
        } else {
            PassTime(SHORT_INTERVAL + 1000 + 200);
            CHECK(WaitForLabels(main, {Padded(L"before")}, 0));
        }
        CheckRunningQuietly(nuvelo, main);
        EndNuvelo(nuvelo);
    }
}
