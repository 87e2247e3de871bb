// Two monitors side by side (DUAL_SCENARIO): each window shows the picture of the monitor
// under its anchor point, however wide that picture's name makes it.
#include "tests/e2e/driver.h"
#include "tests/e2e/main_window.h"

using namespace main_window;

namespace {

const POINT RIGHT_MONITOR = {1500, 100};

struct LabelsOf {
    HWND main;
    std::wstring first;
};

bool FirstLabelIs(void* context) {
    const LabelsOf* watch = static_cast<const LabelsOf*>(context);
    const std::vector<std::wstring> texts = LabelTexts(watch->main);
    return !texts.empty() && texts[0] == watch->first;
}

std::wstring FirstLabelOf(HWND main) {
    const std::vector<std::wstring> texts = LabelTexts(main);
    return texts.empty() ? std::wstring() : texts[0];
}

// Every layout makes the labels anew.
HWND FirstLabelWindow(HWND main) {
    const std::vector<ChildInfo> labels = LabelsTopDown(main);
    return labels.empty() ? nullptr : labels[0].window;
}

HWND StartOn(const std::wstring& arguments, const std::wstring& exe, const std::wstring& caption) {
    const StartedProcess process = StartNuvelo(arguments, exe);
    return process.process != nullptr ? WaitForMainWindow(process, StartTimeout(), caption) : nullptr;
}

}  // namespace

// Started on each monitor, each window shows that monitor's picture; a change of one
// monitor's picture reaches only its window; a window moved by another program (no drag)
// shows the new monitor's picture; a window across the border, anchored on the left
// monitor whose long name makes it stand mostly on the right one, shows the left's
// picture and stays idle.
DUAL_SCENARIO(window_shows_its_monitors_picture) {
    const std::wstring left = MonitorDeviceForCache();
    const std::wstring right = MonitorDeviceForCache(RIGHT_MONITOR);
    REQUIRE(left != right);
    const std::wstring longName = L"Harbour at dawn seen from the old lighthouse steps";
    SetMonitorImageCache(0, L"C:\\Pictures\\" + longName + L".jpg", left);
    SetMonitorImageCache(1, L"C:\\Pictures\\Sky.jpg", right);

    HWND first = StartOn(L"l100 y100", std::wstring(), L"Nuvelo");
    HWND second = StartOn(L"l1500 y100", CopyTargetAs(L"Wall2.exe"), L"Wall2");
    REQUIRE(first != nullptr && second != nullptr);
    LabelsOf firstShows = {first, L" " + longName + L" "};
    LabelsOf secondShows = {second, L" Sky "};
    CHECK(WaitUntil(FirstLabelIs, &firstShows, ReactionTimeout()));
    CHECK(WaitUntil(FirstLabelIs, &secondShows, ReactionTimeout()));

    const HWND firstLabel = FirstLabelWindow(first);
    SetMonitorImageCache(1, L"C:\\Pictures\\Canyon.jpg", right);
    secondShows.first = L" Canyon ";
    CHECK(WaitUntil(FirstLabelIs, &secondShows, ReactionTimeout()));
    PassTime(500);
    CHECK(FirstLabelIs(&firstShows) && FirstLabelWindow(first) == firstLabel);

    for (const POINT to : {POINT{1600, 300}, POINT{300, 300}}) {
        SetWindowPos(first, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        firstShows.first = to.x > 1280 ? L" Canyon " : L" " + longName + L" ";
        CHECK(WaitUntil(FirstLabelIs, &firstShows, 1000));
    }
    EndLeftoverInstances(L"Nuvelo");

    HWND across = StartOn(L"l1150 y100", std::wstring(), L"Nuvelo");
    REQUIRE(across != nullptr);
    const RECT r = WindowRectOf(across);
    Note("across the border: %ld to %ld", r.left, r.right);
    CHECK(r.left == 1150 && r.right - 1280 > 1280 - r.left);  // mostly on the right monitor
    int changes = 0;
    HWND label = FirstLabelWindow(across);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 3000; PassTime(20)) {
        const HWND seen = FirstLabelWindow(across);
        changes += seen != label;
        label = seen;
    }
    CHECK_EQ(0, changes);
    CHECK_TEXT(L" " + longName + L" ", FirstLabelOf(across));
}
