#include "fuzz/fuzz_windows.h"

#include "host/hostshell/host_control.h"

#include <windows.h>

void FuzzMakeHostWindow() {
    WNDCLASSW main{};
    main.lpfnWndProc = DefWindowProcW;
    main.hInstance = GetModuleHandleW(nullptr);
    main.lpszClassName = L"HintbarFuzzHost";
    RegisterClassW(&main);
    WNDCLASSW bar = main;
    bar.lpszClassName = L"XTPStatusBar";
    RegisterClassW(&bar);
    HWND window = CreateWindowW(L"HintbarFuzzHost", L"fuzz", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, main.hInstance, nullptr);
    CreateWindowW(L"XTPStatusBar", L"Ready", WS_CHILD, 0, 0, 200, 20, window, nullptr,
                  main.hInstance, nullptr);
    HostSetMainWindow(window);
}
