// Linux: a console program's arguments and output, in UTF-8.
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/posix/errno_map.h"
#include "platform/utf8.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

char16_t** PlatformGetArguments(int argc, char** argv, int* count) {
    if (!argv || argc < 0 || !count) {
        return nullptr;
    }
    // The pointers, then every argument's units: UTF-8 never needs more units than bytes.
    size_t units = 0;
    for (int i = 0; i < argc; ++i) {
        units += strlen(argv[i]) + 1;
    }
    size_t pointers = (static_cast<size_t>(argc) + 1) * sizeof(char16_t*);
    char* block = static_cast<char*>(malloc(pointers + units * sizeof(char16_t)));
    if (!block) {
        return nullptr;
    }
    char16_t** arguments = reinterpret_cast<char16_t**>(block);
    char16_t* text = reinterpret_cast<char16_t*>(block + pointers);
    for (int i = 0; i < argc; ++i) {
        size_t capacity = strlen(argv[i]) + 1;
        arguments[i] = text;
        text += Utf8ToUtf16(argv[i], {text, capacity}) + 1;
    }
    arguments[argc] = nullptr;
    *count = argc;
    return arguments;
}

bool PlatformWriteStandard(int which, const char16_t* text) {
    int fd = which == kStdError ? 2 : 1;
    char* bytes = text ? Utf16ToUtf8Alloc(text) : nullptr;
    if (!bytes) {
        return false;
    }
    size_t left = strlen(bytes);
    const char* p = bytes;
    while (left > 0) {
        ssize_t done = write(fd, p, left);
        if (done <= 0) {
            break; // a closed pipe or a full disk: the rest is lost, and the caller told
        }
        p += done;
        left -= static_cast<size_t>(done);
    }
    free(bytes);
    return left == 0;
}

bool PlatformReadStandardInput(std::span<uint8_t> buffer, uint32_t* done) {
    ssize_t got = 0;
    do {
        got = read(0, buffer.data(), PlatformCallBytes(buffer.size()));
    } while (got < 0 && errno == EINTR);
    *done = got > 0 ? static_cast<uint32_t>(got) : 0;
    if (got < 0) {
        // The caller reports why, as it does for ReadFile: a closed or unreadable input is
        // trouble, never an empty one.
        PlatformSetLastError(FromErrno(errno));
    }
    return got >= 0;
}
