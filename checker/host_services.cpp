// The host services, as the checker provides them to the plug-in's code it runs: the checker
// is a program of its own and needs no host library. Every problem the plug-in's code meets
// reaches the author as a finding, so its own messages are not written; the variable
// expansion knows just what the plug-in's wording asks of it.
#include "base/limits.h"
#include "base/text16.h"
#include "interface/host_services.h"
#include "platform/files.h"

namespace {

constexpr size_t kExpandUnits = kMessageUnits; // the smallest buffer the plug-in hands over

bool StartsWith(const char16_t* text, const char16_t* prefix) {
    for (; *prefix; ++prefix, ++text) {
        if (*text != *prefix) {
            return false;
        }
    }
    return true;
}

// %@comma[n]: n with a comma between each group of three digits.
const char16_t* Comma(const char16_t* p, char16_t* out, size_t* length) {
    const char16_t* digits = p;
    size_t count = 0;
    // The plug-in always writes digits and then "]" here.
    while (digits[count] >= u'0' && digits[count] <= u'9') { // GCOVR_EXCL_BR_LINE
        ++count;
    }
    if (count == 0 || digits[count] != u']') { // GCOVR_EXCL_BR_LINE
        return nullptr;
    }
    // A 64-bit count has at most 20 digits: far from the end of the buffer.
    for (size_t i = 0; i < count && *length + 2 < kExpandUnits; ++i) { // GCOVR_EXCL_BR_LINE
        if (i > 0 && (count - i) % 3 == 0) {
            out[(*length)++] = u',';
        }
        out[(*length)++] = digits[i];
    }
    return digits + count + 1;
}

} // namespace

extern "C" {

int HB_CDECL Printf(const char16_t* /*format*/, ...) {
    return 0;
}

int HB_CDECL Qprintf(void* /*handle*/, const char16_t* /*format*/, ...) {
    return 0;
}

int HB_STDCALL QPuts(const char16_t* /*text*/) {
    return 0;
}

int HB_STDCALL ExpandVariables(char16_t* buffer, int /*flag*/) {
    // The plug-in's own short texts, never null: the guards stay for any other caller.
    if (!buffer) { // GCOVR_EXCL_BR_LINE
        return -1;
    }
    char16_t out[kExpandUnits];
    size_t length = 0;
    for (const char16_t* p = buffer; *p && length + 1 < kExpandUnits;) { // GCOVR_EXCL_BR_LINE
        const char16_t* next = nullptr;
        // "%_batch" is asked by the prefix of the plug-in's error messages, never written here.
        if (StartsWith(p, u"%@comma[")) {
            next = Comma(p + 8, out, &length);
        } else if (StartsWith(p, u"%_batch") && !IsLetterUnit(p[7])) { // GCOVR_EXCL_BR_LINE
            out[length++] = u'0';                                      // never inside a batch file
            next = p + 7;
        }
        if (!next) {
            out[length++] = *p;
            next = p + 1;
        }
        p = next;
    }
    out[length] = 0;
    Str16Copy({buffer, kExpandUnits}, out);
    return 0;
}

int HB_STDCALL QueryTrueName(const char16_t* name, char16_t* fullName) {
    if (!fullName) { // GCOVR_EXCL_BR_LINE: the plug-in always hands over its buffer
        return -1;
    }
    fullName[0] = 0;
    if (!name) { // GCOVR_EXCL_BR_LINE: the plug-in never asks of a null name
        return -1;
    }
    if (!*name || Str16Len(name) >= kPathUnits) {
        return -1;
    }
    // The name as given: the system resolves it when the file is opened, and the findings
    // quote the file as the user named it.
    Str16Copy({fullName, kPathUnits}, name);
    return 0;
}

int HB_STDCALL QueryIsDirectory(const char16_t* path) {
    // The plug-in asks only of a name QueryTrueName filled.
    uint32_t attributes =
        path ? PlatformGetFileAttributes(path) : kInvalidFileAttributes; // GCOVR_EXCL_BR_LINE
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

int HB_STDCALL HostIPC(const char16_t* request, char16_t* buffer) {
    // Asked only by the status bar, which the checker never draws.
    if (request && buffer && Str16Equal(request, u"HWND")) { // GCOVR_EXCL_BR_LINE
        buffer[0] = 0;                                       // no window
    }
    return -1;
}

} // extern "C"
