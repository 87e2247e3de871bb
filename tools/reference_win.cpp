// The least a window with one line of text can do: register a class, create a visible
// window with one static label, run the message loop, end when closed. The benchmark
// compares Nuvelo against it built twice: bare (reference_bare, the start-up limit) and
// with the program's own flags, libraries and stack guard (reference).
#include <windows.h>

namespace {

const wchar_t REFERENCE_CLASS[] = L"NuveloReference";

LRESULT CALLBACK ReferenceWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // WM_CLOSE's default destroys the window; its end ends the loop.
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ReferenceWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = REFERENCE_CLASS;
    if (RegisterClassExW(&windowClass) == 0) {
        return 0;
    }
    HWND window = CreateWindowExW(0, REFERENCE_CLASS, L"Reference window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 240, 80, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 0;
    }
    CreateWindowExW(0, L"STATIC", L"reference.jpg", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 220, 20, window,
                    nullptr, instance, nullptr);
    ShowWindow(window, showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
