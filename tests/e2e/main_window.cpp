// Helpers of the main-window scenarios; see main_window.h.
#include "tests/e2e/main_window.h"

#include <algorithm>

namespace main_window {

const wchar_t BEACH_PATH[] = L"C:\\Pictures\\Beach.jpg";

SIZE WorkAreaSize() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return SIZE{work.right - work.left, work.bottom - work.top};
}

namespace {

// What a layout decides, as seen from outside; two equal readings in a row mean the
// window is not in the middle of one.
struct Shape {
    bool visible;
    LONG_PTR style;
    RECT outer;
    RECT client;
    std::vector<RECT> labels;
};

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}

bool SameShape(const Shape& a, const Shape& b) {
    if (a.visible != b.visible || a.style != b.style || !SameRect(a.outer, b.outer) ||
        !SameRect(a.client, b.client) || a.labels.size() != b.labels.size()) {
        return false;
    }
    for (size_t i = 0; i < a.labels.size(); ++i) {
        if (!SameRect(a.labels[i], b.labels[i])) {
            return false;
        }
    }
    return true;
}

Shape ShapeOf(HWND main) {
    Shape shape = {
        IsWindowVisible(main) != 0, WindowStyle(main), WindowRectOf(main), ClientRectOnScreen(main), {}};
    for (const ChildInfo& label : ChildWindows(main, L"Static")) {
        shape.labels.push_back(label.rect);
    }
    return shape;
}

struct LayoutQuery {
    HWND main;
    LayoutCondition condition;
    void* context;
    Shape last;
    int sameReadings;
    bool done;  // once true it stays so: a caller may ask again after the wait
};

// A layout is finished when the window is shown with its labels and reads the same
// three times in a row: in the middle of a layout the style already holds WS_VISIBLE
// while the frame and the labels have not yet moved.
bool LayoutSettled(void* context) {
    LayoutQuery* query = static_cast<LayoutQuery*>(context);
    if (query->done) {
        return true;
    }
    Shape shape = ShapeOf(query->main);
    bool shown = shape.visible && !shape.labels.empty();
    if (shown && query->sameReadings > 0 && SameShape(shape, query->last)) {
        ++query->sameReadings;
    } else {
        query->sameReadings = shown ? 1 : 0;
    }
    query->last = shape;
    query->done = query->sameReadings >= 3 &&
                  (query->condition == nullptr || query->condition(query->main, query->context));
    return query->done;
}

struct MainWindowQuery {
    DWORD processId;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM parameter) {
    MainWindowQuery* query = reinterpret_cast<MainWindowQuery*>(parameter);
    if (WindowProcessId(window) != query->processId || ClassNameOf(window) != *query->caption) {
        return TRUE;
    }
    // Born visible and zero-sized; hidden from the start of the first layout until it
    // is shown at its place, by then with its labels.
    if (IsWindowVisible(window) && !ChildWindows(window, L"Static").empty()) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

bool MainWindowShown(void* context) {
    MainWindowQuery* query = static_cast<MainWindowQuery*>(context);
    if (query->found != nullptr) {
        return true;  // asked again after the wait: the window stays found
    }
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(query));
    return query->found != nullptr;
}

}  // namespace

bool WaitForLayout(DebugSession* session,
                   HWND main,
                   LayoutCondition condition,
                   void* context,
                   DWORD timeoutMs) {
    LayoutQuery query = {main, condition, context, {}, 0, false};
    return WaitWith(session, LayoutSettled, &query, timeoutMs);
}

HWND WaitForMainWindowOf(DebugSession* session,
                         DWORD processId,
                         DWORD timeoutMs,
                         const std::wstring& caption) {
    DWORD start = GetTickCount();
    MainWindowQuery query = {processId, &caption, nullptr};
    if (!WaitWith(session, MainWindowShown, &query, timeoutMs)) {
        return nullptr;
    }
    DWORD spent = GetTickCount() - start;
    if (!WaitForLayout(session, query.found, nullptr, nullptr, timeoutMs > spent ? timeoutMs - spent : 0)) {
        return nullptr;
    }
    return query.found;
}

HWND WaitForMainWindow(const StartedProcess& process, DWORD timeoutMs, const std::wstring& caption) {
    return WaitForMainWindowOf(nullptr, process.id, timeoutMs, caption);
}

HWND WaitForMainWindow(DebugSession& session, DWORD timeoutMs, const std::wstring& caption) {
    return WaitForMainWindowOf(&session, session.main.id, timeoutMs, caption);
}

LONG_PTR FrameStyleOf(HWND main) {
    return WindowStyle(main) & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS);
}

std::vector<ChildInfo> LabelsTopDown(HWND main) {
    std::vector<ChildInfo> labels = ChildWindows(main, L"Static");
    std::stable_sort(labels.begin(), labels.end(),
                     [](const ChildInfo& a, const ChildInfo& b) { return a.rect.top < b.rect.top; });
    return labels;
}

std::vector<std::wstring> LabelTexts(HWND main) {
    std::vector<std::wstring> texts;
    for (const ChildInfo& label : LabelsTopDown(main)) {
        texts.push_back(label.text);
    }
    return texts;
}

}  // namespace main_window
