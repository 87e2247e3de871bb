// The registry reads and the slideshow timer against the real registry (Wine's here).
// Each test writes the two values through the registry API; the fixture saves both
// keys before and puts them back afterwards, values and all, removing any key (and
// parent) that a test created. Runs on bare Xvfb: the timer window is message-only.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/ids.h"
#include "base/settings.h"
#include "wallpaper/lines.h"
#include "wallpaper/registry_win.h"
#include "wallpaper/slideshow.h"

namespace {

const wchar_t WALLPAPER_KEY[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t WALLPAPER_VALUE[] = L"WallPaperSource";
const wchar_t SLIDESHOW_KEY[] = L"Control Panel\\Personalization\\Desktop Slideshow";
const wchar_t INTERVAL_VALUE[] = L"Interval";

struct SavedValue {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

// One key of the current user as it was before a test: whether it existed (and if
// not, the shallowest part of its path that was missing), and all its values.
struct SavedKey {
    std::wstring path;
    bool existed = false;
    std::wstring firstMissing;
    DWORD subkeys = 0;
    std::vector<SavedValue> values;
};

bool KeyExists(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::vector<SavedValue> ReadAllValues(HKEY key) {
    std::vector<SavedValue> values;
    DWORD count = 0, longestName = 0, longestData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                     &longestData, nullptr, nullptr);
    for (DWORD i = 0; i < count; ++i) {
        std::vector<wchar_t> name(longestName + 1);
        std::vector<BYTE> data(longestData + 1);
        DWORD nameUnits = static_cast<DWORD>(name.size());
        DWORD bytes = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameUnits, nullptr, &type, data.data(), &bytes) ==
            ERROR_SUCCESS) {
            data.resize(bytes);
            values.push_back({std::wstring(name.data(), nameUnits), type, data});
        }
    }
    return values;
}

SavedKey SaveKey(const std::wstring& path) {
    SavedKey saved;
    saved.path = path;
    size_t end = 0;
    while (end != std::wstring::npos) {
        end = path.find(L'\\', end + 1);
        std::wstring part = path.substr(0, end);
        if (!KeyExists(part)) {
            saved.firstMissing = part;
            return saved;
        }
    }
    saved.existed = true;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &saved.subkeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
        saved.values = ReadAllValues(key);
        RegCloseKey(key);
    }
    return saved;
}

// Deletes path and its parents up to and including stop, deepest first; each is
// expected to be empty of subkeys (only the chain that a test created).
void DeleteChain(std::wstring path, const std::wstring& stop) {
    for (;;) {
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
        if (path.size() <= stop.size()) {
            return;
        }
        path.resize(path.rfind(L'\\'));
    }
}

void RestoreKey(const SavedKey& saved) {
    if (!saved.existed) {
        if (KeyExists(saved.firstMissing)) {
            DeleteChain(saved.path, saved.firstMissing);
        }
        return;
    }
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, saved.path.c_str(), 0, nullptr, 0,
                                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
    for (const SavedValue& now : ReadAllValues(key)) {
        RegDeleteValueW(key, now.name.c_str());
    }
    for (const SavedValue& value : saved.values) {
        RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    }
    RegCloseKey(key);
}

// Writes exactly bytes of data. Wine's RegSetValueExW adds a unit to a string that is
// followed by a zero in memory, so the data is copied into a buffer whose next unit
// is not zero; the stored size is checked.
void SetValue(const wchar_t* path, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    std::vector<BYTE> buffer(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + bytes);
    buffer.push_back('?');
    buffer.push_back('?');
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                             nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, buffer.data(), bytes));
    DWORD stored = 0;
    DWORD storedType = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, name, nullptr, &storedType, nullptr, &stored));
    RegCloseKey(key);
    ASSERT_EQ(bytes, stored);
    ASSERT_EQ(type, storedType);
}

void SetWallpaper(DWORD type, const std::wstring& text, bool withZero) {
    DWORD bytes = static_cast<DWORD>((text.size() + (withZero ? 1 : 0)) * sizeof(wchar_t));
    SetValue(WALLPAPER_KEY, WALLPAPER_VALUE, type, text.c_str(), bytes);
}

void SetWallpaperBytes(DWORD type, const std::vector<BYTE>& data) {
    SetValue(WALLPAPER_KEY, WALLPAPER_VALUE, type, data.data(), static_cast<DWORD>(data.size()));
}

void SetInterval(DWORD type, const std::vector<BYTE>& data) {
    SetValue(SLIDESHOW_KEY, INTERVAL_VALUE, type, data.data(), static_cast<DWORD>(data.size()));
}

void SetIntervalDword(DWORD interval) {
    SetValue(SLIDESHOW_KEY, INTERVAL_VALUE, REG_DWORD, &interval, sizeof(interval));
}

void DeleteValue(const wchar_t* path, const wchar_t* name) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

std::wstring Text(const char16_t* text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text));
}

std::vector<std::wstring> LineTexts() {
    std::vector<std::wstring> texts;
    for (int32_t i = 0; i < lineCount; ++i) {
        texts.push_back(Text(lines[i].text));
    }
    return texts;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        wallpaperKey = SaveKey(WALLPAPER_KEY);
        slideshowKey = SaveKey(SLIDESHOW_KEY);
        // An image cache left by an ended run would be read before WallPaperSource.
        DeleteValue(L"Control Panel\\Desktop", L"TranscodedImageCache");
        SetDefaultSettings(0x000000, 0xF0F0F0);
        settings.padLines = 0;
        currentPath[0] = 0;
        FillWithStale();
    }

    void TearDown() override {
        RestoreKey(wallpaperKey);
        RestoreKey(slideshowKey);
    }

    // What an earlier layout may have left: handles, texts, a count.
    static void FillWithStale() {
        for (LineLabel& line : lines) {
            line.window = 0x1234;
            for (char16_t& unit : line.text) {
                unit = u'#';
            }
            line.text[TEXT_UNITS - 1] = 0;
        }
        lineCount = 7;
    }

    static void ExpectCleared() {
        EXPECT_EQ(0, lineCount);
        for (int i = 0; i < MAX_LINES; ++i) {
            EXPECT_EQ(0u, lines[i].window) << i;
            EXPECT_EQ(0, lines[i].text[0]) << i;
        }
    }

    // Deletes a key that this test has saved; skips the test rather than destroy
    // subkeys that the fixture would not restore.
    static bool DeleteKey(const SavedKey& saved) {
        if (saved.subkeys != 0) {
            return false;
        }
        RegDeleteKeyW(HKEY_CURRENT_USER, saved.path.c_str());
        return !KeyExists(saved.path);
    }

    SavedKey wallpaperKey;
    SavedKey slideshowKey;
};

using ReadWallpaperLinesTest = RegistryTest;
using SlideshowDelayTest = RegistryTest;
using ArmSlideshowTimerTest = RegistryTest;

TEST_F(ReadWallpaperLinesTest, NormalPath) {
    SetWallpaper(REG_SZ, L"C:\\Photos\\Beach.jpg", true);
    settings.maxLines = 5;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ((std::vector<std::wstring>{L"Beach", L"Photos", L"C:"}), LineTexts());
    // currentPath keeps the extension that the lines do not show.
    EXPECT_EQ(L"C:\\Photos\\Beach.jpg", Text(currentPath));
    for (int i = 0; i < MAX_LINES; ++i) {
        EXPECT_EQ(0u, lines[i].window) << i;
    }
    for (int i = lineCount; i < MAX_LINES; ++i) {
        EXPECT_EQ(0, lines[i].text[0]) << i;
    }
}

TEST_F(ReadWallpaperLinesTest, UsesTheSettings) {
    SetWallpaper(REG_SZ, L"C:\\Photos\\Beach.jpg", true);
    settings.maxLines = 2;
    settings.restOnLastLine = 1;
    settings.showExtension = 1;
    settings.padLines = 1;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ((std::vector<std::wstring>{L" Beach.jpg ", L" C:\\Photos "}), LineTexts());
}

TEST_F(ReadWallpaperLinesTest, ValueMissing) {
    SetWallpaper(REG_SZ, L"C:\\Photos\\Beach.jpg", true);
    DeleteValue(WALLPAPER_KEY, WALLPAPER_VALUE);
    CopyText(currentPath, u"C:\\before.jpg");
    EXPECT_EQ(0, ReadWallpaperLines());
    ExpectCleared();
    EXPECT_EQ(L"C:\\before.jpg", Text(currentPath));
}

TEST_F(ReadWallpaperLinesTest, KeyMissing) {
    SetWallpaper(REG_SZ, L"C:\\Photos\\Beach.jpg", true);
    SavedKey now = SaveKey(WALLPAPER_KEY);
    if (!DeleteKey(now)) {
        GTEST_SKIP() << "the wallpaper key has subkeys here; not deleting them";
    }
    EXPECT_EQ(0, ReadWallpaperLines());
    ExpectCleared();
    EXPECT_EQ(L"", Text(currentPath));
}

// The type is not examined: an unexpanded REG_EXPAND_SZ is taken as it stands.
TEST_F(ReadWallpaperLinesTest, ExpandStringTakenAsText) {
    SetWallpaper(REG_EXPAND_SZ, L"%USERPROFILE%\\Pictures\\Sea.png", true);
    settings.maxLines = 3;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ((std::vector<std::wstring>{L"Sea", L"Pictures", L"%USERPROFILE%"}), LineTexts());
    EXPECT_EQ(L"%USERPROFILE%\\Pictures\\Sea.png", Text(currentPath));
}

// REG_BINARY gets no zero from the registry: the text ends with the data, and a
// longer path read before leaves nothing behind.
TEST_F(ReadWallpaperLinesTest, BinaryTakenAsTextWithoutStaleBytes) {
    SetWallpaper(REG_SZ, L"C:\\a much longer folder name\\and a long file name.jpg", true);
    ASSERT_EQ(1, ReadWallpaperLines());
    SetWallpaper(REG_BINARY, L"D:\\b.png", false);
    settings.maxLines = 2;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ((std::vector<std::wstring>{L"b", L"D:"}), LineTexts());
    EXPECT_EQ(L"D:\\b.png", Text(currentPath));
}

// A string type stored without its zero.
TEST_F(ReadWallpaperLinesTest, UnterminatedStringTakenAsText) {
    SetWallpaper(REG_SZ, L"C:\\a much longer folder name\\and a long file name.jpg", true);
    ASSERT_EQ(1, ReadWallpaperLines());
    SetWallpaper(REG_SZ, L"E:\\c.bmp", false);
    settings.showExtension = 1;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ((std::vector<std::wstring>{L"c.bmp"}), LineTexts());
    EXPECT_EQ(L"E:\\c.bmp", Text(currentPath));
}

TEST_F(ReadWallpaperLinesTest, OddByteLengthKeepsWholeUnits) {
    std::vector<BYTE> data = {'F', 0, ':', 0, '\\', 0, 'd', 0, 'x'};
    SetWallpaperBytes(REG_BINARY, data);
    settings.maxLines = 2;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ((std::vector<std::wstring>{L"d", L"F:"}), LineTexts());
    EXPECT_EQ(L"F:\\d", Text(currentPath));
}

// An empty value is a successful read of an empty path: one empty line.
TEST_F(ReadWallpaperLinesTest, EmptyValueGivesOneEmptyLine) {
    SetWallpaper(REG_SZ, L"C:\\Photos\\Beach.jpg", true);
    ASSERT_EQ(1, ReadWallpaperLines());
    SetWallpaperBytes(REG_SZ, {});
    settings.padLines = 1;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ((std::vector<std::wstring>{L"  "}), LineTexts());
    EXPECT_EQ(L"", Text(currentPath));
}

TEST_F(ReadWallpaperLinesTest, Exactly520BytesWithZero) {
    std::wstring path = L"C:\\" + std::wstring(252, L'p') + L".jpg";
    ASSERT_EQ(259u, path.size());
    SetWallpaper(REG_SZ, path, true);
    settings.padLines = 1;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ(path, Text(currentPath));
    EXPECT_EQ((std::vector<std::wstring>{L" " + std::wstring(252, L'p') + L" "}), LineTexts());

    // The whole path on one line is 259 units: too long to pad, left whole.
    settings.maxLines = 1;
    settings.restOnLastLine = 1;
    settings.showExtension = 1;
    ASSERT_EQ(1, ReadWallpaperLines());
    EXPECT_EQ((std::vector<std::wstring>{path}), LineTexts());
}

// Decided fault: all 520 bytes without a zero are a path too long for the buffer,
// a failed read like 522 bytes.
TEST_F(ReadWallpaperLinesTest, Exactly520BytesWithoutZeroIsAFailedRead) {
    SetWallpaper(REG_SZ, L"C:\\good.jpg", true);
    ASSERT_EQ(1, ReadWallpaperLines());
    SetWallpaper(REG_SZ, L"C:\\" + std::wstring(257, L'q'), false);
    FillWithStale();
    EXPECT_EQ(0, ReadWallpaperLines());
    ExpectCleared();
    EXPECT_EQ(L"C:\\good.jpg", Text(currentPath));
}

TEST_F(ReadWallpaperLinesTest, Exactly522BytesIsAFailedRead) {
    SetWallpaper(REG_SZ, L"C:\\good.jpg", true);
    ASSERT_EQ(1, ReadWallpaperLines());
    SetWallpaper(REG_SZ, L"C:\\" + std::wstring(257, L'q'), true);
    FillWithStale();
    EXPECT_EQ(0, ReadWallpaperLines());
    ExpectCleared();
    EXPECT_EQ(L"C:\\good.jpg", Text(currentPath));
}

TEST_F(ReadWallpaperLinesTest, FailedReadAfterAGoodOneKeepsCurrentPath) {
    SetWallpaper(REG_SZ, L"C:\\Photos\\Beach.jpg", true);
    settings.maxLines = 3;
    ASSERT_EQ(1, ReadWallpaperLines());
    ASSERT_EQ(3, lineCount);
    DeleteValue(WALLPAPER_KEY, WALLPAPER_VALUE);
    EXPECT_EQ(0, ReadWallpaperLines());
    ExpectCleared();
    EXPECT_EQ(L"C:\\Photos\\Beach.jpg", Text(currentPath));
}

// SlideshowDelay reads the clock itself; the test reads it right before and right
// after and accepts the delay of any millisecond in between.
void ExpectDelayMatchesClock(int32_t interval) {
    SYSTEMTIME before, after;
    int32_t delay = -1;
    GetLocalTime(&before);
    ASSERT_EQ(1, SlideshowDelay(&delay));
    GetLocalTime(&after);
    EXPECT_GE(delay, 1001);
    EXPECT_LE(static_cast<int64_t>(delay), static_cast<int64_t>(interval) + 1000);
    auto ms = [](const SYSTEMTIME& t) {
        return ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
    };
    int32_t from = ms(before);
    int32_t to = ms(after);
    if (to < from) {
        to += 86400000;  // Across midnight.
    }
    ASSERT_LE(to - from, 10000) << "the clock jumped";
    bool matched = false;
    for (int32_t t = from; t <= to && !matched; ++t) {
        int32_t day = t % 86400000;
        matched =
            delay == NextChangeDelay(interval, day / 3600000, day / 60000 % 60, day / 1000 % 60, day % 1000);
    }
    EXPECT_TRUE(matched) << "delay " << delay << " for interval " << interval << " between " << from
                         << " and " << to;
}

TEST_F(SlideshowDelayTest, Dword) {
    SetIntervalDword(1800000);
    ExpectDelayMatchesClock(1800000);
}

TEST_F(SlideshowDelayTest, FourBytesOfBinary) {
    SetInterval(REG_BINARY, {0x60, 0xEA, 0x00, 0x00});
    ExpectDelayMatchesClock(60000);
}

TEST_F(SlideshowDelayTest, LargestUsableInterval) {
    SetIntervalDword(MAX_SLIDESHOW_INTERVAL);
    ExpectDelayMatchesClock(MAX_SLIDESHOW_INTERVAL);
}

// Decided fault: fewer than 4 bytes are no slideshow, never read from unwritten bytes.
TEST_F(SlideshowDelayTest, TwoBytesAreNoSlideshow) {
    SetInterval(REG_BINARY, {0x60, 0xEA});
    int32_t delay = -1;
    EXPECT_EQ(0, SlideshowDelay(&delay));
    SetInterval(REG_DWORD, {0x60, 0xEA, 0x00});
    EXPECT_EQ(0, SlideshowDelay(&delay));
    SetInterval(REG_BINARY, {});
    EXPECT_EQ(0, SlideshowDelay(&delay));
    EXPECT_EQ(-1, delay);
}

TEST_F(SlideshowDelayTest, EightBytesAreNoSlideshow) {
    SetInterval(REG_QWORD, {0x60, 0xEA, 0, 0, 0, 0, 0, 0});
    int32_t delay = -1;
    EXPECT_EQ(0, SlideshowDelay(&delay));
    SetInterval(REG_BINARY, {0x60, 0xEA, 0, 0, 0});
    EXPECT_EQ(0, SlideshowDelay(&delay));
    EXPECT_EQ(-1, delay);
}

// Decided faults: 0 would divide by zero, a negative count and one above 2147482647
// overflow: all count as no slideshow.
TEST_F(SlideshowDelayTest, UnusableIntervalsAreNoSlideshow) {
    for (DWORD interval : {0u, 0xFFFFFFFFu, 0x80000000u, 2147482648u, 0x7FFFFFFFu}) {
        SetIntervalDword(interval);
        int32_t delay = -1;
        EXPECT_EQ(0, SlideshowDelay(&delay)) << interval;
        EXPECT_EQ(-1, delay) << interval;
    }
}

TEST_F(SlideshowDelayTest, ValueMissing) {
    SetIntervalDword(60000);
    DeleteValue(SLIDESHOW_KEY, INTERVAL_VALUE);
    int32_t delay = -1;
    EXPECT_EQ(0, SlideshowDelay(&delay));
}

TEST_F(SlideshowDelayTest, KeyMissing) {
    SetIntervalDword(60000);
    SavedKey now = SaveKey(SLIDESHOW_KEY);
    if (!DeleteKey(now)) {
        GTEST_SKIP() << "the slideshow key has subkeys here; not deleting them";
    }
    int32_t delay = -1;
    EXPECT_EQ(0, SlideshowDelay(&delay));
}

// The interval is read afresh at every call.
TEST_F(SlideshowDelayTest, ChangedIntervalTakesEffectAtTheNextCall) {
    SetIntervalDword(1800000);
    ExpectDelayMatchesClock(1800000);
    SetIntervalDword(1000);
    ExpectDelayMatchesClock(1000);
}

LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window: receives timers, shows nothing.
HWND CreateTimerWindow() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = TimerWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"NuveloRegistryTestTimer";
    RegisterClassExW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

// Pumps the thread's messages until a WM_TIMER with id arrives for window or timeout
// milliseconds pass; returns the milliseconds waited, or -1.
int64_t WaitForTimer(HWND window, UINT_PTR id, DWORD timeout) {
    ULONGLONG start = GetTickCount64();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER && message.hwnd == window && message.wParam == id) {
                return static_cast<int64_t>(GetTickCount64() - start);
            }
            DispatchMessageW(&message);
        }
        ULONGLONG waited = GetTickCount64() - start;
        if (waited >= timeout) {
            return -1;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeout - waited), QS_ALLINPUT);
    }
}

TEST_F(ArmSlideshowTimerTest, TimerArrivesAfterTheDelay) {
    SetIntervalDword(1000);
    HWND window = CreateTimerWindow();
    ASSERT_NE(nullptr, window);
    SYSTEMTIME now;
    GetLocalTime(&now);
    int32_t expected = NextChangeDelay(1000, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    ArmSlideshowTimer(window);
    int64_t waited = WaitForTimer(window, TIMER_SLIDESHOW, 5000);
    KillTimer(window, TIMER_SLIDESHOW);
    DestroyWindow(window);
    ASSERT_GE(waited, 0) << "no WM_TIMER 101 within 5 s";
    // The delay is 1001 to 2000 ms; allow for the clock's and the timer's granularity.
    EXPECT_GE(waited, expected - 100);
    EXPECT_LE(waited, 2000 + 1000);
}

TEST_F(ArmSlideshowTimerTest, NothingArrivesWithoutAnInterval) {
    SetIntervalDword(1000);
    DeleteValue(SLIDESHOW_KEY, INTERVAL_VALUE);
    HWND window = CreateTimerWindow();
    ASSERT_NE(nullptr, window);
    ArmSlideshowTimer(window);
    EXPECT_EQ(-1, WaitForTimer(window, TIMER_SLIDESHOW, 2500));
    KillTimer(window, TIMER_SLIDESHOW);
    DestroyWindow(window);
}

TEST_F(ArmSlideshowTimerTest, NothingArrivesForAZeroInterval) {
    SetIntervalDword(0);
    HWND window = CreateTimerWindow();
    ASSERT_NE(nullptr, window);
    ArmSlideshowTimer(window);
    EXPECT_EQ(-1, WaitForTimer(window, TIMER_SLIDESHOW, 2500));
    KillTimer(window, TIMER_SLIDESHOW);
    DestroyWindow(window);
}

}  // namespace
