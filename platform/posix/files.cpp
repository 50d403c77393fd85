// Linux stand-ins for the Windows file and mapping calls. Handles name entries of a fixed
// table, so that share modes between the handles of the process can be kept as Windows keeps
// them, and so that tests can count what is open. Pipes and devices report zero file times.
#include "platform/call_faults.h"
#include "platform/files.h"
#include "platform/posix/errno_map.h"
#include "platform/test_hooks.h"
#include "platform/units16.h"
#include "platform/utf8.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kMaxObjects = 1024;
constexpr uintptr_t kHandleBase = 0x1000; // clear of the standard handles 1 to 3
constexpr uint32_t kDataAccess = kGenericRead | kGenericWrite;
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorWriteProtect = 19;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorFilenameTooLong = 206;
constexpr uint32_t kErrorInvalidAddress = 487;
constexpr uint32_t kErrorIoDevice = 1117;
constexpr uint32_t kErrorCantResolveFilename = 1921;

enum ObjectKind { kFree, kFile, kMapping, kView };

// An open file, a mapping or a mapped view. Mappings and views carry the identity, access and
// sharing of the file they came from: on Windows they keep that file's share modes alive.
struct Object {
    ObjectKind kind;
    int fd; // a file's descriptor, or a mapping's duplicate of it; -1 for a view
    dev_t device;
    ino_t inode;
    bool pipe;
    uint32_t access;
    uint32_t share;
    size_t length;       // mapping and view: bytes
    const void* address; // view
};

Object g_objects[kMaxObjects];

void Fail(uint32_t error) {
    PlatformSetLastError(error);
}

} // namespace

uint32_t FromErrno(int e) {
    switch (e) {
    case ENOENT:
        return kErrorFileNotFound;
    case ENOTDIR:
        return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return kErrorAccessDenied;
    case EROFS:
        return kErrorWriteProtect;
    case EBADF:
        return kErrorInvalidHandle;
    case ENOMEM:
        return kErrorNotEnoughMemory;
    case EMFILE:
    case ENFILE:
        return kErrorTooManyOpenFiles;
    case ETXTBSY:
        return kErrorSharingViolation;
    case EEXIST:
        return kErrorFileExists;
    case EINVAL:
        return kErrorInvalidParameter;
    case EPIPE:
        return kErrorBrokenPipe;
    case ENOSPC:
    case EDQUOT:
        return kErrorDiskFull;
    case ENAMETOOLONG:
        return kErrorFilenameTooLong;
    case EFBIG:
        return kErrorFileTooLarge;
    case ELOOP:
        return kErrorCantResolveFilename;
    case ESPIPE:
        return kErrorInvalidFunction;
    case EIO:
        return kErrorIoDevice;
    default:
        return kErrorGenFailure;
    }
}

namespace {

// Windows tells a missing file (2) from a missing directory on the way to it (3).
uint32_t MissingError(const char* path) {
    const char* slash = strrchr(path, '/');
    if (!slash || slash == path) {
        return kErrorFileNotFound;
    }
    char* directory = strndup(path, static_cast<size_t>(slash - path));
    struct stat st;
    bool present = directory && stat(directory, &st) == 0 && S_ISDIR(st.st_mode);
    free(directory);
    return present ? kErrorFileNotFound : kErrorPathNotFound;
}

uint32_t PathError(int e, const char* path) {
    return e == ENOENT ? MissingError(path) : FromErrno(e);
}

// The path in UTF-8 on the C heap; null (with the last error set) for a null or empty path,
// which Windows reports as a path not found.
char* NativePath(const char16_t* path) {
    if (!path || !*path) {
        Fail(kErrorPathNotFound);
        return nullptr;
    }
    char* name = Utf16ToUtf8Alloc(path);
    if (!name) {
        Fail(kErrorNotEnoughMemory);
    }
    return name;
}

int FreeSlot() {
    for (int i = 0; i < kMaxObjects; ++i) {
        if (g_objects[i].kind == kFree) {
            return i;
        }
    }
    return -1;
}

void* HandleOf(int slot) {
    return reinterpret_cast<void*>(kHandleBase + uintptr_t(slot) * 4);
}

// The file or mapping a handle names, or null.
Object* Lookup(void* handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value < kHandleBase || (value - kHandleBase) % 4 != 0) {
        return nullptr;
    }
    uintptr_t slot = (value - kHandleBase) / 4;
    if (slot >= kMaxObjects || g_objects[slot].kind == kFree || g_objects[slot].kind == kView) {
        return nullptr;
    }
    return &g_objects[slot];
}

Object* FileOf(void* handle) {
    Object* o = Lookup(handle);
    if (!o || o->kind != kFile) {
        Fail(kErrorInvalidHandle);
        return nullptr;
    }
    return o;
}

// The share-mode rule of Windows: each side's data access must be allowed by the other's
// sharing.
bool ShareConflict(dev_t device, ino_t inode, uint32_t access, uint32_t share) {
    if (!(access & kDataAccess)) {
        return false;
    }
    for (const Object& o : g_objects) {
        if (o.kind == kFree || o.device != device || o.inode != inode ||
            !(o.access & kDataAccess)) {
            continue;
        }
        if (((access & kGenericRead) && !(o.share & kFileShareRead)) ||
            ((access & kGenericWrite) && !(o.share & kFileShareWrite)) ||
            ((o.access & kGenericRead) && !(share & kFileShareRead)) ||
            ((o.access & kGenericWrite) && !(share & kFileShareWrite))) {
            return true;
        }
    }
    return false;
}

uint64_t FileTime(const struct timespec& t) {
    // FILETIME counts 100 ns from 1601; the Unix epoch is 11,644,473,600 s later.
    return (static_cast<uint64_t>(t.tv_sec) + 11644473600ull) * 10000000ull +
           static_cast<uint64_t>(t.tv_nsec) / 100;
}

bool IsDeviceOrPipe(mode_t mode) {
    return !S_ISREG(mode) && !S_ISDIR(mode);
}

// A FIFO is the named pipe of Linux and reads as one; a socket or any other special file is
// what a device is to Windows: nothing a file can be read from.
uint32_t AttributesOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) {
        return kFileAttributeDirectory;
    }
    if (S_ISREG(st.st_mode)) {
        return (st.st_mode & 0222) ? kFileAttributeNormal : kFileAttributeReadOnly;
    }
    return S_ISFIFO(st.st_mode) ? kFileAttributeNormal : kFileAttributeDevice;
}

int OpenNative(const char* name, uint32_t access, uint32_t disposition, bool* existed) {
    int flags = O_CLOEXEC;
    if ((access & kDataAccess) == kDataAccess) {
        flags |= O_RDWR;
    } else if (access & kGenericWrite) {
        flags |= O_WRONLY;
    } else {
        flags |= O_RDONLY;
    }
    *existed = false;
    if (disposition == kOpenExisting) {
        // Opening a FIFO waits for a writer, for good when none comes; without the wait, one
        // that nothing writes into reads as empty, as a Windows pipe without a server is not
        // there to wait for. Reads then wait for data as usual.
        int fd = open(name, flags | O_NONBLOCK);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        }
        return fd;
    }
    // A new file is never made through a symbolic link: O_EXCL refuses a link planted under
    // the name, and O_NOFOLLOW refuses it when an existing file is to be replaced.
    int fd = open(name, flags | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST && disposition == kCreateAlways) {
        *existed = true;
        // Non-blocking, so that a FIFO planted under the name cannot stall the open.
        fd = open(name, flags | O_NOFOLLOW | O_NONBLOCK);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        }
    }
    return fd;
}
} // namespace

void* PlatformCreateFile(const char16_t* path, uint32_t access, uint32_t share,
                         uint32_t disposition, uint32_t /*attributes*/) {
    bool creating = disposition == kCreateNew || disposition == kCreateAlways;
    if (PlatformCallFails(creating ? kPlatformCallCreate : kPlatformCallOpen)) {
        return nullptr;
    }
    if (!creating && disposition != kOpenExisting) {
        Fail(kErrorInvalidParameter);
        return nullptr;
    }
    int slot = FreeSlot();
    if (slot < 0) {
        Fail(kErrorTooManyOpenFiles);
        return nullptr;
    }
    char* name = NativePath(path);
    if (!name) {
        return nullptr;
    }
    bool existed = false;
    int fd = OpenNative(name, access, disposition, &existed);
    if (fd < 0) {
        Fail(PathError(errno, name));
        free(name);
        return nullptr;
    }
    struct stat st;
    uint32_t error = 0;
    if (fstat(fd, &st) != 0) {
        error = FromErrno(errno);
    } else if (S_ISDIR(st.st_mode)) {
        error = kErrorAccessDenied; // as without FILE_FLAG_BACKUP_SEMANTICS
    } else if (ShareConflict(st.st_dev, st.st_ino, access, share)) {
        error = kErrorSharingViolation;
    } else if (existed && !S_ISREG(st.st_mode)) {
        error = kErrorAccessDenied;
    } else if (existed && ftruncate(fd, 0) != 0) {
        error = FromErrno(errno);
    }
    if (error) {
        close(fd);
        if (creating && !existed) {
            unlink(name); // a failed call leaves no new file behind
        }
        free(name);
        Fail(error);
        return nullptr;
    }
    free(name);
    g_objects[slot] =
        Object{kFile, fd, st.st_dev, st.st_ino, S_ISFIFO(st.st_mode), access, share, 0, nullptr};
    Fail(existed ? uint32_t{kErrorAlreadyExists} : 0u);
    return HandleOf(slot);
}

bool PlatformReadFile(void* file, std::span<uint8_t> buffer, uint32_t* done) {
    if (done) {
        *done = 0;
    }
    if (PlatformCallFails(kPlatformCallRead)) {
        return false;
    }
    Object* o = FileOf(file);
    if (!o) {
        return false;
    }
    if (!(o->access & kGenericRead)) {
        Fail(kErrorAccessDenied);
        return false;
    }
    ssize_t n;
    do {
        n = read(o->fd, buffer.data(), PlatformCallBytes(buffer.size()));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        Fail(FromErrno(errno));
        return false;
    }
    if (n == 0 && o->pipe && !buffer.empty()) {
        Fail(kErrorBrokenPipe); // the writer has gone, as a Windows pipe reports it
        return false;
    }
    if (done) {
        *done = static_cast<uint32_t>(n);
    }
    return true;
}

bool PlatformWriteFile(void* file, std::span<const uint8_t> buffer, uint32_t* done) {
    if (done) {
        *done = 0;
    }
    if (PlatformCallFails(kPlatformCallWrite)) {
        return false;
    }
    Object* o = FileOf(file);
    if (!o) {
        return false;
    }
    if (!(o->access & kGenericWrite)) {
        Fail(kErrorAccessDenied);
        return false;
    }
    const uint8_t* p = buffer.data();
    uint32_t bytes = PlatformCallBytes(buffer.size());
    uint32_t written = 0;
    while (written < bytes) {
        ssize_t n = write(o->fd, p + written, bytes - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail(n < 0 ? FromErrno(errno) : kErrorDiskFull);
            if (done) {
                *done = written;
            }
            return false;
        }
        written += static_cast<uint32_t>(n);
    }
    if (done) {
        *done = written;
    }
    return true;
}

bool PlatformFlushFileBuffers(void* file) {
    if (PlatformCallFails(kPlatformCallFlush)) {
        return false;
    }
    Object* o = FileOf(file);
    if (!o) {
        return false;
    }
    if (!(o->access & kGenericWrite)) {
        Fail(kErrorAccessDenied);
        return false;
    }
    // A mapping reads the page cache, which already holds what was written; no disk flush is
    // wanted for the copies made here.
    return true;
}

uint32_t PlatformSetFilePointer(void* file, int32_t distance, uint32_t method) {
    Object* o = FileOf(file);
    if (!o) {
        return kInvalidSetFilePointer;
    }
    int whence = method == kFileBegin ? SEEK_SET : method == kFileCurrent ? SEEK_CUR : SEEK_END;
    if (method > kFileEnd) {
        Fail(kErrorInvalidParameter);
        return kInvalidSetFilePointer;
    }
    off_t at = lseek(o->fd, distance, whence);
    if (at < 0) {
        Fail(FromErrno(errno));
        return kInvalidSetFilePointer;
    }
    Fail(0);
    return static_cast<uint32_t>(at);
}

bool PlatformGetFileInformation(void* file, PlatformFileInfo* info) {
    if (!info) {
        Fail(kErrorInvalidParameter);
        return false;
    }
    *info = PlatformFileInfo{};
    if (PlatformCallFails(kPlatformCallFileInfo)) {
        return false;
    }
    Object* o = FileOf(file);
    if (!o) {
        return false;
    }
    struct stat st;
    if (fstat(o->fd, &st) != 0) {
        Fail(FromErrno(errno));
        return false;
    }
    info->attributes = AttributesOf(st);
    if (!IsDeviceOrPipe(st.st_mode)) {
        info->creationTime = FileTime(st.st_ctim);
        info->lastAccessTime = FileTime(st.st_atim);
        info->lastWriteTime = FileTime(st.st_mtim);
        uint64_t size = static_cast<uint64_t>(st.st_size);
        info->sizeHigh = static_cast<uint32_t>(size >> 32);
        info->sizeLow = static_cast<uint32_t>(size);
    }
    return true;
}

uint32_t PlatformGetFileAttributes(const char16_t* path) {
    char* name = NativePath(path);
    if (!name) {
        return kInvalidFileAttributes;
    }
    struct stat st;
    uint32_t attributes = kInvalidFileAttributes;
    if (stat(name, &st) != 0) {
        Fail(PathError(errno, name));
    } else {
        attributes = AttributesOf(st);
    }
    free(name);
    return attributes;
}

bool PlatformIsPipe(const char16_t* path) {
    char* name = NativePath(path);
    if (!name) {
        return false;
    }
    struct stat st;
    bool pipe = stat(name, &st) == 0 && S_ISFIFO(st.st_mode);
    free(name);
    return pipe;
}

bool PlatformDeleteFile(const char16_t* path) {
    if (PlatformCallFails(kPlatformCallDelete)) {
        return false;
    }
    char* name = NativePath(path);
    if (!name) {
        return false;
    }
    struct stat st;
    uint32_t error = 0;
    if (lstat(name, &st) != 0) {
        error = PathError(errno, name);
    } else if (S_ISDIR(st.st_mode)) {
        error = kErrorAccessDenied;
    } else {
        // Windows refuses while a handle lacks delete sharing, or while the file is mapped.
        for (const Object& o : g_objects) {
            if (o.kind == kFree || o.device != st.st_dev || o.inode != st.st_ino) {
                continue;
            }
            if (o.kind != kFile) {
                error = kErrorAccessDenied;
            } else if (!(o.share & kFileShareDelete)) {
                error = kErrorSharingViolation;
            }
        }
    }
    if (!error && unlink(name) != 0) {
        error = PathError(errno, name);
    }
    free(name);
    if (error) {
        Fail(error);
        return false;
    }
    return true;
}

uint32_t PlatformGetTempPath(std::span<char16_t> buffer) {
    uint32_t capacity = static_cast<uint32_t>(buffer.size());
    const char* dir = getenv("TMPDIR");
    if (!dir || !*dir) {
        dir = "/tmp";
    }
    char16_t* wide = Utf8ToUtf16Alloc(dir);
    if (!wide) {
        Fail(kErrorNotEnoughMemory);
        return 0;
    }
    size_t length = PlatformUnitCount(wide);
    bool slash = length > 0 && wide[length - 1] == u'/';
    uint32_t needed = static_cast<uint32_t>(length + (slash ? 0 : 1));
    if (needed + 1 > capacity) {
        if (!buffer.empty()) {
            buffer[0] = 0;
        }
        free(wide);
        return needed + 1;
    }
    PlatformCopyUnits(buffer, wide);
    if (!slash) {
        buffer[length] = u'/';
        buffer[length + 1] = 0;
    }
    free(wide);
    return needed;
}

void* PlatformCreateFileMapping(void* file) {
    if (PlatformCallFails(kPlatformCallMapping)) {
        return nullptr;
    }
    Object* o = FileOf(file);
    if (!o) {
        return nullptr;
    }
    if (!(o->access & kGenericRead)) {
        Fail(kErrorAccessDenied);
        return nullptr;
    }
    struct stat st;
    if (fstat(o->fd, &st) != 0) {
        Fail(FromErrno(errno));
        return nullptr;
    }
    if (st.st_size == 0 || IsDeviceOrPipe(st.st_mode)) {
        Fail(kErrorFileInvalid); // nothing to map
        return nullptr;
    }
    int slot = FreeSlot();
    if (slot < 0) {
        Fail(kErrorTooManyOpenFiles);
        return nullptr;
    }
    int fd = fcntl(o->fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        Fail(FromErrno(errno));
        return nullptr;
    }
    Object& m = g_objects[slot];
    m = *o; // the file's identity, access and sharing
    m.kind = kMapping;
    m.fd = fd;
    m.pipe = false;
    m.length = static_cast<size_t>(st.st_size);
    Fail(0);
    return HandleOf(slot);
}

const void* PlatformMapViewOfFile(void* mapping) {
    if (PlatformCallFails(kPlatformCallView)) {
        return nullptr;
    }
    Object* m = Lookup(mapping);
    if (!m || m->kind != kMapping) {
        Fail(kErrorInvalidHandle);
        return nullptr;
    }
    int slot = FreeSlot();
    if (slot < 0) {
        Fail(kErrorNotEnoughMemory);
        return nullptr;
    }
    void* view = mmap(nullptr, m->length, PROT_READ, MAP_SHARED, m->fd, 0);
    if (view == MAP_FAILED) {
        Fail(FromErrno(errno));
        return nullptr;
    }
    Object& v = g_objects[slot];
    v = *m;
    v.kind = kView;
    v.fd = -1;
    v.address = view;
    return view;
}

bool PlatformUnmapViewOfFile(const void* view) {
    for (Object& o : g_objects) {
        if (o.kind == kView && o.address == view) {
            munmap(const_cast<void*>(view), o.length);
            o = Object{};
            return true;
        }
    }
    Fail(kErrorInvalidAddress);
    return false;
}

bool PlatformCloseHandle(void* handle) {
    Object* o = Lookup(handle);
    if (!o) {
        Fail(kErrorInvalidHandle);
        return false;
    }
    close(o->fd);
    *o = Object{};
    return true;
}

#if defined(HB_TESTING)
// What the table holds open, and the process's own count of descriptors, for the tests.
long PlatformOpenHandles() {
    long n = 0;
    for (const Object& o : g_objects) {
        n += o.kind == kFile || o.kind == kMapping;
    }
    return n;
}

long PlatformMappedViews() {
    long n = 0;
    for (const Object& o : g_objects) {
        n += o.kind == kView;
    }
    return n;
}

long PlatformProcessHandles() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) {
        return -1;
    }
    long n = 0;
    while (readdir(dir)) {
        ++n;
    }
    closedir(dir);
    return n;
}
#endif
