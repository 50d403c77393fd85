// The main window and its status bar: plain registered classes, the bar drawing its own text.
#include "host/win/host_window.h"

#include <vector>

namespace {
const wchar_t kMainClass[] = L"HintbarHostMain";
const wchar_t kStatusClass[] = L"XTPStatusBar";
constexpr int kBarHeight = 22;
std::wstring g_commandLine; // shown in the main window after a prompt

LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        FillRect(dc, &area, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        int length = GetWindowTextLengthW(window);
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
        GetWindowTextW(window, text.data(), length + 1);
        SetBkMode(dc, TRANSPARENT);
        area.left += 4;
        // The help begins with a zero width space, which some fonts draw as a box.
        const wchar_t* shown = text[0] == 0x200B ? text.data() + 1 : text.data();
        DrawTextW(dc, shown, -1, &area, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS);
        EndPaint(window, &paint);
        return 0;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        HWND bar = FindWindowExW(window, nullptr, kStatusClass, nullptr);
        int width = LOWORD(lParam);
        int height = HIWORD(lParam);
        // A help text has several lines: the bar grows upwards to a third of the window.
        if (bar) {
            int barHeight = height / 3 > kBarHeight ? height / 3 : kBarHeight;
            MoveWindow(bar, 0, height - barHeight, width, barHeight, TRUE);
        }
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        std::wstring line = L"C:\\> " + g_commandLine + L"_";
        HGDIOBJ font = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
        TextOutW(dc, 8, 8, line.c_str(), static_cast<int>(line.size()));
        SelectObject(dc, font);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSW main = {};
    main.lpfnWndProc = MainProc;
    main.hInstance = instance;
    main.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    main.lpszClassName = kMainClass;
    WNDCLASSW bar = {};
    bar.lpfnWndProc = StatusBarProc;
    bar.hInstance = instance;
    bar.hCursor = main.hCursor;
    bar.lpszClassName = kStatusClass;
    return RegisterClassW(&main) && RegisterClassW(&bar);
}
} // namespace

bool CreateHostWindow(HostWindow* window, const wchar_t* statusText) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    *window = HostWindow{};
    if (!RegisterClasses(instance)) {
        return false;
    }
    window->main =
        CreateWindowExW(0, kMainClass, L"Hintbar Host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 400, nullptr, nullptr, instance, nullptr);
    if (!window->main) {
        return false;
    }
    window->statusBar = CreateWindowExW(0, kStatusClass, statusText, WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                        0, window->main, nullptr, instance, nullptr);
    if (!window->statusBar) {
        DestroyWindow(window->main);
        window->main = nullptr;
        return false;
    }
    ShowWindow(window->main, SW_SHOWNORMAL);
    UpdateWindow(window->main);
    return true;
}

void DestroyHostWindow(HostWindow* window) {
    if (window->main) {
        DestroyWindow(window->main);
    }
    *window = HostWindow{};
    PumpMessages();
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void ShowCommandLine(const HostWindow& window, const wchar_t* line) {
    g_commandLine = line;
    InvalidateRect(window.main, nullptr, TRUE);
}

std::wstring StatusBarText(const HostWindow& window) {
    std::vector<wchar_t> text(65536);
    LRESULT n = SendMessageW(window.statusBar, WM_GETTEXT, text.size(),
                             reinterpret_cast<LPARAM>(text.data()));
    return std::wstring(text.data(), static_cast<size_t>(n));
}
