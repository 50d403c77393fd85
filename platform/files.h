// Files and file mappings: thin helpers with the meaning of the Windows file functions named
// beside each. On Linux they keep the Windows rules the plug-in relies on: share modes between
// the handles of one process, zero file times for pipes and devices, Windows error numbers.
// Handles are opaque; a failed open gives null (not INVALID_HANDLE_VALUE).
#pragma once

#include "platform/platform.h"

// The values of CreateFileW, SetFilePointer and GetFileAttributesW that the plug-in uses.
enum : uint32_t {
    kGenericRead = 0x80000000u,
    kGenericWrite = 0x40000000u,
    kFileShareRead = 0x1,
    kFileShareWrite = 0x2,
    kFileShareDelete = 0x4,
    kCreateNew = 1,
    kCreateAlways = 2,
    kOpenExisting = 3,
    kFileAttributeReadOnly = 0x01,
    kFileAttributeDirectory = 0x10,
    kFileAttributeDevice = 0x40,
    kFileAttributeNormal = 0x80,
    kInvalidFileAttributes = 0xFFFFFFFFu,
    kFileBegin = 0,
    kFileCurrent = 1,
    kFileEnd = 2,
    kInvalidSetFilePointer = 0xFFFFFFFFu,
};

// More Windows error numbers of the file layer.
enum : uint32_t {
    kErrorTooManyOpenFiles = 4,
    kErrorAlreadyExists = 183,
    kErrorFileInvalid = 1006, // mapping an empty file
};

// What GetFileInformationByHandle tells of a file. Times are FILETIME values (100 ns since
// 1601); a pipe or a character device reports all three as zero.
struct PlatformFileInfo {
    uint32_t attributes;
    uint64_t creationTime;
    uint64_t lastAccessTime;
    uint64_t lastWriteTime;
    uint32_t sizeHigh;
    uint32_t sizeLow;
};

// CreateFileW without security attributes or template: null on failure, last error set.
[[nodiscard]] void* PlatformCreateFile(const char16_t* path, uint32_t access, uint32_t share,
                                       uint32_t disposition, uint32_t attributes);
// ReadFile, WriteFile, FlushFileBuffers: true on success. The calls count in 32 bits: of a
// larger buffer they take the first 4 GiB less a byte, as a short read or write.
[[nodiscard]] bool PlatformReadFile(void* file, std::span<uint8_t> buffer, uint32_t* done);
[[nodiscard]] bool PlatformWriteFile(void* file, std::span<const uint8_t> bytes, uint32_t* done);
inline uint32_t PlatformCallBytes(size_t bytes) {
    return bytes < UINT32_MAX ? static_cast<uint32_t>(bytes) : UINT32_MAX;
}
bool PlatformFlushFileBuffers(void* file);
// SetFilePointer without a high part: the new position, or kInvalidSetFilePointer.
uint32_t PlatformSetFilePointer(void* file, int32_t distance, uint32_t method);
// The file's attributes, times and size: true on success; info is cleared first either way, so
// a caller may read the cleared record as "nothing known".
bool PlatformGetFileInformation(void* file, PlatformFileInfo* info);
// GetFileAttributesW: kInvalidFileAttributes on failure; 0x10 for a directory, 0x40 for a
// device. On Linux a socket or another special file counts as a device; a FIFO, like a
// Windows named pipe, does not.
[[nodiscard]] uint32_t PlatformGetFileAttributes(const char16_t* path);
// Whether the path names a FIFO (Linux): a place in a directory whose reading waits on
// whatever program writes into it. Always false on Windows, whose pipes live apart.
[[nodiscard]] bool PlatformIsPipe(const char16_t* path);
bool PlatformDeleteFile(const char16_t* path); // DeleteFileW: true on success
// GetTempPathW: the length of the directory, which ends with a separator; when it does not
// fit, the size needed (terminator counted) and the buffer left empty.
uint32_t PlatformGetTempPath(std::span<char16_t> buffer);
// CreateFileMappingW(file, PAGE_READONLY, the whole file, no name): null on failure.
[[nodiscard]] void* PlatformCreateFileMapping(void* file);
// MapViewOfFile(mapping, FILE_MAP_READ, the whole mapping): null on failure.
[[nodiscard]] const void* PlatformMapViewOfFile(void* mapping);
bool PlatformUnmapViewOfFile(const void* view); // true on success
bool PlatformCloseHandle(void* handle);         // a file or a mapping; true on success
