// Windows: the process, environment, console, text and window services are the system's own,
// with the test builds' fault injection in front of them.
#include "platform/call_faults.h"
#include "platform/platform.h"

#include <windows.h>

namespace {
uint32_t g_codePage = 0;

LPCWSTR W(const char16_t* text) {
    return reinterpret_cast<LPCWSTR>(text);
}
LPWSTR W(char16_t* text) {
    return reinterpret_cast<LPWSTR>(text);
}

struct EnumTrampoline {
    PlatformEnumProc proc;
    intptr_t param;
};

BOOL CALLBACK EnumThrough(HWND window, LPARAM param) {
    EnumTrampoline* t = reinterpret_cast<EnumTrampoline*>(param);
    return t->proc(window, t->param) ? TRUE : FALSE;
}
} // namespace

uint32_t PlatformGetLastError() {
    return GetLastError();
}
void PlatformSetLastError(uint32_t error) {
    SetLastError(error);
}

uint32_t PlatformGetAnsiCodePage() {
    return g_codePage ? g_codePage : GetACP();
}
void PlatformSetAnsiCodePage(uint32_t codePage) {
    g_codePage = codePage;
}

uint32_t PlatformGetCurrentProcessId() {
    return GetCurrentProcessId();
}

void* PlatformStdHandle(int which) {
    if (PlatformCallFails(kPlatformCallStdHandle)) {
        return nullptr;
    }
    return GetStdHandle(static_cast<DWORD>(which));
}

bool PlatformGetConsoleMode(void* handle, uint32_t* mode) {
    DWORD m = 0;
    bool ok = !PlatformCallFails(kPlatformCallConsoleMode) && GetConsoleMode(handle, &m);
    if (mode) {
        *mode = m;
    }
    return ok;
}

bool PlatformConsoleWindowVisible() {
    HWND console = PlatformCallFails(kPlatformCallConsoleWindow) ? nullptr : GetConsoleWindow();
    // Tests run with no console window, but the 32-bit console-title program's.
    return console && IsWindowVisible(console); // GCOVR_EXCL_BR_LINE
}

PlatformConsoleWindow PlatformConsoleWindowState(std::span<char16_t> className) {
    uint32_t capacity = static_cast<uint32_t>(className.size());
    if (!className.empty()) {
        className[0] = 0;
    }
    HWND console = PlatformCallFails(kPlatformCallConsoleWindow) ? nullptr : GetConsoleWindow();
    if (!console) {
        return PlatformConsoleWindow::Absent;
    }
    if (!className.empty()) {
        UINT n =
            RealGetWindowClassW(console, reinterpret_cast<wchar_t*>(className.data()), capacity);
        className[n < capacity ? n : capacity - 1] = 0;
    }
    return IsWindowVisible(console) ? PlatformConsoleWindow::Visible
                                    : PlatformConsoleWindow::Hidden;
}

uint32_t PlatformGetConsoleTitle(std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = 0;
    if (PlatformCallFails(kPlatformCallConsoleTitle)) {
        return 0;
    }
    DWORD length = GetConsoleTitleW(reinterpret_cast<wchar_t*>(buffer.data()), capacity);
    buffer[capacity - 1] = 0; // whatever the system wrote, the text ends in the buffer
    // Tests read no title: they run with no console.
    return length < capacity ? length : capacity - 1; // GCOVR_EXCL_BR_LINE
}

bool PlatformSetConsoleTitle(const char16_t* title) {
    return title && !PlatformCallFails(kPlatformCallConsoleTitle) &&
           SetConsoleTitleW(reinterpret_cast<const wchar_t*>(title));
}

uint32_t PlatformGetEnvironmentVariable(const char16_t* name, std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    if (!buffer.empty()) {
        buffer[0] = 0;
    }
    if (PlatformCallFails(kPlatformCallEnvironment)) {
        return 0;
    }
    DWORD n = GetEnvironmentVariableW(W(name), W(buffer.data()), capacity);
    if (n >= capacity && !buffer.empty()) {
        buffer[0] = 0; // did not fit: the contents are not to be used
    }
    return n;
}

bool PlatformSetEnvironmentVariable(const char16_t* name, const char16_t* value) {
    if (PlatformCallFails(kPlatformCallEnvironment)) {
        return false;
    }
    return SetEnvironmentVariableW(W(name), W(value)) != 0;
}

uint32_t PlatformGetModuleFileName(void* module, std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    if (buffer.empty()) {
        return 0;
    }
    DWORD n = PlatformCallFails(kPlatformCallModuleName)
                  ? 0
                  : GetModuleFileNameW(static_cast<HMODULE>(module), W(buffer.data()), capacity);
    if (n >= capacity) { // cut: older systems leave it unterminated
        n = capacity - 1;
    }
    buffer[n] = 0;
    return n;
}

uint32_t PlatformFormatMessage(uint32_t error, std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = 0;
    if (PlatformCallFails(kPlatformCallErrorText)) {
        return 0;
    }
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_MAX_WIDTH_MASK,
                             nullptr, error, 0, W(buffer.data()), capacity, nullptr);
    // A guard: the system fails rather than cut a text too long for the buffer.
    if (n >= capacity) { // GCOVR_EXCL_BR_LINE
        n = capacity - 1;
    }
    buffer[n] = 0;
    return n;
}

unsigned PlatformCharType(char16_t unit) {
    WORD type = 0;
    wchar_t c = static_cast<wchar_t>(unit);
    if (PlatformCallFails(kPlatformCallCharType) || !GetStringTypeW(CT_CTYPE1, &c, 1, &type)) {
        return 0;
    }
    return type;
}

int PlatformEnumChildWindows(void* parent, PlatformEnumProc proc, intptr_t param) {
    if (PlatformCallFails(kPlatformCallWindowEnum)) {
        return 0;
    }
    EnumTrampoline t{proc, param};
    return EnumChildWindows(static_cast<HWND>(parent), EnumThrough, reinterpret_cast<LPARAM>(&t));
}

uint32_t PlatformGetWindowClass(void* window, std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = 0;
    if (PlatformCallFails(kPlatformCallWindowClass)) {
        return 0;
    }
    UINT n = RealGetWindowClassW(static_cast<HWND>(window), W(buffer.data()), capacity);
    // A guard: the system cuts the name to capacity - 1 units itself.
    if (n >= capacity) { // GCOVR_EXCL_BR_LINE
        n = capacity - 1;
    }
    buffer[n] = 0;
    return n;
}

uint32_t PlatformGetWindowText(void* window, std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = 0;
    if (PlatformCallFails(kPlatformCallWindowText)) {
        return 0;
    }
    LRESULT n = SendMessageW(static_cast<HWND>(window), WM_GETTEXT, capacity,
                             reinterpret_cast<LPARAM>(buffer.data()));
    // A guard against a window whose class answers with more than it may copy; the system's
    // classes, which tests make, never do.
    if (n < 0 || static_cast<uint32_t>(n) >= capacity) { // GCOVR_EXCL_BR_LINE
        n = 0;
    }
    buffer[n] = 0;
    return static_cast<uint32_t>(n);
}

void* PlatformForegroundWindow() {
    return PlatformCallFails(kPlatformCallForeground) ? nullptr : GetForegroundWindow();
}

int PlatformMessageBox(void* owner, const char16_t* text, const char16_t* caption) {
    if (PlatformCallFails(kPlatformCallMessageBox)) {
        return 0;
    }
    return MessageBoxW(static_cast<HWND>(owner), W(text), W(caption), MB_OK);
}
