// The copy of standard input: a file of the process's own in the temporary directory, made
// new (never one that is there already, nor through a link planted under its name).
#include "checker/input_spool.h"

#include "base/format16.h"
#include "base/text16.h"
#include "platform/files.h"

namespace {

constexpr uint32_t kPieceBytes = 65536;
uint8_t g_piece[kPieceBytes];

// A new file of the temporary directory, its name in spool->path; null when none could be
// made, with the last error set.
void* CreateSpoolFile(Spool* spool) {
    char16_t* path = spool->path;
    uint32_t length = PlatformGetTempPath({path, kPathUnits});
    if (length == 0 || length >= kPathUnits - 64) {
        path[0] = 0; // no temporary directory: the current one
        length = 0;
    }
    for (uint32_t attempt = 0; attempt < 100; ++attempt) {
        Format16({path + length, kPathUnits - length}, u"hintbar-check-%04x-%u.tmp",
                 PlatformGetCurrentProcessId(), attempt);
        void* file = PlatformCreateFile(path, kGenericWrite, 0, kCreateNew, kFileAttributeNormal);
        if (file || (PlatformGetLastError() != kErrorFileExists &&
                     PlatformGetLastError() != kErrorAlreadyExists)) {
            if (!file) {
                path[0] = 0;
            }
            return file;
        }
    }
    path[0] = 0;
    return nullptr;
}

} // namespace

bool SpoolInput(InputReader read, uint64_t limit, Spool* spool) {
    spool->size = 0;
    spool->error = 0;
    spool->reading = false;
    void* file = CreateSpoolFile(spool);
    if (!file) {
        spool->error = static_cast<int32_t>(PlatformGetLastError());
        return false;
    }
    for (;;) {
        uint32_t done = 0;
        if (!read(std::span<uint8_t>(g_piece, kPieceBytes), &done)) {
            spool->error = static_cast<int32_t>(PlatformGetLastError());
            spool->reading = true;
            break;
        }
        if (done == 0) {
            break;
        }
        if (spool->size + done > limit) {
            spool->error = kErrorFileTooLarge;
            break;
        }
        uint32_t written = 0;
        if (!PlatformWriteFile(file, std::span<const uint8_t>(g_piece, done), &written) ||
            written != done) {
            uint32_t error = PlatformGetLastError();
            spool->error = static_cast<int32_t>(error ? error : kErrorDiskFull);
            break;
        }
        spool->size += done;
    }
    if (!PlatformCloseHandle(file) && spool->error == 0) {
        spool->error = static_cast<int32_t>(PlatformGetLastError());
    }
    if (spool->error != 0) {
        RemoveSpool(spool);
        return false;
    }
    return true;
}

void RemoveSpool(Spool* spool) {
    if (spool->path[0]) {
        PlatformDeleteFile(spool->path);
        spool->path[0] = 0;
    }
}
