#include "tests/e2e/label_watch.h"

#include <algorithm>

namespace label_watch {

namespace {

struct MainQuery {
    DWORD processId;
    HWND found;
    RECT lastWindow;
    RECT lastLabel;
    int sameReadings;
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Shown, with labels inside the window, and the same in a few readings in a row: the
// first layout shows the window for a moment (by its style) before its labels, and
// again with them before it is moved into place.
bool MainWindowSettled(void* context) {
    MainQuery* query = static_cast<MainQuery*>(context);
    query->found = MainWindowOf(query->processId);
    if (query->found == nullptr || !IsWindowVisible(query->found)) {
        query->sameReadings = 0;
        return false;
    }
    std::vector<ChildInfo> labels = Labels(query->found);
    RECT window = WindowRectOf(query->found);
    RECT label = labels.empty() ? RECT{} : labels[0].rect;
    // The label's corner is within the window (a window wider than the screen may be cut
    // to the screen's size, its label not).
    POINT corner = {label.left, label.top};
    bool laidOut = !labels.empty() && PtInRect(&window, corner);
    if (laidOut && SameRect(window, query->lastWindow) && SameRect(label, query->lastLabel)) {
        ++query->sameReadings;
    } else {
        query->sameReadings = laidOut ? 1 : 0;
    }
    query->lastWindow = window;
    query->lastLabel = label;
    return query->sameReadings >= 3;
}

bool Never(void*) {
    return false;
}

bool IsForeground(void* window) {
    return GetForegroundWindow() == static_cast<HWND>(window);
}

}  // namespace

HWND MainWindowOf(DWORD processId) {
    for (HWND window : ProcessWindows(processId)) {
        if (ClassNameOf(window) == L"Nuvelo") {
            return window;
        }
    }
    return nullptr;
}

HWND WaitForMainWindow(const StartedProcess& process, DebugSession* session, DWORD timeoutMs) {
    MainQuery query = {process.id, nullptr, {}, {}, 0};
    WaitFor(session, MainWindowSettled, &query, timeoutMs);
    if (query.sameReadings < 3) {
        return nullptr;
    }
    return query.found;
}

bool WaitFor(DebugSession* session, Condition condition, void* context, DWORD timeoutMs) {
    if (session != nullptr) {
        return RunDebugLoop(*session, condition, context, timeoutMs);
    }
    return WaitUntil(condition, context, timeoutMs);
}

void PassTimeServing(DebugSession* session, DWORD milliseconds) {
    if (session != nullptr) {
        // Never holds, so the loop runs for the whole time unless the program ends.
        RunDebugLoop(*session, Never, nullptr, milliseconds);
    } else {
        PassTime(milliseconds);
    }
}

std::vector<ChildInfo> Labels(HWND main) {
    std::vector<ChildInfo> labels = ChildWindows(main, L"Static");
    // The file name is the bottom row.
    std::sort(labels.begin(), labels.end(),
              [](const ChildInfo& a, const ChildInfo& b) { return a.rect.top > b.rect.top; });
    return labels;
}

std::vector<std::wstring> LabelTexts(HWND main) {
    std::vector<std::wstring> texts;
    for (const ChildInfo& label : Labels(main)) {
        texts.push_back(label.text);
    }
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
        PassTimeServing(session, 5);
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
        WaitFor(session, IsForeground, main, ReactionTimeout());
    }
    ClickAt(at.x, at.y, modifier, session);
}

}  // namespace label_watch
