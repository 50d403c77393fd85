// Windows: the file and mapping helpers are the system's own calls, with the test builds'
// fault injection in front of them.
#include "platform/call_faults.h"
#include "platform/files.h"

#include <windows.h>

namespace {
LPCWSTR W(const char16_t* text) {
    return reinterpret_cast<LPCWSTR>(text);
}
} // namespace

void* PlatformCreateFile(const char16_t* path, uint32_t access, uint32_t share,
                         uint32_t disposition, uint32_t attributes) {
    bool creating = disposition == kCreateNew || disposition == kCreateAlways;
    if (PlatformCallFails(creating ? kPlatformCallCreate : kPlatformCallOpen)) {
        return nullptr;
    }
    HANDLE h = CreateFileW(W(path), access, share, nullptr, disposition, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    PlatformCount(kCountedHandles, +1);
    return h;
}

bool PlatformReadFile(void* file, std::span<uint8_t> buffer, uint32_t* done) {
    if (done) {
        *done = 0;
    }
    if (PlatformCallFails(kPlatformCallRead)) {
        return false;
    }
    DWORD n = 0;
    BOOL ok = ReadFile(file, buffer.data(), PlatformCallBytes(buffer.size()), &n, nullptr);
    if (done) {
        *done = n;
    }
    return ok != 0;
}

bool PlatformWriteFile(void* file, std::span<const uint8_t> bytes, uint32_t* done) {
    if (done) {
        *done = 0;
    }
    if (PlatformCallFails(kPlatformCallWrite)) {
        return false;
    }
    DWORD n = 0;
    BOOL ok = WriteFile(file, bytes.data(), PlatformCallBytes(bytes.size()), &n, nullptr);
    if (done) {
        *done = n;
    }
    return ok != 0;
}

bool PlatformFlushFileBuffers(void* file) {
    if (PlatformCallFails(kPlatformCallFlush)) {
        return false;
    }
    return FlushFileBuffers(file) != 0;
}

uint32_t PlatformSetFilePointer(void* file, int32_t distance, uint32_t method) {
    if (PlatformCallFails(kPlatformCallSeek)) {
        return kInvalidSetFilePointer;
    }
    return SetFilePointer(file, distance, nullptr, method);
}

bool PlatformGetFileInformation(void* file, PlatformFileInfo* info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    *info = PlatformFileInfo{};
    if (PlatformCallFails(kPlatformCallFileInfo)) {
        return false;
    }
    // GetFileInformationByHandle gives these fields too, but it also asks for the volume's
    // serial number, which under Wine is a round trip to another process: some 350 us, more
    // than the rest of opening and mapping a help file. These queries answer from the file.
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
        PlatformCallFails(kPlatformCallFileSize) ||
        !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard)) {
        return false;
    }
    info->attributes = basic.FileAttributes;
    // A pipe or a device has no time stamps, whatever a driver fills in.
    if (GetFileType(file) == FILE_TYPE_DISK) {
        info->creationTime = static_cast<uint64_t>(basic.CreationTime.QuadPart);
        info->lastAccessTime = static_cast<uint64_t>(basic.LastAccessTime.QuadPart);
        info->lastWriteTime = static_cast<uint64_t>(basic.LastWriteTime.QuadPart);
    }
    auto size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
    info->sizeHigh = static_cast<uint32_t>(size >> 32);
    info->sizeLow = static_cast<uint32_t>(size);
    return true;
}

uint32_t PlatformGetFileAttributes(const char16_t* path) {
    if (PlatformCallFails(kPlatformCallAttributes)) {
        return kInvalidFileAttributes;
    }
    return GetFileAttributesW(W(path));
}

bool PlatformIsPipe(const char16_t* /*path*/) {
    return false; // a named pipe lives in a namespace of its own, never in a directory
}

bool PlatformDeleteFile(const char16_t* path) {
    if (PlatformCallFails(kPlatformCallDelete)) {
        return false;
    }
    return DeleteFileW(W(path)) != 0;
}

uint32_t PlatformGetTempPath(std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    if (PlatformCallFails(kPlatformCallTempPath)) {
        return 0;
    }
    DWORD n = GetTempPathW(capacity, reinterpret_cast<LPWSTR>(buffer.data()));
    if (n >= capacity && !buffer.empty()) {
        buffer[0] = 0; // did not fit: the contents are not to be used
    }
    return n;
}

void* PlatformCreateFileMapping(void* file) {
    if (PlatformCallFails(kPlatformCallMapping)) {
        return nullptr;
    }
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping) {
        PlatformCount(kCountedHandles, +1);
    }
    return mapping;
}

const void* PlatformMapViewOfFile(void* mapping) {
    if (PlatformCallFails(kPlatformCallView)) {
        return nullptr;
    }
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view) {
        PlatformCount(kCountedViews, +1);
    }
    return view;
}

bool PlatformUnmapViewOfFile(const void* view) {
    if (!UnmapViewOfFile(view)) {
        return false;
    }
    PlatformCount(kCountedViews, -1);
    return true;
}

bool PlatformCloseHandle(void* handle) {
    if (!CloseHandle(handle)) {
        return false;
    }
    PlatformCount(kCountedHandles, -1);
    return true;
}
