// Windows: a console program's arguments from its own command line, and output that a
// console shows in its characters and a file or pipe receives as UTF-8. Test builds can make
// each system call fail, and each block refused (as PlatformAlloc's are).
#include "platform/files.h"
#include "platform/call_faults.h"
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
    LPWSTR* system = PlatformCallFails(kPlatformCallArguments)
                         ? nullptr
                         : CommandLineToArgvW(GetCommandLineW(), &n);
    if (!system) {
        return nullptr;
    }
    size_t units = 0;
    for (int i = 0; i < n; ++i) {
        units += wcslen(system[i]) + 1;
    }
    size_t pointers = (static_cast<size_t>(n) + 1) * sizeof(char16_t*);
    char* block = PlatformAllocationFails()
                      ? nullptr
                      : static_cast<char*>(malloc(pointers + units * sizeof(char16_t)));
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

bool PlatformWriteStandard(int which, const char16_t* text) {
    if (!text) {
        return false;
    }
    HANDLE handle = PlatformStdHandle(which == kStdError ? kStdError : kStdOutput);
    if (!handle || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
    int length = static_cast<int>(wcslen(wide));
    if (length == 0) {
        return true;
    }
    DWORD mode = 0;
    DWORD done = 0;
    // Tests write to a pipe or a file, never to a console: they run with none.
    // GCOVR_EXCL_BR_START
    if (!PlatformCallFails(kPlatformCallConsoleMode) && GetConsoleMode(handle, &mode)) {
        return !PlatformCallFails(kPlatformCallStdWrite) &&
               WriteConsoleW(handle, wide, static_cast<DWORD>(length), &done, nullptr) &&
               done == static_cast<DWORD>(length);
    }
    // GCOVR_EXCL_BR_STOP
    // The write's fault stands first for the conversion, then for each write.
    int bytes = PlatformCallFails(kPlatformCallStdWrite)
                    ? 0
                    : WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return false;
    }
    char* utf8 = PlatformAllocationFails() ? nullptr
                                           : static_cast<char*>(malloc(static_cast<size_t>(bytes)));
    if (!utf8) {
        return false;
    }
    WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8, bytes, nullptr, nullptr);
    // A pipe may take less than all at once; a write that takes nothing is a failure (one that
    // tests cannot make: a pipe's write takes something or fails).
    const char* p = utf8;
    DWORD left = static_cast<DWORD>(bytes);
    while (left > 0 && !PlatformCallFails(kPlatformCallStdWrite) &&
           WriteFile(handle, p, left, &done, nullptr) && done > 0) { // GCOVR_EXCL_BR_LINE
        p += done;
        left -= done;
    }
    free(utf8);
    return left == 0;
}

bool PlatformReadStandardInput(std::span<uint8_t> buffer, uint32_t* done) {
    DWORD got = 0;
    bool ok = !PlatformCallFails(kPlatformCallStdRead) &&
              ReadFile(PlatformStdHandle(kStdInput), buffer.data(),
                       PlatformCallBytes(buffer.size()), &got, nullptr);
    *done = ok ? got : 0;
    // The end of a pipe whose writer has gone is the end of the input, not an error.
    return ok || GetLastError() == ERROR_BROKEN_PIPE;
}
