// Windows: a console program's arguments from its own command line, and output that a
// console shows in its characters and a file or pipe receives as UTF-8.
#include "platform/platform.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <cwchar>

char16_t** PlatformGetArguments(int /*argc*/, char** /*argv*/, int* count) {
    if (!count) {
        return nullptr;
    }
    int n = 0;
    LPWSTR* system = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!system) {
        return nullptr;
    }
    size_t units = 0;
    for (int i = 0; i < n; ++i) {
        units += wcslen(system[i]) + 1;
    }
    size_t pointers = (static_cast<size_t>(n) + 1) * sizeof(char16_t*);
    char* block = static_cast<char*>(malloc(pointers + units * sizeof(char16_t)));
    if (!block) {
        LocalFree(system);
        return nullptr;
    }
    char16_t** arguments = reinterpret_cast<char16_t**>(block);
    char16_t* text = reinterpret_cast<char16_t*>(block + pointers);
    for (int i = 0; i < n; ++i) {
        size_t length = wcslen(system[i]);
        arguments[i] = text;
        wmemcpy(reinterpret_cast<wchar_t*>(text), system[i], length + 1);
        text += length + 1;
    }
    arguments[n] = nullptr;
    LocalFree(system);
    *count = n;
    return arguments;
}

void PlatformWriteStandard(int which, const char16_t* text) {
    if (!text) {
        return;
    }
    HANDLE handle = GetStdHandle(which == kStdError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (!handle || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
    int length = static_cast<int>(wcslen(wide));
    DWORD mode = 0;
    DWORD done = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, wide, static_cast<DWORD>(length), &done, nullptr);
        return;
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return;
    }
    char* utf8 = static_cast<char*>(malloc(static_cast<size_t>(bytes)));
    if (!utf8) {
        return;
    }
    WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8, bytes, nullptr, nullptr);
    WriteFile(handle, utf8, static_cast<DWORD>(bytes), &done, nullptr);
    free(utf8);
}
