// The status-bar text of a help entry, and the copy of the status bar's own text that is put
// back once no help applies.
#include "livehelp/status_bar.h"

#include "base/host_services.h"
#include "base/limits.h"
#include "base/text16.h"
#include "platform/utf8.h"

char16_t* SavedStatusText = nullptr;
int32_t StatusSavedThisLine = 0;

namespace {
constexpr char16_t kZeroWidthSpace = 0x200B;
constexpr char16_t kPilcrow = 0x00B6;
constexpr char16_t kNotSign = 0x00AC;

bool IsBlank(char16_t unit) {
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

// Past the blanks and the optional sign that begin a number, as the C library reads them.
const char16_t* SkipBlanksAndSign(const char16_t* text, bool* negative) {
    const char16_t* p = text;
    while (IsBlank(*p)) {
        ++p;
    }
    if (*p == u'+' || *p == u'-') {
        *negative = *p == u'-';
        ++p;
    }
    return p;
}

// Decimal text to an unsigned 32-bit number the way the C library's unsigned conversion reads
// it: blanks, then an optional sign, then digits up to the first other unit; a minus sign
// negates modulo 2^32. Returns 0 on overflow, 1 otherwise.
int ParseUnsigned32(const char16_t* text, uint32_t* value) {
    bool negative = false;
    const char16_t* p = SkipBlanksAndSign(text, &negative);
    uint64_t number = 0;
    bool overflow = false;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        number = number * 10 + static_cast<uint64_t>(*p - u'0');
        if (number > 0xFFFFFFFFu) {
            overflow = true;
            number = 0xFFFFFFFFu; // keeps the product from growing past 64 bits
        }
    }
    if (overflow) {
        *value = 0xFFFFFFFFu;
        return 0;
    }
    uint32_t result = static_cast<uint32_t>(number);
    *value = negative ? 0u - result : result;
    return 1;
}

// The same reading for an unsigned 64-bit number: a minus sign negates modulo 2^64. Returns 0
// on overflow, 1 otherwise.
int ParseUnsigned64(const char16_t* text, uint64_t* value) {
    bool negative = false;
    const char16_t* p = SkipBlanksAndSign(text, &negative);
    uint64_t number = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        uint64_t digit = static_cast<uint64_t>(*p - u'0');
        if (number > (UINT64_MAX - digit) / 10) {
            *value = UINT64_MAX;
            return 0;
        }
        number = number * 10 + digit;
    }
    *value = negative ? 0u - number : number;
    return 1;
}
} // namespace

uint64_t WindowHandleFromText(const char16_t* text, size_t pointerBytes) {
    if (!text) {
        return 0;
    }
    if (pointerBytes == 4) {
        uint32_t handle = 0;
        return ParseUnsigned32(text, &handle) ? handle : 0;
    }
    // A 64-bit host's window handles are 32-bit values sign-extended to 64 bits. It may print
    // one as the unsigned 64-bit value, as a negative number or as the 32-bit value alone: each
    // form names the same window. Any other value is no handle of its.
    uint64_t value = 0;
    if (!ParseUnsigned64(text, &value)) {
        return 0;
    }
    if (value <= UINT32_MAX) {
        return static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(value)));
    }
    return value >= 0xFFFFFFFF80000000u ? value : 0;
}

int ComposeHelpText(const HelpNode* node, char16_t* text) {
    if (!node || !text) {
        return -1;
    }
    text[0] = 0;
    if (!node->syntax || !node->syntax[0]) {
        return 0;
    }
    // The syntax line is read as into its own 1,024-unit buffer; it lands after the marker.
    text[0] = kZeroWidthSpace;
    Utf8ToUtf16(node->syntax, text + 1, kSyntaxUnits);
    if (node->info && node->info[0]) {
        size_t length = Str16Append(text, kLineUnits, u"\r\n\n");
        // An info too long for the rest of the text is cut at a character boundary: the
        // syntax line and the start of the description stay readable.
        char16_t* info = text + length;
        Utf8ToUtf16(node->info, info, static_cast<size_t>(kLineUnits) - length);
        ReplaceChar(info, kPilcrow, u'\n');
        ReplaceChar(info, kNotSign, u'\t');
    }
    return 0;
}

int ReplaceChar(char16_t* text, char16_t target, char16_t replacement) {
    if (!text || replacement == target) {
        return -1;
    }
    int count = 0;
    for (char16_t* p = text; *p; ++p) {
        if (*p == target) {
            *p = replacement;
            ++count;
        }
    }
    return count;
}

int HB_STDCALL FindStatusBarProc(void* window, intptr_t slot) {
    if (!slot) {
        return 0;
    }
    char16_t className[kMessageUnits];
    className[0] = 0;
    PlatformGetWindowClass(window, className, kMessageUnits);
    if (Str16CompareNoCase(className, u"XTPStatusBar") == 0) {
        *reinterpret_cast<void**>(slot) = window;
        return 0;
    }
    return 1;
}

int SaveStatusText() {
    if (PlatformConsoleWindowVisible()) {
        return 0;
    }
    char16_t buffer[kMessageUnits];
    buffer[0] = 0;
    HostIPC(u"HWND", buffer);
    buffer[kMessageUnits - 1] = 0; // whatever the host wrote, the text ends in the buffer
    if (!buffer[0]) {
        return 0;
    }
    uint64_t handle = WindowHandleFromText(buffer, sizeof(void*));
    if (handle == 0) {
        return 0;
    }
    void* statusBar = nullptr;
    PlatformEnumChildWindows(reinterpret_cast<void*>(static_cast<uintptr_t>(handle)),
                             FindStatusBarProc, reinterpret_cast<intptr_t>(&statusBar));
    if (!statusBar) {
        return 0;
    }
    buffer[0] = 0;
    uint32_t length = PlatformGetWindowText(statusBar, buffer, kMessageUnits);
    ReleaseSavedStatusText();
    if (length == 0 || !buffer[0]) {
        return 0;
    }
    length = static_cast<uint32_t>(Str16Len(buffer));
    char16_t* copy = static_cast<char16_t*>(PlatformAlloc((length + 1) * sizeof(char16_t)));
    if (!copy) {
        return 0;
    }
    Str16Copy(copy, length + 1, buffer);
    SavedStatusText = copy;
    return 0;
}

int ReleaseSavedStatusText() {
    PlatformFree(SavedStatusText);
    SavedStatusText = nullptr;
    return 0;
}

void SaveStatusTextOncePerLine() {
    if (!StatusSavedThisLine) {
        SaveStatusText();
        StatusSavedThisLine = 1;
    }
}

void ForgetStatusLine() {
    ReleaseSavedStatusText();
    StatusSavedThisLine = 0;
}
