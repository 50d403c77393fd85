// Opening a text source: the named file mapped read-only, or, for a pipe or a device, a
// temporary copy of what it delivers, mapped in its place.
#include "textinput/text_source.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/messages.h"
#include "base/product.h"
#include "base/text16.h"
#include "interface/host_services.h"
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
        Str16Copy(copy, units, text);
    }
    return copy;
}

// The last error of a call that failed; never 0, so that a failure is never taken for success.
int32_t FailureError() {
    uint32_t error = PlatformGetLastError();
    return static_cast<int32_t>(error ? error : kErrorGenFailure);
}

void Report(const char16_t* text) {
    WriteErrorPrefix();
    Qprintf(ErrorHandle(), u"%s", text);
}

// A message with one inserted text, after the error prefix.
void Report(const char16_t* format, const char16_t* insert) {
    WriteErrorPrefix();
    Qprintf(ErrorHandle(), format, insert);
}

// "<format with the name>" then the system's text for the error on a line of its own.
void ReportWithError(const char16_t* format, const char16_t* name, int32_t error) {
    char16_t text[kMessageUnits];
    DescribeError(text, error);
    Report(format, name);
    Qprintf(ErrorHandle(), u"   %s\r\n", text);
}

void ReportMapping(const char16_t* format, int32_t error) {
    char16_t text[kMessageUnits];
    DescribeError(text, error);
    Report(format, text);
}

bool IsHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Copies the open pipe or device `file` to a new temporary file, which takes its place in the
// record. `buffer` is free for the temporary path. False on failure, with `error` set and the
// message written.
bool CopyToTemporary(TextSource* source, std::span<char16_t> buffer) {
    uint32_t length = PlatformGetTempPath(buffer.data(), static_cast<uint32_t>(buffer.size()));
    // 0: the system has no temporary directory (on Linux /tmp always stands in).
    if (length == 0 || length >= buffer.size()) {
        buffer[0] = 0;
    }
    char16_t fileName[kMessageUnits];
    Format16(fileName, kMessageUnits, u"%s-%04x.tmp", kPluginName, PlatformGetCurrentProcessId());
    if (AppendPathName(buffer, fileName) != NameFit::Fits) {
        source->error = kErrorFileNameTooLong;
        Report(u"Can\u2019t create temp file for pipe copy\n");
        return false;
    }
    source->tempPath = CopyText(buffer.data());
    if (!source->tempPath) {
        Report(u"Can\u2019t allocate buffer for copy\n");
        source->error = kErrorNotEnoughMemory;
        return false;
    }
    uint8_t* transfer = static_cast<uint8_t*>(PlatformAlloc(kCopyBytes));
    if (!transfer) {
        Report(u"Can\u2019t allocate buffer for copy\n");
        source->error = kErrorNotEnoughMemory;
        return false;
    }
    void* temp = PlatformCreateFile(source->tempPath, kGenericRead | kGenericWrite, kFileShareRead,
                                    kCreateAlways, kFileAttributeNormal);
    if (!temp) {
        source->error = FailureError();
        PlatformFree(transfer);
        // The file of that name is not ours (another copy may be reading it): leave it be.
        PlatformFree(source->tempPath);
        source->tempPath = nullptr;
        Report(u"Can\u2019t create temp file for pipe copy\n");
        return false;
    }
    for (;;) {
        uint32_t got = 0;
        if (!PlatformReadFile(source->file, transfer, kCopyBytes, &got) || got == 0) {
            break; // a broken pipe or the end of the data
        }
        uint32_t written = 0;
        if (!PlatformWriteFile(temp, transfer, got, &written) || written != got) {
            // A short write without an error number: the disk took no more. (Tests cannot fill
            // a disk; a failed write with no number takes the same path.)
            bool shortWrite = written != got && PlatformGetLastError() == 0;
            source->error = shortWrite ? int32_t{kErrorDiskFull} : FailureError();
            PlatformFree(transfer);
            PlatformCloseHandle(temp);
            ReportWithError(u"Error writing temp file \"%s\" :\r\n", source->tempPath,
                            source->error);
            return false;
        }
    }
    if (!IsConsole(source->file)) { // a console is the process's own (tests read none)
        PlatformCloseHandle(source->file);
    }
    source->file = temp;
    PlatformFlushFileBuffers(temp);
    PlatformSetFilePointer(temp, 0, kFileBegin);
    PlatformFree(transfer);
    return true;
}

SourceOpenResult FailOpen(TextSource* source) {
    CloseTextSource(source);
    return {SourceOpen::Failed, source->error};
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
        return {SourceOpen::MissingName, 0};
    }
    *source = TextSource{};
    source->ansiCodePage = PlatformGetAnsiCodePage();
    source->ansiTable = SelectAnsiTable(source->ansiCodePage);
    source->replacement = 0xFFFD;

    source->path = CopyText(name);
    if (!source->path) {
        // Said, as every other failure to open is: a load that did nothing must not look
        // like one that worked.
        source->error = kErrorNotEnoughMemory;
        ReportWithError(u"Error opening \"%s\" :\r\n", name, source->error);
        return FailOpen(source);
    }
    char16_t buffer[kPathUnits]; // the canonical name, later the temporary path
    buffer[0] = 0;
    QueryTrueName(name, buffer);
    buffer[kPathUnits - 1] = 0;
    // Only a host whose canonical names are volume names gets here, never the test host's.
    if (IsVolumeName(buffer)) {
        // A name with no room left for the prefix is too long for the system as it stands
        // too: the open below refuses it.
        (void)AddDevicePrefix(buffer);
    }
    char16_t* canonical = CopyText(buffer);
    if (!canonical) {
        source->error = kErrorNotEnoughMemory;
        ReportWithError(u"Error opening \"%s\" :\r\n", name, source->error);
        return FailOpen(source);
    }
    PlatformFree(source->path);
    source->path = canonical;

    source->file = PlatformCreateFile(source->path, kGenericRead, kFileShareRead, kOpenExisting, 0);
    source->error = static_cast<int32_t>(PlatformGetLastError());
    if (!source->file) {
        source->error = FailureError();
        ReportWithError(u"Error opening \"%s\" :\r\n", source->path, source->error);
        return FailOpen(source);
    }

    // A pipe or a device has no time stamps and cannot be mapped: read it into a copy. A file
    // has all three, or none when the query failed.
    PlatformFileInfo info{};
    PlatformGetFileInformation(source->file, &info);
    if (info.creationTime == 0 && info.lastAccessTime == 0 && info.lastWriteTime == 0) {
        if (!CopyToTemporary(source, buffer)) {
            return FailOpen(source);
        }
        info = PlatformFileInfo{};
        PlatformGetFileInformation(source->file, &info);
    }

    if (info.sizeHigh == 0 && info.sizeLow == 0) {
        source->error = 0;
        CloseTextSource(source);
        return {SourceOpen::Empty, 0};
    }
    if (info.sizeHigh != 0) {
        source->error = kErrorFileTooLarge;
        Report(u"File is way too big!\r\n");
        return FailOpen(source);
    }
    source->size = info.sizeLow;

    source->mapping = PlatformCreateFileMapping(source->file);
    if (!source->mapping) {
        source->error = FailureError();
        ReportMapping(u"Error mapping file: %s\r\n", source->error);
        return FailOpen(source);
    }
    source->data = static_cast<const uint8_t*>(PlatformMapViewOfFile(source->mapping));
    if (!source->data) {
        source->error = FailureError();
        ReportMapping(u"Error mapping view of file: %s\r\n", source->error);
        return FailOpen(source);
    }
    DetectEncoding(source);
    return {SourceOpen::Opened, 0};
}

SourceOpenResult OpenTextBytes(TextSource* source, const uint8_t* data, uint32_t size) {
    if (!source || !data) {
        return {SourceOpen::MissingName, 0};
    }
    *source = TextSource{};
    if (size == 0) {
        return {SourceOpen::Empty, 0};
    }
    source->ansiCodePage = PlatformGetAnsiCodePage();
    source->ansiTable = SelectAnsiTable(source->ansiCodePage);
    source->replacement = 0xFFFD;
    source->data = data;
    source->size = size;
    DetectEncoding(source);
    return {SourceOpen::Opened, 0};
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
    auto capacity = static_cast<uint32_t>(text.size());
    if (PlatformFormatMessage(static_cast<uint32_t>(number), text.data(), capacity) == 0) {
        Format16(text.data(), text.size(), u"Error %d", number);
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
    Str16Copy(directory.data() + length, directory.size() - length, name);
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
