// The driver's own instruments, checked against windows and processes of the driver's
// making, so that a scenario's failure points at Nuvelo and not at the instrument.
#include "tests/e2e/driver.h"

namespace {

bool ButtonDownSeen(void* count) {
    return ProbeInputSeen().buttonDowns >= *static_cast<int*>(count);
}

bool DoubleClickSeen(void*) {
    return ProbeInputSeen().doubleClicks >= 1;
}

}  // namespace

// Absolute mouse positions land on the intended pixel, modifiers are held during the
// click, and the pixel reader sees the window the driver painted.
SCENARIO(driver_input_and_pixels) {
    RECT rect = {200, 150, 600, 450};
    HWND probe = CreateProbeWindow(L"driver probe", rect);
    REQUIRE(probe != nullptr);
    SetForegroundWindow(probe);
    RECT client = ClientRectOnScreen(probe);
    PassTime(300);  // let the first paint happen before reading pixels
    CHECK_EQ(RGB(255, 255, 255), ScreenPixel(client.left + 10, client.top + 10));
    CHECK_EQ(RGB(255, 255, 255), ScreenPixel(client.right - 2, client.bottom - 2));
    std::vector<COLORREF> pixels = ScreenPixels(client);
    CHECK_EQ(static_cast<long long>(client.right - client.left) * (client.bottom - client.top),
             pixels.size());

    const struct {
        int x, y;  // client coordinates
        WORD modifier;
        WPARAM keys;
    } clicks[] = {
        {5, 7, 0, 0},
        {123, 45, VK_SHIFT, MK_SHIFT},
        {300, 200, VK_CONTROL, MK_CONTROL},
    };
    int expected = 0;
    for (const auto& click : clicks) {
        ClickAt(client.left + click.x, client.top + click.y, click.modifier);
        ++expected;
        REQUIRE(WaitUntil(ButtonDownSeen, &expected, ReactionTimeout()));
        CHECK_EQ(click.x, ProbeInputSeen().lastPoint.x);
        CHECK_EQ(click.y, ProbeInputSeen().lastPoint.y);
        CHECK_EQ(click.keys, ProbeInputSeen().lastKeys & (MK_SHIFT | MK_CONTROL));
        PassTime(GetDoubleClickTime() + 50);  // keep the clicks apart
    }
    DoubleClickAt(client.left + 50, client.top + 60);
    CHECK(WaitUntil(DoubleClickSeen, nullptr, ReactionTimeout()));
    CHECK_EQ(0, GetAsyncKeyState(VK_SHIFT) & 0x8000);
}

// A debugged process's children are recorded with their exact command line and ended.
SCENARIO(driver_explorer_capture) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
    DebugSession session;
    REQUIRE(StartDebugged(session, L"/c explorer.exe /select,\"C:\\users\\Public\\a b.jpg\"", cmd));
    CHECK(RunDebugLoop(session, nullptr, nullptr, StartTimeout()));
    CHECK(session.mainExited);
    REQUIRE_EQ(1, session.childCommandLines.size());
    const std::wstring& line = session.childCommandLines[0];
    CHECK(line.find(L"explorer") != std::wstring::npos);
    CHECK(line.find(L" /select,\"C:\\users\\Public\\a b.jpg\"") != std::wstring::npos);
    // Ended before it could open a window.
    CHECK(FindWindowW(L"ExploreWClass", nullptr) == nullptr);
    CHECK(FindWindowW(L"CabinetWClass", nullptr) == nullptr);
}
