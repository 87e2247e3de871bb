// Watching a running Nuvelo from outside: its main window, the texts of its labels,
// the local clock that its slideshow timer follows.
#pragma once

#include "tests/e2e/driver.h"

#include <cstdint>
#include <string>
#include <vector>

// A namespace of its own: other scenario files keep helpers of similar names.
namespace label_watch {

// Waits for it to be shown with its labels, in place; through the debug loop when
// session is not null.
HWND WaitForMainWindow(const StartedProcess& process, DebugSession* session, DWORD timeoutMs);

// The label texts, bottom row (the file name) first.
std::vector<std::wstring> LabelTexts(HWND main);
// The labels, bottom row first.
std::vector<ChildInfo> Labels(HWND main);

// What a label on its own line shows for a file name: one blank either side.
std::wstring Padded(const std::wstring& text);

// Local time in milliseconds, counted on across midnight so that a wait over it does
// not jump back. For an interval that divides a day, its phase is the one of the
// slideshow grid, which is counted from local midnight.
int64_t LocalMilliseconds();
// The first multiple of interval after t.
int64_t NextGridPoint(int64_t t, int64_t interval);
// Lets time pass until the clock is between from and to milliseconds past a grid point.
void WaitForGridPhase(DebugSession* session, int64_t interval, int64_t from, int64_t to);

// How much taller a captioned window is than a bare one with the same client area.
int CaptionExtraHeight();

// Top-level message boxes (#32770) of that process.
int MessageBoxCount(DWORD processId);

// One click at a point of main; with modifier (VK_SHIFT, VK_CONTROL) held from before
// the click until the program has handled it.
void ClickHolding(DebugSession* session, HWND main, POINT at, WORD modifier);

}  // namespace label_watch
