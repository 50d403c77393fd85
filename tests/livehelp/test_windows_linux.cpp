#include "tests/livehelp/test_windows.h"

#include "platform/platform.h"
#include "platform/window_model.h"

#include <vector>

void* CreateTestWindow(void* parent, const char16_t* className, const char16_t* text) {
    return WindowModelCreate(parent, className, text, true);
}

void DestroyTestWindow(void* window) {
    WindowModelDestroy(window);
}

void SetTestWindowText(void* window, const char16_t* text) {
    WindowModelSetText(window, text);
}

std::u16string TestWindowText(void* window) {
    std::vector<char16_t> buffer(65536);
    uint32_t n = PlatformGetWindowText(window, buffer);
    return std::u16string(buffer.data(), n);
}
