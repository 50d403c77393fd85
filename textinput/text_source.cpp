// Opening a text source: the named file mapped read-only, or, for a pipe or a device, a
// temporary copy of what it delivers, mapped in its place.
#include "textinput/text_source.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "base/host.h"
#include "platform/files.h"
#include "textinput/encoding.h"

namespace {
constexpr uint32_t kCopyBytes = 8192;
constexpr uint32_t kErrorGenFailure = 31;
constexpr int32_t kErrorFileNameTooLong = 206; // the system's number for a name too long

void ClearKeepingError(TextSource* source) {
    int32_t error = source->error;
    *source = TextSource{};
    source->error = error;
}

char16_t* CopyText(const char16_t* text) {
    size_t units = Str16Len(text) + 1;
    char16_t* copy = static_cast<char16_t*>(PlatformAlloc(units * sizeof(char16_t)));
    if (copy) {
        Str16Copy({copy, units}, text);
    }
    return copy;
}

// The last error of a call that failed; never 0, so that a failure is never taken for success.
int32_t FailureError() {
    uint32_t error = PlatformGetLastError();
    return static_cast<int32_t>(error ? error : kErrorGenFailure);
}

// The name a failure names, kept past the release of the record's copy.
char16_t g_failedName[kPathUnits];

bool IsHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Copies the open pipe or device `file` to a new temporary file, which takes its place in the
// record. `buffer` is free for the temporary path. The step that failed, with `error` set, or
// None.
SourceFault CopyToTemporary(TextSource* source, std::span<char16_t> buffer) {
    uint32_t length = PlatformGetTempPath(buffer);
    // 0: the system has no temporary directory (on Linux /tmp always stands in).
    if (length == 0 || length >= buffer.size()) {
        buffer[0] = 0;
    }
    char16_t fileName[kMessageUnits];
    Format16(fileName, u"%s-%04x.tmp", kPluginName, PlatformGetCurrentProcessId());
    if (AppendPathName(buffer, fileName) != NameFit::Fits) {
        source->error = kErrorFileNameTooLong;
        return SourceFault::TempName;
    }
    source->tempPath = CopyText(buffer.data());
    if (!source->tempPath) {
        source->error = kErrorNotEnoughMemory;
        return SourceFault::CopyMemory;
    }
    uint8_t* transfer = static_cast<uint8_t*>(PlatformAlloc(kCopyBytes));
    if (!transfer) {
        source->error = kErrorNotEnoughMemory;
        return SourceFault::CopyMemory;
    }
    void* temp = PlatformCreateFile(source->tempPath, kGenericRead | kGenericWrite, kFileShareRead,
                                    kCreateAlways, kFileAttributeNormal);
    if (!temp) {
        source->error = FailureError();
        PlatformFree(transfer);
        // The file of that name is not ours (another copy may be reading it): leave it be.
        PlatformFree(source->tempPath);
        source->tempPath = nullptr;
        return SourceFault::TempName;
    }
    for (;;) {
        uint32_t got = 0;
        if (!PlatformReadFile(source->file, std::span<uint8_t>(transfer, kCopyBytes), &got) ||
            got == 0) {
            break; // a broken pipe or the end of the data
        }
        uint32_t written = 0;
        if (!PlatformWriteFile(temp, std::span<const uint8_t>(transfer, got), &written) ||
            written != got) {
            // A short write without an error number: the disk took no more. (Tests cannot fill
            // a disk; a failed write with no number takes the same path.)
            bool shortWrite = written != got && PlatformGetLastError() == 0;
            source->error = shortWrite ? int32_t{kErrorDiskFull} : FailureError();
            PlatformFree(transfer);
            PlatformCloseHandle(temp);
            return SourceFault::TempWrite;
        }
    }
    if (!IsConsole(source->file)) { // a console is the process's own (tests read none)
        PlatformCloseHandle(source->file);
    }
    source->file = temp;
    PlatformFlushFileBuffers(temp);
    PlatformSetFilePointer(temp, 0, kFileBegin);
    PlatformFree(transfer);
    return SourceFault::None;
}

// Closes what the failed open left and says at which step it failed; `name`, when the step
// names a file, is kept first, since it may be the record's own copy.
SourceOpenResult FailOpen(TextSource* source, SourceFault fault, const char16_t* name = nullptr) {
    if (name) {
        Str16Copy(g_failedName, name);
    }
    CloseTextSource(source);
    return {SourceOpen::Failed, source->error, fault, name ? g_failedName : nullptr};
}
} // namespace

bool IsVolumeName(const char16_t* name) {
    const char16_t* prefix = u"Volume{";
    for (int i = 0; i < 7; ++i) {
        if (!name || name[i] != prefix[i]) {
            return false;
        }
    }
    return IsHexDigit(name[7]);
}

SourceOpenResult OpenTextSource(TextSource* source, const char16_t* name) {
    if (!source || !name || !*name) {
        return {SourceOpen::MissingName, 0, SourceFault::None, nullptr};
    }
    *source = TextSource{};
    source->ansiCodePage = PlatformGetAnsiCodePage();
    source->ansiTable = SelectAnsiTable(source->ansiCodePage);
    source->replacement = 0xFFFD;

    source->path = CopyText(name);
    if (!source->path) {
        // Told as every other failure to open is: a load that did nothing must not look
        // like one that worked.
        source->error = kErrorNotEnoughMemory;
        return FailOpen(source, SourceFault::Open, name);
    }
    char16_t buffer[kPathUnits]; // the canonical name, later the temporary path
    HostTrueName(name, buffer);
    // Only a host whose canonical names are volume names gets here, never the test host's.
    if (IsVolumeName(buffer)) {
        // A name with no room left for the prefix is too long for the system as it stands
        // too: the open below refuses it.
        (void)AddDevicePrefix(buffer);
    }
    char16_t* canonical = CopyText(buffer);
    if (!canonical) {
        source->error = kErrorNotEnoughMemory;
        return FailOpen(source, SourceFault::Open, name);
    }
    PlatformFree(source->path);
    source->path = canonical;

    source->file = PlatformCreateFile(source->path, kGenericRead, kFileShareRead, kOpenExisting, 0);
    source->error = static_cast<int32_t>(PlatformGetLastError());
    if (!source->file) {
        source->error = FailureError();
        return FailOpen(source, SourceFault::Open, source->path);
    }

    // A pipe or a device has no time stamps and cannot be mapped: read it into a copy. A file
    // has all three, or none when the query failed.
    PlatformFileInfo info{};
    PlatformGetFileInformation(source->file, &info);
    if (info.creationTime == 0 && info.lastAccessTime == 0 && info.lastWriteTime == 0) {
        SourceFault copied = CopyToTemporary(source, buffer);
        if (copied != SourceFault::None) {
            return FailOpen(source, copied,
                            copied == SourceFault::TempWrite ? source->tempPath : nullptr);
        }
        info = PlatformFileInfo{};
        PlatformGetFileInformation(source->file, &info);
    }

    if (info.sizeHigh == 0 && info.sizeLow == 0) {
        source->error = 0;
        CloseTextSource(source);
        return {SourceOpen::Empty, 0, SourceFault::None, nullptr};
    }
    if (info.sizeHigh != 0) {
        source->error = kErrorFileTooLarge;
        return FailOpen(source, SourceFault::TooLarge);
    }
    source->size = info.sizeLow;

    source->mapping = PlatformCreateFileMapping(source->file);
    if (!source->mapping) {
        source->error = FailureError();
        return FailOpen(source, SourceFault::Mapping);
    }
    source->data = static_cast<const uint8_t*>(PlatformMapViewOfFile(source->mapping));
    if (!source->data) {
        source->error = FailureError();
        return FailOpen(source, SourceFault::View);
    }
    DetectEncoding(source);
    return {SourceOpen::Opened, 0, SourceFault::None, nullptr};
}

SourceOpenResult OpenTextBytes(TextSource* source, const uint8_t* data, uint32_t size) {
    if (!source || !data) {
        return {SourceOpen::MissingName, 0, SourceFault::None, nullptr};
    }
    *source = TextSource{};
    if (size == 0) {
        return {SourceOpen::Empty, 0, SourceFault::None, nullptr};
    }
    source->ansiCodePage = PlatformGetAnsiCodePage();
    source->ansiTable = SelectAnsiTable(source->ansiCodePage);
    source->replacement = 0xFFFD;
    source->data = data;
    source->size = size;
    DetectEncoding(source);
    return {SourceOpen::Opened, 0, SourceFault::None, nullptr};
}

void CloseTextSource(TextSource* source) {
    if (!source) {
        return;
    }
    if (source->data) {
        PlatformUnmapViewOfFile(source->data);
    }
    if (source->mapping) {
        PlatformCloseHandle(source->mapping);
    }
    if (source->file) {
        PlatformCloseHandle(source->file);
    }
    if (source->tempPath) {
        PlatformDeleteFile(source->tempPath);
        PlatformFree(source->tempPath);
    }
    PlatformFree(source->path);
    ClearKeepingError(source);
}

void DescribeError(std::span<char16_t> text, int32_t number) {
    if (text.empty()) {
        return;
    }
    if (PlatformFormatMessage(static_cast<uint32_t>(number), text) == 0) {
        Format16(text, u"Error %d", number);
    }
    size_t length = Str16Len(text.data());
    while (length > 0 && IsSpaceUnit(text[length - 1])) { // 0: no system text is all blanks
        text[--length] = 0;
    }
}

bool IsConsole(void* handle) {
    intptr_t value = reinterpret_cast<intptr_t>(handle);
    if (value == kStdInput || value == kStdOutput || value == kStdError) {
        handle = PlatformStdHandle(static_cast<int>(value));
    }
    if (!handle) {
        return false;
    }
    uint32_t mode = 0xFFFFFFFFu;
    // A mode of all ones: the call claimed success without saying anything (never in tests).
    return PlatformGetConsoleMode(handle, &mode) && mode != 0xFFFFFFFFu;
}

NameFit AppendPathName(std::span<char16_t> directory, const char16_t* name) {
    if (directory.empty() || !name) {
        return NameFit::TooLong;
    }
    size_t length = Str16Len(directory.data());
    char16_t last = length ? directory[length - 1] : 0;
    bool separated = length == 0 || last == u'/' || last == u'\\' || last == u':' ||
                     name[0] == u'/' || name[0] == u'\\';
    size_t separator = separated ? 0 : 1;
    if (length + separator + Str16Len(name) + 1 > directory.size()) {
        return NameFit::TooLong;
    }
    if (separator) {
        directory[length++] = u'\\';
    }
    Str16Copy({directory.data() + length, directory.size() - length}, name);
    return NameFit::Fits;
}

NameFit AddDevicePrefix(std::span<char16_t> path) {
    if (path.empty()) {
        return NameFit::TooLong;
    }
    const char16_t prefix[] = u"\\\\.\\";
    constexpr size_t kPrefixUnits = 4;
    size_t length = Str16Len(path.data());
    if (length + kPrefixUnits + 1 > path.size()) {
        return NameFit::TooLong;
    }
    for (size_t i = length + 1; i-- > 0;) {
        path[i + kPrefixUnits] = path[i];
    }
    for (size_t i = 0; i < kPrefixUnits; ++i) {
        path[i] = prefix[i];
    }
    return NameFit::Fits;
}
