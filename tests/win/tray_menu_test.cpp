#include <gtest/gtest.h>

#include "window/placement.h"
#include "window/shell_win.h"
#include "window/tray_win.h"

namespace {

const UINT ITEMS[5] = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE};
const char* const ITEM_NAMES[5] = {"restore", "move", "size", "minimise", "maximise"};

bool Greyed(UINT item) {
    return (GetMenuState(sysMenu, item, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

class TrayMenu : public ::testing::Test {
protected:
    void SetUp() override {
        // The main window's frame: caption, system menu and minimise box, no sizing.
        window = CreateWindowExW(0, L"Static", L"tray menu", STYLE_CAPTION & ~WS_VISIBLE, 10, 10, 200, 80,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window);
        saved = sysMenu;
        sysMenu = GetSystemMenu(window, FALSE);
        ASSERT_NE(nullptr, sysMenu);
    }
    void TearDown() override {
        sysMenu = saved;
        DestroyWindow(window);
    }
    // Every item the opposite of what the state wants, so that only UpdateTrayMenu
    // can make them right.
    void Scramble(const bool (&greyed)[5]) {
        for (int i = 0; i < 5; ++i) {
            EnableMenuItem(sysMenu, ITEMS[i], MF_BYCOMMAND | (greyed[i] ? MF_ENABLED : MF_GRAYED));
        }
    }
    HWND window = nullptr;
    HMENU saved = nullptr;
};

}  // namespace

TEST_F(TrayMenu, ItemsFollowTheIconicState) {
    struct Case {
        const char* name;
        int showCommands[2];  // applied in order; 0 ends the list
        bool iconic;
        bool greyed[5];  // restore, move, size, minimise, maximise
    } cases[] = {
        {"shown", {SW_SHOWNOACTIVATE, 0}, false, {true, false, true, false, true}},
        {"hidden, not minimised", {SW_HIDE, 0}, false, {true, false, true, false, true}},
        {"minimised", {SW_SHOWMINNOACTIVE, 0}, true, {false, true, true, true, true}},
        {"minimised, then hidden", {SW_SHOWMINNOACTIVE, SW_HIDE}, true, {false, true, true, true, true}},
        {"restored again", {SW_SHOWMINNOACTIVE, SW_SHOWNOACTIVATE}, false, {true, false, true, false, true}},
    };
    for (const Case& c : cases) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        for (int command : c.showCommands) {
            if (command != 0) {
                ShowWindow(window, command);
            }
        }
        ASSERT_EQ(c.iconic, IsIconic(window) != FALSE) << c.name;
        Scramble(c.greyed);
        UpdateTrayMenu(window);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(c.greyed[i], Greyed(ITEMS[i])) << c.name << ": " << ITEM_NAMES[i];
        }
        // Close keeps the state the system gave it.
        EXPECT_FALSE(Greyed(SC_CLOSE)) << c.name;
    }
}
