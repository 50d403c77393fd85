// Windows: the checker's own file calls.
#include "checker/file_system.h"

#include "base/limits.h"
#include "checker/unified_diff.h"

#include <windows.h>

namespace {

const wchar_t* W(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// The attributes a file carries beyond its bytes that a new file can be given.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The units of a full name's root: "C:\", or "\\server\share\" (and "\\?\C:\").
size_t RootLength(const wchar_t* full) {
    if (full[0] && full[1] == L':') {
        return IsSeparator(full[2]) ? 3 : 2;
    }
    size_t i = 0;
    for (int separators = 0; full[i] && separators < 4; ++i) {
        separators += IsSeparator(full[i]);
    }
    return i;
}

} // namespace

uint32_t ResolveFileTarget(const char16_t* path, char16_t* target) {
    // The name as given: a link is replaced as the file it is, as the system's own tools do.
    size_t n = 0;
    for (; path[n]; ++n) {
        if (n + 1 >= static_cast<size_t>(kPathUnits)) {
            return ERROR_FILENAME_EXCED_RANGE;
        }
        target[n] = path[n];
    }
    target[n] = 0;
    return 0;
}

uint32_t FileLinkCount(const char16_t* path) {
    HANDLE file = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    BOOL known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return known ? info.nNumberOfLinks : 0;
}

uint32_t CopyFileMode(const char16_t* from, const char16_t* to) {
    DWORD attributes = GetFileAttributesW(W(from));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return GetLastError();
    }
    attributes &= kKeptAttributes;
    if (!SetFileAttributesW(W(to), attributes ? attributes : FILE_ATTRIBUTE_NORMAL)) {
        return GetLastError();
    }
    return 0;
}

uint32_t MoveFileReplacing(const char16_t* from, const char16_t* to) {
    if (!MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return GetLastError();
    }
    return 0;
}

bool DiffFileName(const char16_t* path, char16_t* name) {
    bool climbs = false;
    for (const char16_t* p = path; *p; ++p) {
        bool start = p == path || IsSeparator(p[-1]);
        climbs = climbs || (start && p[0] == u'.' && p[1] == u'.' && (IsSeparator(p[2]) || !p[2]));
    }
    bool rooted = IsSeparator(path[0]) || (path[0] && path[1] == u':');
    if (!rooted && !climbs) {
        return PlainFileName(path, name);
    }
    static wchar_t full[kPathUnits];
    static wchar_t here[kPathUnits];
    DWORD length = GetFullPathNameW(W(path), kPathUnits, full, nullptr);
    DWORD folder = GetCurrentDirectoryW(kPathUnits, here);
    if (length == 0 || length >= kPathUnits || folder == 0 || folder >= kPathUnits) {
        return false;
    }
    while (folder > 0 && IsSeparator(here[folder - 1])) {
        --folder; // "C:\" is the folder "C:"
    }
    // Names ignore case here, as the system compares them.
    bool below = folder < length && IsSeparator(full[folder]) &&
                 CompareStringOrdinal(full, static_cast<int>(folder), here,
                                      static_cast<int>(folder), TRUE) == CSTR_EQUAL;
    size_t skip = below ? folder + 1 : RootLength(full);
    return PlainFileName(reinterpret_cast<const char16_t*>(full + skip), name);
}

bool WriteStandardOutputBytes(const uint8_t* bytes, size_t size) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) {
        return false;
    }
    while (size > 0) {
        DWORD piece = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(out, bytes, piece, &done, nullptr) || done == 0) {
            return false;
        }
        bytes += done;
        size -= done;
    }
    return true;
}
