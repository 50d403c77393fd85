// Linux: the checker's own file calls.
#include "checker/file_system.h"

#include "base/limits.h"
#include "base/text16.h"
#include "checker/unified_diff.h"
#include "platform/platform.h"
#include "platform/posix/errno_map.h"
#include "platform/utf8.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A path in UTF-8 on the C heap, or null.
char* Native(const char16_t* path) {
    return path && *path ? Utf16ToUtf8Alloc(path) : nullptr;
}

uint32_t LastError() {
    return FromErrno(errno);
}

} // namespace

uint32_t ResolveFileTarget(const char16_t* path, char16_t* target) {
    char* name = Native(path);
    if (!name) {
        return kErrorInvalidName;
    }
    char* real = realpath(name, nullptr);
    uint32_t error = real ? 0 : LastError();
    free(name);
    if (real) {
        if (strlen(real) >= static_cast<size_t>(kPathUnits)) {
            error = kErrorInvalidName;
        } else {
            Utf8ToUtf16(real, {target, kPathUnits});
        }
        free(real);
    }
    return error;
}

uint32_t FileLinkCount(const char16_t* path) {
    char* name = Native(path);
    struct stat st;
    bool known = name && stat(name, &st) == 0;
    free(name);
    return known ? static_cast<uint32_t>(st.st_nlink) : 0;
}

uint32_t CopyFileMode(const char16_t* from, const char16_t* to) {
    char* source = Native(from);
    char* dest = Native(to);
    struct stat st;
    uint32_t error = 0;
    if (!source || !dest || stat(source, &st) != 0) {
        error = source && dest ? LastError() : kErrorNotEnoughMemory;
    } else if (chmod(dest, st.st_mode & 07777) != 0) {
        error = LastError();
    } else if (chown(dest, st.st_uid, st.st_gid) != 0) {
        // Only the owner's own files, or root's: a file of another owner keeps it only when
        // the new one is made by the same owner.
        struct stat made;
        if (stat(dest, &made) != 0 || made.st_uid != st.st_uid || made.st_gid != st.st_gid) {
            error = kErrorAccessDenied;
        }
    }
    free(source);
    free(dest);
    return error;
}

uint32_t MoveFileReplacing(const char16_t* from, const char16_t* to) {
    char* source = Native(from);
    char* dest = Native(to);
    uint32_t error = 0;
    if (!source || !dest) {
        error = kErrorNotEnoughMemory;
    } else {
        // On the disk before it takes the old file's place, so that a crash leaves one of them
        // whole.
        int fd = open(source, O_RDONLY | O_CLOEXEC);
        if (fd < 0 || fsync(fd) != 0) {
            error = LastError();
        }
        if (fd >= 0) {
            close(fd);
        }
        if (!error && rename(source, dest) != 0) {
            error = LastError();
        }
    }
    free(source);
    free(dest);
    return error;
}

bool DiffFileName(const char16_t* path, char16_t* name) {
    bool climbs = false;
    for (const char16_t* p = path; *p; ++p) {
        bool start = p == path || p[-1] == u'/';
        climbs = climbs || (start && p[0] == u'.' && p[1] == u'.' && (p[2] == u'/' || !p[2]));
    }
    if (path[0] != u'/' && !climbs) {
        return PlainFileName(path, name);
    }
    static char16_t full[2 * kPathUnits];
    static char16_t here[kPathUnits];
    char* folder = getcwd(nullptr, 0);
    if (!folder) {
        return false;
    }
    Utf8ToUtf16(folder, {full, kPathUnits});
    free(folder);
    PlainFileName(full, here);
    full[0] = 0;
    if (path[0] != u'/') {
        Str16Copy(full, here);
        Str16Append(full, u"/");
    }
    Str16Append(full, path);
    if (!PlainFileName(full, name)) {
        return false;
    }
    // The current folder is plain too, so that the two compare by their text.
    size_t length = Str16Len(here);
    bool below = length > 0;
    for (size_t i = 0; below && i < length; ++i) {
        below = name[i] == here[i];
    }
    if (below && name[length] == u'/') {
        size_t rest = Str16Len(name + length + 1);
        memmove(name, name + length + 1, (rest + 1) * sizeof(char16_t));
    }
    return true;
}

bool WriteStandardOutputBytes(const uint8_t* bytes, size_t size) {
    while (size > 0) {
        ssize_t done = write(1, bytes, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        bytes += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}
