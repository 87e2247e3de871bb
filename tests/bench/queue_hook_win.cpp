// Loaded by Wine into the watched program's GUI thread (a WH_GETMESSAGE hook): every
// message the program takes from its queue is reported to the bench's sink window, a
// WM_TIMER with its timer id, anything else with its message number. An idle program
// takes nothing, so the count of reports is the count of its wake-ups by the queue.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK QueueHookProc(int code, WPARAM removal, LPARAM data) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        const MSG* message = reinterpret_cast<const MSG*>(data);
        HWND sink = FindWindowW(L"NuveloBenchSink", nullptr);
        if (sink != nullptr) {
            const bool timer = message->message == WM_TIMER;
            PostMessageW(sink, timer ? WM_APP + 1 : WM_APP + 2, timer ? message->wParam : message->message,
                         static_cast<LPARAM>(GetCurrentProcessId()));
        }
    }
    return CallNextHookEx(nullptr, code, removal, data);
}
