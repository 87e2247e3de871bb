// What the scenarios about Nuvelo's main window share: finding the window that a start
// made once it is laid out, its labels from top to bottom, the work area it is placed
// on, and waiting while a debugged start keeps running.
#pragma once

#include "tests/e2e/driver.h"

// A namespace of their own: other scenario files keep helpers of similar names.
namespace main_window {

// The three frame styles as the window reports them (WS_CLIPSIBLINGS left out).
constexpr LONG_PTR STYLE_CAPTION_SEEN = 0x10CA0000;
constexpr LONG_PTR STYLE_THIN_SEEN = 0x104A0000;
constexpr LONG_PTR STYLE_BARE_SEEN = 0x100A0000;

// The wallpaper most scenarios show: one padded line, " Beach ".
extern const wchar_t BEACH_PATH[];  // C:\Pictures\Beach.jpg

// Size of the desktop work area, as the program takes it at start-up.
SIZE WorkAreaSize();

// The top-level window of class caption that belongs to the process, once it is
// shown with its labels and its first layout has finished. Null on timeout.
HWND WaitForMainWindow(const StartedProcess& process,
                       DWORD timeoutMs,
                       const std::wstring& caption = L"Nuvelo");
// The same for a debugged start: the wait runs the debug loop.
HWND WaitForMainWindow(DebugSession& session, DWORD timeoutMs, const std::wstring& caption = L"Nuvelo");
// The general form: the process's window; the debug loop runs when session is not null.
HWND WaitForMainWindowOf(DebugSession* session,
                         DWORD processId,
                         DWORD timeoutMs,
                         const std::wstring& caption = L"Nuvelo");

// Waits until a layout of the window has finished (shown, with labels, reading the
// same several times in a row) and condition, when given, holds for it. The debug loop
// runs while waiting when session is not null.
using LayoutCondition = bool (*)(HWND main, void* context);
bool WaitForLayout(DebugSession* session,
                   HWND main,
                   LayoutCondition condition,
                   void* context,
                   DWORD timeoutMs);

// The style as the program set it: the system keeps WS_CLIPSIBLINGS on every
// top-level window whatever the program asks for.
LONG_PTR FrameStyleOf(HWND main);

// The window's static labels, topmost row first.
std::vector<ChildInfo> LabelsTopDown(HWND main);
// The label texts, topmost row first.
std::vector<std::wstring> LabelTexts(HWND main);

}  // namespace main_window
