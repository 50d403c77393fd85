#include "tests/livehelp/test_windows.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {
// Classes registered here; each is dropped again once its last window is gone, so that a test
// may register the same name in another case.
std::vector<std::wstring> g_classes;

LPCWSTR W(const char16_t* text) {
    return reinterpret_cast<LPCWSTR>(text);
}
} // namespace

void* CreateTestWindow(void* parent, const char16_t* className, const char16_t* text) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = W(className);
    if (RegisterClassW(&wc)) {
        g_classes.push_back(W(className));
    }
    DWORD style = parent ? (WS_CHILD | WS_VISIBLE) : WS_OVERLAPPEDWINDOW;
    return CreateWindowExW(0, W(className), W(text), style, 0, 0, 300, 100,
                           static_cast<HWND>(parent), nullptr, instance, nullptr);
}

void DestroyTestWindow(void* window) {
    DestroyWindow(static_cast<HWND>(window));
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (size_t i = g_classes.size(); i-- > 0;) {
        if (UnregisterClassW(g_classes[i].c_str(), instance)) {
            g_classes.erase(g_classes.begin() + static_cast<long>(i));
        }
    }
}

void SetTestWindowText(void* window, const char16_t* text) {
    SetWindowTextW(static_cast<HWND>(window), W(text));
}

std::u16string TestWindowText(void* window) {
    std::vector<wchar_t> buffer(65536);
    LRESULT n = SendMessageW(static_cast<HWND>(window), WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()));
    return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<size_t>(n));
}
