#include "host/hostshell/expand.h"

#include "base/format16.h"
#include "base/text16.h"
#include "host/hostshell/host_control.h"
#include "platform/platform.h"

#include <cstdlib>

namespace {

char16_t g_batchName[kExpandUnits];
int g_batchLine = 0;
bool g_inBatch = false;
char16_t g_commandSpec[kExpandUnits];
bool g_transient = false;
bool g_pipe = false;
int g_lastResult = 0;
constexpr int kMaxDepth = 16; // nested function calls expanded at the most
int g_depth = 0;

struct Sink {
    char16_t* dest;
    size_t capacity;
    size_t length;

    void Put(char16_t c) {
        if (length + 1 < capacity) {
            dest[length++] = c;
            dest[length] = 0;
        }
    }
    void Put(const char16_t* s, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            Put(s[i]);
        }
    }
    void Put(const char16_t* s) { Put(s, Str16Len(s)); }
};

bool IsNameUnit(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'$';
}

void Expand(const char16_t* in, size_t length, Sink& out);

// The value of an internal variable (its name begins with "_") into out; false when unknown.
bool InternalVariable(const char16_t* name, size_t length, Sink& out) {
    char16_t key[64];
    if (length >= 64) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        key[i] = UpperAscii(name[i]);
    }
    key[length] = 0;
    char16_t number[32];
    if (Str16Equal(key, u"_BATCH")) {
        out.Put(g_inBatch ? u"1" : u"0");
    } else if (Str16Equal(key, u"_BATCHNAME")) {
        out.Put(g_inBatch ? g_batchName : u"");
    } else if (Str16Equal(key, u"_BATCHLINE")) {
        Format16(number, u"%d", g_inBatch ? g_batchLine : -1);
        out.Put(number);
    } else if (Str16Equal(key, u"_CMDSPEC")) {
        out.Put(g_commandSpec);
    } else if (Str16Equal(key, u"_TRANSIENT")) {
        out.Put(g_transient ? u"1" : u"0");
    } else if (Str16Equal(key, u"_PIPE")) {
        out.Put(g_pipe ? u"1" : u"0");
    } else if (Str16Equal(key, u"_?")) {
        Format16(number, u"%d", g_lastResult);
        out.Put(number);
    } else {
        return false;
    }
    return true;
}

bool EnvironmentVariable(const char16_t* name, size_t length, Sink& out) {
    char16_t key[256];
    char16_t value[kExpandUnits];
    if (length == 0 || length >= 256) {
        return false;
    }
    Str16Copy({key, length + 1}, name);
    uint32_t n = PlatformGetEnvironmentVariable(key, value);
    if (n >= kExpandUnits) {
        return false;
    }
    out.Put(value);
    return true;
}

void Comma(const char16_t* arg, Sink& out) {
    const char16_t* digits = arg[0] == u'-' ? arg + 1 : arg;
    size_t n = Str16Len(digits);
    for (size_t i = 0; i < n; ++i) {
        if (digits[i] < u'0' || digits[i] > u'9') {
            out.Put(arg); // not a number: left alone
            return;
        }
    }
    if (digits != arg) {
        out.Put(u'-');
    }
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out.Put(u',');
        }
        out.Put(digits[i]);
    }
}

// Applies a variable function to its expanded argument; false when the function is unknown.
bool Function(const char16_t* name, size_t length, const char16_t* arg, Sink& out) {
    char16_t key[32];
    if (length >= 32) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        key[i] = UpperAscii(name[i]);
    }
    key[length] = 0;
    if (Str16Equal(key, u"COMMA")) {
        Comma(arg, out);
    } else if (Str16Equal(key, u"PATH")) {
        size_t end = 0; // just past the last separator
        for (size_t i = 0; arg[i]; ++i) {
            if (arg[i] == u'\\' || arg[i] == u'/' || arg[i] == u':') {
                end = i + 1;
            }
        }
        out.Put(arg, end);
    } else if (Str16Equal(key, u"UPPER") || Str16Equal(key, u"LOWER")) {
        bool upper = key[0] == u'U';
        for (const char16_t* p = arg; *p; ++p) {
            char16_t c = *p;
            if (upper) {
                c = UpperAscii(c);
            } else if (c >= u'A' && c <= u'Z') {
                c = static_cast<char16_t>(c + 32);
            }
            out.Put(c);
        }
    } else if (Str16Equal(key, u"LEN")) {
        char16_t number[32];
        Format16(number, u"%u", static_cast<unsigned>(Str16Len(arg)));
        out.Put(number);
    } else {
        return false;
    }
    return true;
}

void Expand(const char16_t* in, size_t length, Sink& out) {
    size_t i = 0;
    while (i < length) {
        if (in[i] != u'%' || i + 1 >= length) {
            out.Put(in[i++]);
            continue;
        }
        char16_t next = in[i + 1];
        if (next == u'%') {
            out.Put(u'%');
            i += 2;
        } else if (next == u'@') {
            size_t start = i + 2;
            size_t j = start;
            while (j < length && IsNameUnit(in[j])) {
                ++j;
            }
            if (j == start || j >= length || in[j] != u'[') {
                out.Put(in[i++]);
                continue;
            }
            size_t depth = 0;
            size_t k = j;
            for (; k < length; ++k) {
                if (in[k] == u'[') {
                    ++depth;
                } else if (in[k] == u']' && --depth == 0) {
                    break;
                }
            }
            if (k >= length) { // unbalanced: left as written
                out.Put(in[i++]);
                continue;
            }
            if (g_depth >= kMaxDepth) { // too deeply nested: left as written
                out.Put(in + i, k + 1 - i);
                i = k + 1;
                continue;
            }
            char16_t arg[kExpandUnits];
            Sink argSink{arg, kExpandUnits, 0};
            arg[0] = 0;
            ++g_depth;
            Expand(in + j + 1, k - j - 1, argSink);
            --g_depth;
            if (!Function(in + start, j - start, arg, out)) {
                out.Put(in + i, k + 1 - i);
            }
            i = k + 1;
        } else if (next == u'[') {
            size_t j = i + 2;
            while (j < length && in[j] != u']') {
                ++j;
            }
            if (j >= length) {
                out.Put(in[i++]);
                continue;
            }
            const char16_t* name = in + i + 2;
            size_t n = j - i - 2;
            bool known = (n > 0 && name[0] == u'_') ? InternalVariable(name, n, out)
                                                    : EnvironmentVariable(name, n, out);
            if (!known && n > 0 && name[0] == u'_') {
                out.Put(in + i, j + 1 - i);
            }
            i = j + 1;
        } else if (next == u'?' || (next == u'_' && i + 2 < length && in[i + 2] == u'?')) {
            // %? and %_?: the last command's result ("?" is no name's character)
            InternalVariable(u"_?", 2, out);
            i += next == u'?' ? 2 : 3;
        } else if (next == u'_') {
            size_t j = i + 1;
            while (j < length && IsNameUnit(in[j])) {
                ++j;
            }
            if (!InternalVariable(in + i + 1, j - i - 1, out)) {
                out.Put(in + i, j - i);
            }
            i = j;
        } else if (IsNameUnit(next)) {
            size_t j = i + 1;
            while (j < length && IsNameUnit(in[j])) {
                ++j;
            }
            if (j < length && in[j] == u'%') { // %NAME%: unset names expand to nothing
                EnvironmentVariable(in + i + 1, j - i - 1, out);
                i = j + 1;
            } else {
                out.Put(in[i++]);
            }
        } else {
            out.Put(in[i++]);
        }
    }
}

void SetText(char16_t* dest, const char16_t* text) {
    Str16Copy({dest, kExpandUnits}, text);
}

} // namespace

int ExpandInPlace(char16_t* buffer) {
    char16_t result[kExpandUnits];
    result[0] = 0;
    Sink out{result, kExpandUnits, 0};
    Expand(buffer, Str16Len(buffer), out);
    Str16Copy({buffer, kExpandUnits}, result);
    return 0;
}

extern "C" {
void HB_CDECL HostSetBatch(const char16_t* name, int line) {
    g_inBatch = name != nullptr;
    SetText(g_batchName, name ? name : u"");
    g_batchLine = line;
}
void HB_CDECL HostSetCommandSpec(const char16_t* path) {
    SetText(g_commandSpec, path ? path : u"");
}
void HB_CDECL HostSetTransient(int on) {
    g_transient = on != 0;
}
void HB_CDECL HostSetPipe(int on) {
    g_pipe = on != 0;
}
void HB_CDECL HostSetLastResult(int result) {
    g_lastResult = result;
}
}
