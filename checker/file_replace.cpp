// The new file is written, given the old one's mode, and moved into its place only when the
// old file still holds what was read: an edit made meanwhile is never overwritten.
#include "checker/file_replace.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/text16.h"
#include "checker/file_system.h"
#include "platform/files.h"

#include <cstring>

namespace {

constexpr uint32_t kPieceBytes = 65536;
uint8_t g_piece[kPieceBytes];
char16_t g_target[kPathUnits];
char16_t g_temp[kPathUnits];

uint32_t FailureError() {
    uint32_t error = PlatformGetLastError();
    return error ? error : kErrorDiskFull; // a short write with no number: the disk is full
}

// Writes all bytes to a new file named after target, beside it; its name in g_temp. Returns
// 0, or the error, with no new file left; *made tells whether the folder took the new file.
uint32_t WriteBeside(const char16_t* target, const uint8_t* bytes, uint32_t size, bool* made) {
    *made = false;
    void* file = nullptr;
    size_t length = Str16Len(target);
    for (uint32_t attempt = 0; attempt < 100 && !file; ++attempt) {
        if (length + 32 >= static_cast<size_t>(kPathUnits)) {
            return kErrorInvalidName;
        }
        Str16Copy(g_temp, target);
        Format16({g_temp + length, kPathUnits - length}, u"~hbfix-%04x-%u.tmp",
                 PlatformGetCurrentProcessId(), attempt);
        file = PlatformCreateFile(g_temp, kGenericWrite, 0, kCreateNew, kFileAttributeNormal);
        uint32_t error = file ? 0 : PlatformGetLastError();
        if (!file && error != kErrorFileExists && error != kErrorAlreadyExists) {
            return error ? error : kErrorAccessDenied;
        }
    }
    if (!file) {
        return kErrorFileExists;
    }
    *made = true;
    uint32_t error = 0;
    for (uint32_t at = 0; at < size && !error;) {
        uint32_t piece = size - at < kPieceBytes ? size - at : kPieceBytes;
        uint32_t done = 0;
        if (!PlatformWriteFile(file, std::span<const uint8_t>(bytes + at, piece), &done) ||
            done != piece) {
            error = FailureError();
        }
        at += done;
    }
    if (!error && !PlatformFlushFileBuffers(file)) {
        error = FailureError();
    }
    if (!PlatformCloseHandle(file) && !error) {
        error = FailureError();
    }
    if (error) {
        PlatformDeleteFile(g_temp);
    }
    return error;
}

// Whether the file at path holds exactly the bytes given.
bool StillHolds(const char16_t* path, const uint8_t* bytes, uint32_t size) {
    void* file =
        PlatformCreateFile(path, kGenericRead, kFileShareRead | kFileShareWrite, kOpenExisting, 0);
    if (!file) {
        return false;
    }
    uint32_t at = 0;
    bool same = true;
    for (;;) {
        uint32_t done = 0;
        if (!PlatformReadFile(file, g_piece, &done)) {
            same = false;
            break;
        }
        if (done == 0) {
            break;
        }
        same = same && done <= size - at && memcmp(g_piece, bytes + at, done) == 0;
        at += done;
        if (!same) {
            break;
        }
    }
    PlatformCloseHandle(file);
    return same && at == size;
}

} // namespace

ReplaceResult ReplaceFileBytes(const char16_t* path, const uint8_t* read, uint32_t readSize,
                               const uint8_t* bytes, uint32_t size) {
    // The file a link names is the one written, beside itself, so that the link stays.
    uint32_t error = ResolveFileTarget(path, g_target);
    if (error) {
        return {ReplaceFailure::System, error, path};
    }
    uint32_t attributes = PlatformGetFileAttributes(g_target);
    if (attributes == kInvalidFileAttributes) {
        return {ReplaceFailure::System, PlatformGetLastError(), g_target};
    }
    if (attributes & kFileAttributeReadOnly) {
        return {ReplaceFailure::ReadOnly, 0, g_target};
    }
    if (FileLinkCount(g_target) > 1) {
        return {ReplaceFailure::Links, 0, g_target};
    }
    bool made = false;
    error = WriteBeside(g_target, bytes, size, &made);
    if (error) {
        return {made ? ReplaceFailure::System : ReplaceFailure::Folder, error, g_target};
    }
    ReplaceResult result = {ReplaceFailure::None, 0, g_target};
    error = CopyFileMode(g_target, g_temp);
    if (error) {
        result = {ReplaceFailure::System, error, g_target};
    } else if (!StillHolds(g_target, read, readSize)) {
        result = {ReplaceFailure::Changed, 0, g_target};
    } else {
        error = MoveFileReplacing(g_temp, g_target);
        result = {error ? ReplaceFailure::System : ReplaceFailure::None, error, g_target};
    }
    if (result.failure != ReplaceFailure::None) {
        PlatformDeleteFile(g_temp);
    }
    return result;
}
