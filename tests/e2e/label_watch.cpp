#include "tests/e2e/label_watch.h"

#include "tests/e2e/main_window.h"

#include <algorithm>

namespace label_watch {

HWND WaitForMainWindow(const StartedProcess& process, DebugSession* session, DWORD timeoutMs) {
    return main_window::WaitForMainWindowOf(session, process.id, timeoutMs);
}

// The file name is the bottom row.
std::vector<ChildInfo> Labels(HWND main) {
    std::vector<ChildInfo> labels = main_window::LabelsTopDown(main);
    std::reverse(labels.begin(), labels.end());
    return labels;
}

std::vector<std::wstring> LabelTexts(HWND main) {
    std::vector<std::wstring> texts = main_window::LabelTexts(main);
    std::reverse(texts.begin(), texts.end());
    return texts;
}

std::wstring Padded(const std::wstring& text) {
    return L" " + text + L" ";
}

int64_t LocalMilliseconds() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME count;  // 100-nanosecond units since 1601, in local time
    SystemTimeToFileTime(&now, &count);
    return static_cast<int64_t>((uint64_t{count.dwHighDateTime} << 32 | count.dwLowDateTime) / 10000);
}

int64_t NextGridPoint(int64_t t, int64_t interval) {
    return (t / interval + 1) * interval;
}

void WaitForGridPhase(DebugSession* session, int64_t interval, int64_t from, int64_t to) {
    for (int64_t i = 0; i < interval / 5 + 2; ++i) {
        int64_t phase = LocalMilliseconds() % interval;
        if (phase >= from && phase < to) {
            return;
        }
        PassTimeWith(session, 5);
    }
}

int CaptionExtraHeight() {
    const DWORD captionStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const DWORD bareStyle = WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT caption = {0, 0, 0, 0};
    RECT bare = {0, 0, 0, 0};
    AdjustWindowRect(&caption, captionStyle, FALSE);
    AdjustWindowRect(&bare, bareStyle, FALSE);
    return (caption.bottom - caption.top) - (bare.bottom - bare.top);
}

int MessageBoxCount(DWORD processId) {
    int count = 0;
    for (HWND window : ProcessWindows(processId)) {
        if (ClassNameOf(window) == L"#32770") {
            ++count;
        }
    }
    return count;
}

void ClickHolding(DebugSession* session, HWND main, POINT at, WORD modifier) {
    if (modifier != 0) {
        SetForegroundWindow(main);
        WaitWith(session, IsForeground, main, ReactionTimeout());
    }
    ClickAt(at.x, at.y, modifier, session);
}

}  // namespace label_watch
