// The reference host's services library: the seven services the plug-in imports, built from
// one source for Windows (HostShell.dll) and Linux.
#include "base/format16.h"
#include "base/text16.h"
#include "host/hostshell/expand.h"
#include "host/hostshell/host_control.h"
#include "interface/host_services.h"
#include "platform/platform.h"
#include "platform/utf8.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/window_model.h"
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr size_t kOutputUnits = 65536; // one Printf call's text at the most
constexpr size_t kPathUnits = 32768;

// A growing UTF-16 text on the C heap.
struct Captured {
    char16_t* text = nullptr;
    size_t length = 0;
    size_t capacity = 0;

    void Append(const char16_t* s) {
        size_t n = Str16Len(s);
        if (length + n + 1 > capacity) {
            size_t grown = (length + n + 1) * 2;
            char16_t* bigger = static_cast<char16_t*>(realloc(text, grown * sizeof(char16_t)));
            if (!bigger) {
                return;
            }
            text = bigger;
            capacity = grown;
        }
        for (size_t i = 0; i < n; ++i) {
            text[length++] = s[i];
        }
        text[length] = 0;
    }
    void Clear() {
        length = 0;
        if (text) {
            text[0] = 0;
        }
    }
};

bool g_capture = false;
Captured g_out;
Captured g_err;
void* g_mainWindow = nullptr;
char16_t* g_hwndAnswer = nullptr;
bool g_hwndOverride = false;
bool g_fillBuffers = false; // HostSetFillBuffers

// A whole buffer of units, unterminated.
void Fill(char16_t* buffer, size_t units, char16_t unit) {
    for (size_t i = 0; i < units; ++i) {
        buffer[i] = unit;
    }
}
HostStatusListener g_statusListener = nullptr;
char16_t g_idleText[1024];  // the status bar's text while nothing else is shown
char16_t* g_root = nullptr; // QueryTrueName's confinement, or null

void WriteStream(bool toError, const char16_t* text) {
    if (g_capture) {
        (toError ? g_err : g_out).Append(text);
        return;
    }
    char* bytes = Utf16ToUtf8Alloc(text);
    if (!bytes) {
        return;
    }
#if !defined(_WIN32)
    // The plug-in ends its lines as Windows does, "\r\n"; a Linux terminal or file ends them
    // with "\n" alone, so the carriage return before a line feed is dropped here, in the host,
    // while the plug-in's bytes stay as a Windows host needs them.
    char* kept = bytes;
    for (const char* p = bytes; *p; ++p) {
        if (!(p[0] == '\r' && p[1] == '\n')) {
            *kept++ = *p;
        }
    }
    *kept = 0;
#endif
    FILE* stream = toError ? stderr : stdout;
    fputs(bytes, stream);
    fflush(stream);
    free(bytes);
}

void WriteFormatted(void* handle, const char16_t* format, va_list args) {
    char16_t* text = static_cast<char16_t*>(malloc(kOutputUnits * sizeof(char16_t)));
    if (!text) {
        return;
    }
    Format16V({text, kOutputUnits}, format, args);
    WriteStream(handle == PlatformStdHandle(kStdError), text);
    free(text);
}

int HB_STDCALL FindStatusBar(void* window, intptr_t slot) {
    char16_t name[256];
    PlatformGetWindowClass(window, name);
    if (Str16CompareNoCase(name, u"XTPStatusBar") == 0) {
        *reinterpret_cast<void**>(slot) = window;
        return 0;
    }
    return 1;
}

bool HasInvalidPathCharacter(const char16_t* name) {
    for (const char16_t* p = name; *p; ++p) {
        if (*p < 0x20 || *p == u'<' || *p == u'>' || *p == u'"' || *p == u'|' || *p == u'?' ||
            *p == u'*') {
            return true;
        }
    }
    return false;
}

// True when path is root itself or lies below it.
bool IsUnder(const char16_t* path, const char16_t* root) {
    size_t n = Str16Len(root);
    for (size_t i = 0; i < n; ++i) {
        if (path[i] != root[i]) {
            return false;
        }
    }
    return path[n] == 0 || path[n] == u'/' || path[n] == u'\\';
}

#if !defined(_WIN32)
// Makes a path absolute and folds ".", ".." and repeated separators, like GetFullPathNameW;
// the file need not exist.
void FullPathPosix(const char16_t* name, char16_t* out) {
    char16_t joined[kPathUnits];
    joined[0] = 0;
    if (name[0] != u'/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) {
            Utf8ToUtf16(cwd, joined);
        }
        Str16Append(joined, u"/");
    }
    if (Str16Len(joined) + Str16Len(name) + 1 > kPathUnits) {
        out[0] = 0;
        return;
    }
    Str16Append(joined, name);
    size_t n = 0; // length of out
    const char16_t* p = joined;
    while (*p) {
        while (*p == u'/') {
            ++p;
        }
        const char16_t* start = p;
        while (*p && *p != u'/') {
            ++p;
        }
        size_t len = static_cast<size_t>(p - start);
        if (len == 0 || (len == 1 && start[0] == u'.')) {
            continue;
        }
        if (len == 2 && start[0] == u'.' && start[1] == u'.') {
            while (n > 0 && out[n - 1] != u'/') {
                --n;
            }
            if (n > 0) {
                --n;
            }
            continue;
        }
        out[n++] = u'/';
        for (size_t i = 0; i < len; ++i) {
            out[n++] = start[i];
        }
    }
    if (n == 0) {
        out[n++] = u'/';
    }
    out[n] = 0;
}
#endif

} // namespace

extern "C" {

int HB_CDECL Printf(const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    WriteFormatted(PlatformStdHandle(kStdOutput), format, args);
    va_end(args);
    return 0;
}

int HB_CDECL Qprintf(void* handle, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    WriteFormatted(handle, format, args);
    va_end(args);
    return 0;
}

int HB_STDCALL QPuts(const char16_t* text) {
    WriteStream(false, text ? text : u"");
    return 0;
}

int HB_STDCALL ExpandVariables(char16_t* buffer, int /*flag*/) {
    if (!buffer) {
        return -1;
    }
    return ExpandInPlace(buffer);
}

int HB_STDCALL QueryTrueName(const char16_t* name, char16_t* fullName) {
    if (!fullName) {
        return -1;
    }
    fullName[0] = 0;
    if (g_fillBuffers) {
        Fill(fullName, kPathUnits, u'A');
        return 0;
    }
    if (!name || !*name || HasInvalidPathCharacter(name) || Str16Len(name) >= kPathUnits) {
        return -1;
    }
#if defined(_WIN32)
    DWORD n = GetFullPathNameW(reinterpret_cast<LPCWSTR>(name), kPathUnits,
                               reinterpret_cast<LPWSTR>(fullName), nullptr);
    if (n == 0 || n >= kPathUnits) {
        fullName[0] = 0;
        return -1;
    }
#else
    FullPathPosix(name, fullName);
#endif
    if (g_root && !IsUnder(fullName, g_root)) {
        fullName[0] = 0;
    }
    return fullName[0] ? 0 : -1;
}

int HB_STDCALL QueryIsDirectory(const char16_t* path) {
    if (!path || !*path) {
        return 0;
    }
#if defined(_WIN32)
    DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    char* bytes = Utf16ToUtf8Alloc(path);
    struct stat st;
    int isDirectory = bytes && stat(bytes, &st) == 0 && S_ISDIR(st.st_mode);
    free(bytes);
    return isDirectory;
#endif
}

int HB_STDCALL HostIPC(const char16_t* request, char16_t* buffer) {
    if (!request) {
        return -1;
    }
    if (Str16Equal(request, u"HWND")) {
        if (!buffer) {
            return -1;
        }
        buffer[0] = 0;
        if (g_fillBuffers) {
            Fill(buffer, 1024, u'7');
        } else if (g_hwndOverride) {
            Str16Copy({buffer, 1024}, g_hwndAnswer);
        } else if (g_mainWindow) {
            Format16({buffer, 1024}, u"%I64u",
                     static_cast<uint64_t>(reinterpret_cast<uintptr_t>(g_mainWindow)));
        }
        return 0;
    }
    if (Str16Equal(request, u"USAGE")) {
        // A real host's status bar never stays blank: without a text it says its idle one.
        void* bar = HostStatusBar();
        const char16_t* text = buffer && buffer[0] ? buffer : g_idleText;
        if (bar) {
#if defined(_WIN32)
            SetWindowTextW(static_cast<HWND>(bar), reinterpret_cast<LPCWSTR>(text));
#else
            WindowModelSetText(bar, text);
#endif
        }
        if (g_statusListener) {
            g_statusListener(text);
        }
        return 0;
    }
    return -1;
}

void HB_CDECL HostCaptureOutput(int on) {
    g_capture = on != 0;
}
const char16_t* HB_CDECL HostCapturedOutput(void) {
    return g_out.text ? g_out.text : u"";
}
const char16_t* HB_CDECL HostCapturedErrors(void) {
    return g_err.text ? g_err.text : u"";
}
void HB_CDECL HostClearCaptured(void) {
    g_out.Clear();
    g_err.Clear();
}

void HB_CDECL HostSetMainWindow(void* window) {
    g_mainWindow = window;
}

void HB_CDECL HostSetFillBuffers(int on) {
    g_fillBuffers = on != 0;
}

void HB_CDECL HostSetHwndAnswer(const char16_t* answer) {
    free(g_hwndAnswer);
    g_hwndAnswer = nullptr;
    g_hwndOverride = answer != nullptr;
    if (answer) {
        size_t n = Str16Len(answer) + 1;
        g_hwndAnswer = static_cast<char16_t*>(malloc(n * sizeof(char16_t)));
        if (g_hwndAnswer) {
            Str16Copy({g_hwndAnswer, n}, answer);
        }
    }
}

void HB_CDECL HostSetRootDirectory(const char16_t* directory) {
    free(g_root);
    g_root = nullptr;
    if (directory) {
        size_t n = Str16Len(directory) + 1;
        g_root = static_cast<char16_t*>(malloc(n * sizeof(char16_t)));
        if (g_root) {
            Str16Copy({g_root, n}, directory);
        }
    }
}

void HB_CDECL HostSetIdleText(const char16_t* text) {
    Str16Copy(g_idleText, text ? text : u"");
}

void HB_CDECL HostSetStatusListener(HostStatusListener listener) {
    g_statusListener = listener;
}

void* HB_CDECL HostStatusBar(void) {
    void* bar = nullptr;
    if (g_mainWindow) {
        PlatformEnumChildWindows(g_mainWindow, FindStatusBar, reinterpret_cast<intptr_t>(&bar));
    }
    return bar;
}

} // extern "C"
