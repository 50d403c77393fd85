// Linux stand-ins for the process, environment, console and text services of Windows.
#include "platform/platform.h"
#include "platform/units16.h"
#include "platform/utf8.h"

#include <dlfcn.h>
#include <unicode/uchar.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
uint32_t g_lastError = 0;
uint32_t g_codePage = 0; // 0: the system's, which is 1252 here
} // namespace

uint32_t PlatformGetLastError() {
    return g_lastError;
}
void PlatformSetLastError(uint32_t error) {
    g_lastError = error;
}

uint32_t PlatformGetAnsiCodePage() {
    return g_codePage ? g_codePage : 1252;
}
void PlatformSetAnsiCodePage(uint32_t codePage) {
    g_codePage = codePage;
}

uint32_t PlatformGetCurrentProcessId() {
    return static_cast<uint32_t>(getpid());
}

void* PlatformStdHandle(int which) {
    // Handles are the file descriptors plus one, so that none is null.
    switch (which) {
    case kStdInput:
        return reinterpret_cast<void*>(intptr_t{1});
    case kStdOutput:
        return reinterpret_cast<void*>(intptr_t{2});
    case kStdError:
        return reinterpret_cast<void*>(intptr_t{3});
    default:
        return nullptr;
    }
}

bool PlatformGetConsoleMode(void* handle, uint32_t* mode) {
    intptr_t fd = reinterpret_cast<intptr_t>(handle) - 1;
    if (!handle || fd < 0 || fd > 2 || !isatty(static_cast<int>(fd))) {
        g_lastError = kErrorInvalidHandle;
        return false;
    }
    if (mode) {
        *mode = 0x7;
    }
    return true;
}

uint32_t PlatformGetEnvironmentVariable(const char16_t* name, std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    char* key = Utf16ToUtf8Alloc(name);
    const char* value = key ? getenv(key) : nullptr;
    free(key);
    if (!buffer.empty()) {
        buffer[0] = 0;
    }
    if (!value) {
        g_lastError = 203; // ERROR_ENVVAR_NOT_FOUND
        return 0;
    }
    char16_t* wide = Utf8ToUtf16Alloc(value);
    if (!wide) {
        g_lastError = kErrorNotEnoughMemory;
        return 0;
    }
    uint32_t length = static_cast<uint32_t>(PlatformUnitCount(wide));
    if (length + 1 > capacity) {
        free(wide);
        return length + 1;
    }
    PlatformCopyUnits(buffer, wide);
    free(wide);
    return length;
}

bool PlatformSetEnvironmentVariable(const char16_t* name, const char16_t* value) {
    char* key = Utf16ToUtf8Alloc(name);
    if (!key) {
        return false;
    }
    bool rc;
    if (value) {
        char* text = Utf16ToUtf8Alloc(value);
        rc = text && setenv(key, text, 1) == 0;
        free(text);
    } else {
        rc = unsetenv(key) == 0;
    }
    free(key);
    return rc;
}

uint32_t PlatformGetModuleFileName(void* module, std::span<char16_t> buffer) {
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = 0;
    Dl_info info;
    if (!module || !dladdr(module, &info) || !info.dli_fname) {
        return 0;
    }
    // dli_fname is the name the module was loaded by; make it absolute like Windows does.
    char* full = realpath(info.dli_fname, nullptr);
    char16_t* wide = Utf8ToUtf16Alloc(full ? full : info.dli_fname);
    free(full);
    uint32_t n = static_cast<uint32_t>(PlatformCopyUnits(buffer, wide));
    free(wide);
    return n;
}

unsigned PlatformCharType(char16_t unit) {
    UChar32 c = unit;
    unsigned type = 0;
    if (u_isupper(c)) {
        type |= kCharUpper;
    }
    if (u_islower(c)) {
        type |= kCharLower;
    }
    if (u_isdigit(c)) {
        type |= kCharDigit;
    }
    if (u_isUWhiteSpace(c)) {
        type |= kCharSpace;
    }
    if (u_isalpha(c)) {
        type |= kCharAlpha;
    }
    return type;
}
