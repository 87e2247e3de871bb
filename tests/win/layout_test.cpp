// The labels, the font fit and the placement against real windows and real GDI fonts.
// The parent is made like the main window (own class, title bar, top level); the path
// comes through the registry as at start-up. Runs in Wine's virtual desktop, whose
// frames are Wine's own, so the frame extras are those AdjustWindowRect reports.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/ids.h"
#include "base/settings.h"
#include "tests/win/child_win.h"
#include "wallpaper/lines.h"
#include "window/layout.h"
#include "window/layout_win.h"
#include "window/mainwnd_win.h"
#include "window/placement.h"
#include "window/placement_win.h"
#include "window/scale.h"
#include "window/shell_win.h"

namespace {

const wchar_t WALLPAPER_KEY[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t WALLPAPER_VALUE[] = L"WallPaperSource";
const wchar_t PARENT_CLASS[] = L"NuveloLayoutTestParent";
const wchar_t TEN_FOLDERS[] =
    L"C:\\One\\Two\\Three\\Four\\Five\\Six\\Seven\\Eight\\Nine\\Sunset over the bay.jpg";

void SetWallpaperPath(const wchar_t* path) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, WALLPAPER_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &key, nullptr));
    RegSetValueExW(key, WALLPAPER_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                   static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void RemoveWallpaperPath() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, WALLPAPER_KEY, WALLPAPER_VALUE);
}

std::wstring WindowText(HWND window) {
    wchar_t text[TEXT_UNITS] = {};
    GetWindowTextW(window, text, TEXT_UNITS);
    return text;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

// The label's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT OuterRect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

// Live entries of the process's GDI handle table, or -1 where it cannot be seen: Wine
// keeps it at the process block's GdiSharedHandleTable (GetGuiResources is a stub there).
int LiveGdiHandles() {
#if defined(_WIN64)
    const BYTE* teb = reinterpret_cast<const BYTE*>(NtCurrentTeb());
    const BYTE* peb = *reinterpret_cast<const BYTE* const*>(teb + 0x60);
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + 0xF8);
    if (table == nullptr) {
        return -1;
    }
    int live = 0;
    for (int i = 0; i < 65536; ++i) {
        if (table[i * 24 + 14] != 0) {
            ++live;
        }
    }
    return live;
#else
    return -1;
#endif
}

struct Bounds {
    LONG widest;
    LONG tallest;
    LONG cell;
};

// Measures the lines in labelFont (or the context's own font) independently of the measurer.
Bounds MeasureInLabelFont(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ old = settings.customFont ? SelectObject(dc, labelFont) : nullptr;
    Bounds bounds{0, 0, 0};
    for (int32_t i = 0; i < lineCount; ++i) {
        SIZE size{};
        GetTextExtentPoint32W(dc, Wide(lines[i].text), lstrlenW(Wide(lines[i].text)), &size);
        bounds.widest = size.cx > bounds.widest ? size.cx : bounds.widest;
        bounds.tallest = size.cy > bounds.tallest ? size.cy : bounds.tallest;
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    bounds.cell = metrics.tmHeight + metrics.tmExternalLeading;
    if (old != nullptr) {
        SelectObject(dc, old);
    }
    ReleaseDC(window, dc);
    return bounds;
}

class LabelWindows : public testing::Test {
protected:
    void SetUp() override {
        HKEY key;
        keyExisted = RegOpenKeyExW(HKEY_CURRENT_USER, WALLPAPER_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (keyExisted) {
            savedBytes = sizeof(saved);
            hadValue = RegQueryValueExW(key, WALLPAPER_VALUE, nullptr, &savedType, saved, &savedBytes) ==
                       ERROR_SUCCESS;
            RegCloseKey(key);
        }

        appInstance = GetModuleHandleW(nullptr);
        SetDefaultSettings(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
        lineCount = 0;
        ComputeDerivedFrameValues();
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = appInstance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = PARENT_CLASS;
        RegisterClassExW(&windowClass);
        window = CreateWindowExW(0, PARENT_CLASS, L"layout test", STYLE_CAPTION, 0, 0, 100, 100, nullptr,
                                 nullptr, appInstance, nullptr);
        ASSERT_NE(nullptr, window);
        SetWallpaperPath(L"C:\\Users\\me\\Pictures\\Holiday\\beach at dawn.jpg");
    }

    void TearDown() override {
        DestroyWindow(window);
        if (labelFont != nullptr) {
            DeleteObject(labelFont);
            labelFont = nullptr;
        }
        lineCount = 0;
        if (hadValue) {
            HKEY key;
            RegOpenKeyExW(HKEY_CURRENT_USER, WALLPAPER_KEY, 0, KEY_SET_VALUE, &key);
            RegSetValueExW(key, WALLPAPER_VALUE, 0, savedType, saved, savedBytes);
            RegCloseKey(key);
        } else if (keyExisted) {
            RemoveWallpaperPath();
        } else {
            RegDeleteKeyW(HKEY_CURRENT_USER, WALLPAPER_KEY);
        }
    }

    // Each label: a STATIC child with the line's text, style, identifier and row.
    void ExpectLabelsOf(const LabelLayout& layout) {
        ASSERT_EQ(static_cast<size_t>(lineCount), Children(window).size());
        for (int32_t i = 0; i < lineCount; ++i) {
            const HWND label = reinterpret_cast<HWND>(lines[i].window);
            ASSERT_TRUE(IsWindow(label)) << i;
            EXPECT_EQ(window, GetParent(label));
            wchar_t className[16] = {};
            GetClassNameW(label, className, 16);
            EXPECT_EQ(0, lstrcmpiW(L"Static", className));
            EXPECT_EQ(std::wstring(Wide(lines[i].text)), WindowText(label)) << i;
            EXPECT_EQ(static_cast<LONG>(settings.lineAlign | 0x50000300), GetWindowLongW(label, GWL_STYLE));
            EXPECT_EQ(0, GetWindowLongW(label, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY);
            EXPECT_EQ(LABEL_ID, GetDlgCtrlID(label));
            const RECT r = ChildRect(label);
            EXPECT_EQ(0, r.left) << i;
            EXPECT_EQ((lineCount - i - 1) * layout.rowHeight, r.top) << i;
            EXPECT_EQ(LabelWindowWidth(layout), r.right - r.left) << i;
            EXPECT_EQ(layout.rowHeight, r.bottom - r.top) << i;
            const HFONT expectedFont = settings.customFont ? labelFont : nullptr;
            EXPECT_EQ(expectedFont, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0))) << i;
        }
    }

    // The same computation again with a fresh GDI measurer: the fit is deterministic
    // once fontSize is settled, so it must give the sizes the window got.
    // The labels' own font is set aside meanwhile, so that they keep it.
    LabelLayout LayoutAgain() {
        const HFONT labelsFont = labelFont;
        labelFont = nullptr;
        HDC dc = GetDC(window);
        GdiMeasuring measuring;
        const LabelLayout layout =
            ComputeLabelLayout(GdiTextMeasurer(&measuring, dc), GetSystemMetrics(SM_CYVIRTUALSCREEN));
        EndGdiMeasuring(&measuring);
        ReleaseDC(window, dc);
        if (labelFont != nullptr) {
            DeleteObject(labelFont);
        }
        labelFont = labelsFont;
        return layout;
    }

    void ExpectOuterSize(const LabelLayout& layout) {
        const RECT outer = OuterRect(window);
        EXPECT_EQ(layout.outerWidth, outer.right - outer.left);
        EXPECT_EQ(layout.outerHeight, outer.bottom - outer.top);
        EXPECT_FALSE(IsWindowVisible(window));
    }

    HWND window = nullptr;
    bool keyExisted = false;
    bool hadValue = false;
    DWORD savedType = REG_SZ;
    BYTE saved[WALLPAPER_DATA_BYTES + 64] = {};
    DWORD savedBytes = 0;
};

}  // namespace

TEST_F(LabelWindows, InitialLayoutBuildsPlacesAndHides) {
    settings.maxLines = 3;
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    ASSERT_EQ(3, lineCount);
    const LabelLayout layout = LayoutAgain();
    ExpectLabelsOf(layout);
    ExpectOuterSize(layout);
    EXPECT_EQ(rowHeight, layout.rowHeight);
    EXPECT_EQ(u'\0', previousPath[0]);

    const RECT outer = OuterRect(window);
    const WindowPoint p = InitialPosition(layout.outerWidth, layout.outerHeight);
    EXPECT_EQ(p.x, outer.left);
    EXPECT_EQ(p.y, outer.top);

    // The title bar is back on, and the client area is exactly the labels.
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(STYLE_CAPTION & ~WS_VISIBLE), style & ~WS_CLIPSIBLINGS);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(layout.labelWidth, client.right);
    EXPECT_EQ(layout.rowHeight * 3, client.bottom);
}

TEST_F(LabelWindows, ThreeRowsOfTwentyFromTheBottomUp) {
    settings.maxLines = 3;
    settings.fixedLineHeight = 1;
    settings.lineHeight = 20;
    settings.captionFrame = 0;
    settings.lineAlign = ALIGN_RIGHT;
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    ASSERT_EQ(3, lineCount);
    EXPECT_EQ(40, ChildRect(reinterpret_cast<HWND>(lines[0].window)).top);
    EXPECT_EQ(20, ChildRect(reinterpret_cast<HWND>(lines[1].window)).top);
    EXPECT_EQ(0, ChildRect(reinterpret_cast<HWND>(lines[2].window)).top);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(60, client.bottom);
    EXPECT_EQ(20, rowHeight);
    ExpectLabelsOf(LayoutAgain());
}

TEST_F(LabelWindows, UnreadablePathInInitialModeChangesNothing) {
    RemoveWallpaperPath();
    CopyText(previousPath, u"C:\\old.jpg");
    EXPECT_EQ(0, LayoutLabels(window, 1, 0));
    EXPECT_EQ(u'\0', previousPath[0]);
    EXPECT_TRUE(Children(window).empty());
    EXPECT_EQ(nullptr, labelFont);
    EXPECT_TRUE(IsWindowVisible(window));  // no style reset, no placement
}

TEST_F(LabelWindows, FittedFontReallyFits) {
    const struct {
        int32_t fixedWidth, windowWidth, fixedLineHeight, lineHeight;
    } cases[] = {{1, 180, 0, 0}, {0, 0, 1, 14}, {1, 150, 1, 12}, {1, 120, 1, 30}};
    for (const auto& c : cases) {
        SetDefaultSettings(0, 0xFFFFFF);
        settings.maxLines = 4;
        settings.customFont = 1;
        settings.fontSize = 40;
        settings.fixedWidth = c.fixedWidth;
        settings.windowWidth = c.windowWidth;
        settings.fixedLineHeight = c.fixedLineHeight;
        settings.lineHeight = c.lineHeight;
        SetWallpaperPath(TEN_FOLDERS);
        ASSERT_EQ(1, LayoutLabels(window, 0, 1));
        ASSERT_EQ(4, lineCount);
        const LabelLayout layout = LayoutAgain();
        ExpectLabelsOf(layout);
        ExpectOuterSize(layout);
        const Bounds b = MeasureInLabelFont(window);
        if (c.fixedWidth) {
            EXPECT_LE(b.widest, c.windowWidth - captionExtraCx) << c.windowWidth;
            EXPECT_EQ(c.windowWidth, layout.outerWidth);
        }
        if (c.fixedLineHeight) {
            EXPECT_LE(b.tallest, c.lineHeight) << c.lineHeight;
            EXPECT_LE(b.cell, c.lineHeight) << c.lineHeight;
            EXPECT_EQ(c.lineHeight, rowHeight);
        }
        EXPECT_EQ(40, settings.fontSize);
    }
}

TEST_F(LabelWindows, FontSizeZeroBecomesTheDefaultCell) {
    settings.customFont = 1;
    settings.fixedLineHeight = 1;
    settings.lineHeight = 200;
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    HDC dc = GetDC(window);
    HFONT font = CreateFontW(0, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"");
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(window, dc);
    EXPECT_EQ(metrics.tmHeight + metrics.tmExternalLeading, settings.fontSize);
    EXPECT_LE(MeasureInLabelFont(window).cell, 200);
}

// Wine never sends WM_DPICHANGED: sent here as Windows would after a drag to a monitor
// at 150 %. The corner goes to the suggested place, and S20 becomes 30 pixels.
TEST_F(LabelWindows, DpiChangeMovesTheCornerAndRemakesTheFont) {
    settings.customFont = 1;
    settings.fontSize = 20;
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    LOGFONTW before{};
    GetObjectW(labelFont, sizeof(before), &before);
    ShowWindow(window, SW_SHOWNA);  // a hidden window keeps its anchor instead
    RECT suggested{300, 200, 700, 300};
    MainWndProc(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const RECT outer = OuterRect(window);
    LOGFONTW after{};
    GetObjectW(labelFont, sizeof(after), &after);
    UseDpi(BASE_DPI);
    EXPECT_EQ(300, outer.left);
    EXPECT_EQ(200, outer.top);
    EXPECT_EQ(20, before.lfHeight);
    EXPECT_EQ(30, after.lfHeight);
    EXPECT_EQ(30, MeasureInLabelFont(window).tallest);
}

TEST_F(LabelWindows, RefreshKeepsTheAnchorAndTheShare) {
    const struct { int32_t anchor, vInTenths; } cases[] = {{0, 1}, {1, 1}, {2, 1}, {0, 0}, {2, 0}};
    for (const auto& c : cases) {
        SetDefaultSettings(0, 0xFFFFFF);
        settings.hAnchor = c.anchor;
        settings.vInTenths = c.vInTenths;
        settings.maxLines = 1;
        SetWallpaperPath(L"C:\\Pictures\\short.jpg");
        ASSERT_EQ(1, LayoutLabels(window, 0, 1));
        // Dragged somewhere by the user, then a longer name in two lines and no title bar.
        SetWindowPos(window, nullptr, 301, 207, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT before = OuterRect(window);
        const PriorRect prior{before.left, before.top, before.right - before.left,
                              before.bottom - before.top};
        settings.maxLines = 2;
        settings.captionFrame = 0;
        SetWallpaperPath(L"C:\\Pictures\\A much longer name of a picture.jpg");
        ASSERT_EQ(1, LayoutLabels(window, 0, 1));
        EXPECT_EQ(std::u16string(u"C:\\Pictures\\short.jpg"), previousPath);
        const LabelLayout layout = LayoutAgain();
        ExpectOuterSize(layout);
        const RECT after = OuterRect(window);
        const WindowPoint p = KeepPosition(prior, layout.outerWidth, layout.outerHeight);
        EXPECT_EQ(p.x, after.left) << c.anchor << c.vInTenths;
        EXPECT_EQ(p.y, after.top) << c.anchor << c.vInTenths;
        if (c.anchor == 2) {
            EXPECT_EQ(before.right, after.right);
        }
        if (c.anchor == 1) {
            EXPECT_EQ(before.left, after.left);
        }
        if (!c.vInTenths) {
            EXPECT_EQ(before.top, after.top);
        }
        EXPECT_EQ(static_cast<LONG>(STYLE_BARE & ~WS_VISIBLE),
                  GetWindowLongW(window, GWL_STYLE) & ~WS_CLIPSIBLINGS);
    }
}

TEST_F(LabelWindows, RefreshWithoutReadRebuildsTheSameLabels) {
    settings.maxLines = 2;
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    CopyText(previousPath, u"C:\\earlier.jpg");
    const std::u16string first = lines[0].text;
    RemoveWallpaperPath();  // not read again
    settings.captionFrame = 0;
    ASSERT_EQ(1, LayoutLabels(window, 0, 0));
    EXPECT_EQ(first, std::u16string(lines[0].text));
    EXPECT_EQ(std::u16string(u"C:\\earlier.jpg"), previousPath);
    const LabelLayout layout = LayoutAgain();
    ExpectLabelsOf(layout);
    ExpectOuterSize(layout);
}

TEST_F(LabelWindows, FailedRereadLeavesAWindowAsTallAsItsFrame) {
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    RemoveWallpaperPath();
    ASSERT_EQ(1, LayoutLabels(window, 0, 1));
    EXPECT_EQ(0, lineCount);
    EXPECT_TRUE(Children(window).empty());
    // No new path: the shown one stays current and does not become the previous.
    EXPECT_EQ(std::u16string(u"C:\\Users\\me\\Pictures\\Holiday\\beach at dawn.jpg"), currentPath);
    EXPECT_EQ(std::u16string(), previousPath);
    const RECT outer = OuterRect(window);
    EXPECT_EQ(captionExtraCy, outer.bottom - outer.top);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(LabelWindows, FixedWidthBelowTheFrameGivesLabelsNoWidth) {
    settings.customFont = 1;
    settings.fontSize = 12;
    settings.fixedWidth = 1;
    settings.windowWidth = captionExtraCx - 1 > 0 ? captionExtraCx - 1 : 0;
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    const LabelLayout layout = LayoutAgain();
    EXPECT_LT(layout.labelWidth, 0);
    ExpectLabelsOf(layout);
    ExpectOuterSize(layout);
    const RECT r = ChildRect(reinterpret_cast<HWND>(lines[0].window));
    EXPECT_EQ(0, r.right - r.left);
}

// With a font of its own, and with the system font scaled for a monitor at 150 %: a
// change to 144 while hidden lays out there first (the scaled font made), then at the
// window's 96 again (the scaled font deleted).
TEST_F(LabelWindows, FiveHundredRelayoutsLeaveNoGdiObjectBehind) {
    for (int customFont : {1, 0}) {
        settings.maxLines = 3;
        settings.customFont = customFont;
        settings.fontSize = 14;
        settings.fixedWidth = 1;
        settings.windowWidth = 90;
        ASSERT_EQ(1, LayoutLabels(window, 0, 1));
        const int before = LiveGdiHandles();
        if (before < 0) {
            GTEST_SKIP() << "the process's GDI handle table is not visible here; leak count not checked";
        }
        RECT at150{0, 0, 200, 100};
        for (int i = 0; i < 500; ++i) {
            if (!customFont) {
                MainWndProc(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&at150));
            }
            LayoutLabels(window, 0, i % 2);
        }
        EXPECT_EQ(before, LiveGdiHandles()) << customFont;
        EXPECT_EQ(3u, Children(window).size());
    }
}

// A display change (monitors may have other names) and a monitor check (the window
// may stand on another monitor) read the window's picture again.
TEST_F(LabelWindows, DisplayChangeAndMonitorCheckReadThePictureAgain) {
    for (UINT message : {static_cast<UINT>(WM_DISPLAYCHANGE), WM_MONITORCHECK}) {
        SetWallpaperPath(L"C:\\Pictures\\before.jpg");
        ASSERT_EQ(1, LayoutLabels(window, 0, 1));
        SetWallpaperPath(L"C:\\Pictures\\after.jpg");
        MainWndProc(window, message, 0, 0);
        ASSERT_EQ(1, lineCount);
        EXPECT_NE(std::wstring::npos, WindowText(reinterpret_cast<HWND>(lines[0].window)).find(L"after"))
            << std::hex << message;
    }
}

// The slowest fit without a fixed row: ten lines, the highest start (s2147483647 starts
// at the screen's height) and a 60-pixel window. It ends, with the largest font that
// fits (its time is scripts/bench's worst_fit_ms).
TEST_F(LabelWindows, WorstCaseFitOfTenLines) {
    settings.maxLines = 10;
    settings.customFont = 1;
    settings.fontSize = INT32_MAX;
    settings.fitFont = 1;
    settings.fixedWidth = 1;
    settings.windowWidth = 60;
    SetWallpaperPath(TEN_FOLDERS);
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    ASSERT_EQ(10, lineCount);
    const LONG availWidth = 60 - captionExtraCx;
    LOGFONTW font{};
    GetObjectW(labelFont, sizeof(font), &font);
    EXPECT_LE(MeasureInLabelFont(window).widest, availWidth) << font.lfHeight;
    // One pixel higher is too wide: the fit did not stop below the answer.
    const HFONT fitted = labelFont;
    ++font.lfHeight;
    labelFont = CreateFontIndirectW(&font);
    EXPECT_GT(MeasureInLabelFont(window).widest, availWidth) << font.lfHeight;
    DeleteObject(labelFont);
    labelFont = fitted;
    ExpectOuterSize(LayoutAgain());
}

// A taskbar at the top: the work area starts 40 pixels down, and a window's normal
// rectangle counts from there. Wine 8 keeps SPI_SETWORKAREA to the calling process's
// SPI_GETWORKAREA and leaves the monitor's work area alone; it takes that from a shown
// Shell_TrayWnd when the display is refreshed, a top one moving its top only. It stores a
// placement as given, so the rectangle the program hands over reads back as it is.
class TopTaskbar : public LabelWindows {
protected:
    void SetUp() override {
        LabelWindows::SetUp();
        WNDCLASSW taskbarClass{};
        taskbarClass.lpfnWndProc = DefWindowProcW;
        taskbarClass.hInstance = appInstance;
        taskbarClass.lpszClassName = L"Shell_TrayWnd";
        RegisterClassW(&taskbarClass);
        taskbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", nullptr,
                                  WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN), 40, nullptr,
                                  nullptr, appInstance, nullptr);
        ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr);
    }

    // Also after a failed assertion: the next tests and programs get the whole screen.
    void TearDown() override {
        DestroyWindow(taskbar);
        UnregisterClassW(L"Shell_TrayWnd", appInstance);
        ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr);
        LabelWindows::TearDown();
    }

    HWND taskbar = nullptr;
};

// Both halves of a minimised refresh: the place it gives goes into the normal rectangle
// 40 pixels higher, and the prior place it reads back comes out 40 pixels lower.
TEST_F(TopTaskbar, MinimisedWindowsRectangleCountsFromTheWorkArea) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    ASSERT_EQ(40, monitor.rcWork.top) << "no taskbar at the top: the offset is not reached";
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    ApplyPlacement(window, 300, 200, 120, 50);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    const RECT& normal = placement.rcNormalPosition;
    EXPECT_EQ((std::vector<LONG>{300, 160, 420, 210}),
              (std::vector<LONG>{normal.left, normal.top, normal.right, normal.bottom}));
    const PriorRect prior = RestoredRect(window);
    EXPECT_EQ((std::vector<int32_t>{300, 200, 120, 50}),
              (std::vector<int32_t>{prior.left, prior.top, prior.width, prior.height}));
    EXPECT_TRUE(IsIconic(window));
}

// The work area shrinks (the taskbar grew); Wine keeps SPI_SETWORKAREA to this process's
// SPI_GETWORKAREA. After the notice, a window at the bottom (y10, in tenths) sits on the
// new bottom edge.
TEST_F(LabelWindows, WorkAreaIsReadAgainAtItsNotice) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT smaller = work;
    smaller.bottom -= 100;
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &smaller, 0);
    MainWndProc(window, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    settings.vPosition = 10;
    LayoutLabels(window, 1, 0);
    const RECT placed = OuterRect(window);
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    ReadWorkArea();
    EXPECT_EQ(smaller.bottom - smaller.top, placed.bottom);
}

// The position box's units are the primary monitor's pixels: read again after a change
// of the display, of a setting (a scale) or of the window's DPI.
TEST_F(LabelWindows, PositionDpiIsReadAgainAtEachNotice) {
    ASSERT_EQ(1, LayoutLabels(window, 1, 0));
    RECT suggested{0, 0, 300, 60};
    for (const UINT message : {WM_DISPLAYCHANGE, WM_SETTINGCHANGE, WM_DPICHANGED}) {
        positionDpi = 120;
        MainWndProc(window, message, message == WM_DPICHANGED ? MAKEWPARAM(96, 96) : 0,
                    reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(96, positionDpi) << std::hex << message;
    }
}

namespace {

const wchar_t DESKTOP_KEY[] = L"Control Panel\\Desktop";
// Set in the copy of this program that runs at 150 %: the row height of the 96-DPI run.
const wchar_t ROWS_AT_96[] = L"NUVELO_SHELL_TEST_ROWS_AT_96";

// Records every hide of one window (a SetWindowPos with SWP_HIDEWINDOW or a
// WM_SHOWWINDOW), and every message it gets while marked visible.
HWND watched;
int hides;
int whileVisible;
LRESULT CALLBACK CountHides(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->hwnd == watched) {
        if ((call->message == WM_WINDOWPOSCHANGING &&
             (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_HIDEWINDOW) != 0) ||
            (call->message == WM_SHOWWINDOW && call->wParam == FALSE)) {
            ++hides;
        }
        whileVisible += IsWindowVisible(watched) != FALSE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// The frame styles carry WS_VISIBLE: a hidden window is not marked visible by them
// halfway through its layout, where whoever waits for the window would take it as done.
TEST_F(LabelWindows, HiddenWindowStaysHiddenThroughTheLayout) {
    ASSERT_EQ(1, LayoutLabels(window, 0, 1));
    ASSERT_FALSE(IsWindowVisible(window));
    watched = window;
    whileVisible = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountHides, nullptr, GetCurrentThreadId());
    settings.captionFrame = 0;
    LayoutLabels(window, 0, 1);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(0, whileVisible);
}

// Run by ScaleOf150Percent in a process that Wine started at 144 DPI; skipped elsewhere.
class LabelWindowsAt150 : public LabelWindows {
protected:
    void SetUp() override {
        wchar_t rows[16] = {};
        if (GetEnvironmentVariableW(ROWS_AT_96, rows, 16) == 0) {
            GTEST_SKIP() << "runs in the copy of this program at 150 %";
        }
        rowsAt96 = _wtoi(rows);
        LabelWindows::SetUp();
        ASSERT_EQ(144, layoutDpi);
        ASSERT_EQ(1, LayoutLabels(window, 1, 0));
        ShowWindow(window, SW_SHOWNA);
    }

    int rowsAt96 = 0;
    RECT toMonitorAt100{100, 100, 400, 140};
};

// The labels without a font of their own: at the system's DPI none, at 96 the system
// font made for 96, as tall as the 96-DPI run's; back at 144, none again.
TEST_F(LabelWindowsAt150, DefaultFontFollowsTheDpi) {
    EXPECT_EQ(nullptr, labelFont);
    const int rowsAt144 = rowHeight;
    MainWndProc(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&toMonitorAt100));
    EXPECT_NE(nullptr, labelFont);
    EXPECT_EQ(rowsAt96, ChildRect(reinterpret_cast<HWND>(lines[0].window)).bottom);
    RECT back{100, 100, 500, 160};
    MainWndProc(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(nullptr, labelFont);
    EXPECT_EQ(rowsAt144, rowHeight);
}

// Dragged to a monitor at 100 %, with a new picture on the way: the move loop keeps a
// window it can see; the refresh waits for the end of the move.
TEST_F(LabelWindowsAt150, NeverHiddenWhileDragged) {
    watched = window;
    hides = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountHides, nullptr, GetCurrentThreadId());
    MainWndProc(window, WM_ENTERSIZEMOVE, 0, 0);
    MainWndProc(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&toMonitorAt100));
    SetWallpaperPath(L"C:\\Users\\me\\Pictures\\dusk.jpg");
    MainWndProc(window, WM_DESKTOPCHANGED, 0, 0);
    const std::wstring during = WindowText(reinterpret_cast<HWND>(lines[0].window));
    UnhookWindowsHookEx(hook);
    const RECT moved = OuterRect(window);
    EXPECT_EQ((std::vector<LONG>{100, 100, captionExtraCy + rowsAt96}),
              (std::vector<LONG>{moved.left, moved.top, moved.bottom - moved.top}));
    MainWndProc(window, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(0, hides);
    EXPECT_NE(std::wstring::npos, during.find(L"beach at dawn"));
    EXPECT_NE(std::wstring::npos, WindowText(reinterpret_cast<HWND>(lines[0].window)).find(L"dusk"));
}

// Minimised on a monitor at 100 %, whose scale then becomes 150 %: the suggested
// rectangle is the minimised one, far off screen. Restored, the window is laid out at
// 144 and keeps its anchor where it stood at 96. W300: wider than a restore lets a
// captioned window be.
TEST_F(LabelWindowsAt150, MinimisedThenRestoredKeepsItsAnchor) {
    settings.windowWidth = 300;
    LayoutLabels(window, 0, 0);
    ShowWindow(window, SW_SHOWNA);
    const RECT at144 = OuterRect(window);
    MainWndProc(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&toMonitorAt100));
    const RECT before = OuterRect(window);
    ASSERT_NE(at144.bottom - at144.top, before.bottom - before.top) << "the DPI did not change";
    ShowWindow(window, SW_MINIMIZE);
    RECT iconic{-32000, -32000, -31840, -31976};
    MainWndProc(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&iconic));
    EXPECT_TRUE(IsIconic(window));
    ShowWindow(window, SW_RESTORE);
    const RECT restored = OuterRect(window);
    const WindowPoint p = KeepPosition(
        PriorRect{before.left, before.top, before.right - before.left, before.bottom - before.top},
        at144.right - at144.left, at144.bottom - at144.top);
    EXPECT_EQ((std::vector<LONG>{p.x, p.y, at144.right - at144.left, at144.bottom - at144.top}),
              (std::vector<LONG>{restored.left, restored.top, restored.right - restored.left,
                                 restored.bottom - restored.top}));
}

// Wine takes the DPI from LogPixels when a process starts: the cases above run in a copy
// of this program started with 144, told the row height that the default font gives at
// 96, measured here by hand.
TEST(ScaleOf150Percent, CasesRunInAProcessAt144) {
    if (GetEnvironmentVariableW(ROWS_AT_96, nullptr, 0) != 0) {
        GTEST_SKIP() << "this is the copy";
    }
    const HDC screen = GetDC(nullptr);
    ASSERT_EQ(96, GetDeviceCaps(screen, LOGPIXELSY));
    const HGDIOBJ old = SelectObject(screen, GetStockObject(SYSTEM_FONT));
    SIZE extent{};
    GetTextExtentPoint32W(screen, L"beach at dawn", 13, &extent);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    SetEnvironmentVariableW(ROWS_AT_96, std::to_wstring(extent.cy).c_str());

    const DWORD dpi = 144;
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi)));
    const DWORD exitCode = RunToEnd(ThisProgramPath(), L"--gtest_brief=1 --gtest_filter=LabelWindowsAt150.*");
    SetEnvironmentVariableW(ROWS_AT_96, nullptr);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, DESKTOP_KEY, L"LogPixels");
    EXPECT_EQ(0u, exitCode)
        << "a case at 150 % failed or hung (259: did not start or end): its output is above";
}
