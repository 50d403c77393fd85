// Live help on the status bar, and the copy of the status bar's own text that is put back
// once no help applies.
#include "livehelp/status_bar.h"

#include "base/limits.h"
#include "base/text16.h"
#include "interface/host_services.h"
#include "livehelp/help_text.h"

namespace {

// The status bar's side of one command line.
struct StatusLine {
    char16_t* saved;    // heap copy of the text from before the line's first help, or null
    bool savedThisLine; // a capture has been made (or tried) on this line
};

StatusLine Line = {nullptr, false};

// A heap copy of the text, or null when there is none or no memory.
char16_t* HeapCopy(const char16_t* text) {
    size_t length = Str16Len(text);
    auto* copy = static_cast<char16_t*>(PlatformAlloc((length + 1) * sizeof(char16_t)));
    if (copy) {
        Str16Copy(copy, length + 1, text);
    }
    return copy;
}

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
// negates modulo 2^32. False on overflow.
bool ParseUnsigned32(const char16_t* text, uint32_t* value) {
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
        return false;
    }
    uint32_t result = static_cast<uint32_t>(number);
    *value = negative ? 0u - result : result;
    return true;
}

// The same reading for an unsigned 64-bit number: a minus sign negates modulo 2^64. False
// on overflow.
bool ParseUnsigned64(const char16_t* text, uint64_t* value) {
    bool negative = false;
    const char16_t* p = SkipBlanksAndSign(text, &negative);
    uint64_t number = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        uint64_t digit = static_cast<uint64_t>(*p - u'0');
        if (number > (UINT64_MAX - digit) / 10) {
            *value = UINT64_MAX;
            return false;
        }
        number = number * 10 + digit;
    }
    *value = negative ? 0u - number : number;
    return true;
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

void SaveStatusText() {
    if (PlatformConsoleWindowVisible()) {
        return;
    }
    char16_t buffer[kMessageUnits];
    buffer[0] = 0;
    HostIPC(u"HWND", buffer);
    buffer[kMessageUnits - 1] = 0; // whatever the host wrote, the text ends in the buffer
    if (!buffer[0]) {
        return;
    }
    uint64_t handle = WindowHandleFromText(buffer, sizeof(void*));
    if (handle == 0) {
        return;
    }
    void* statusBar = nullptr;
    PlatformEnumChildWindows(reinterpret_cast<void*>(static_cast<uintptr_t>(handle)),
                             FindStatusBarProc, reinterpret_cast<intptr_t>(&statusBar));
    if (!statusBar) {
        return;
    }
    buffer[0] = 0;
    uint32_t length = PlatformGetWindowText(statusBar, buffer, kMessageUnits);
    ReleaseSavedStatusText();
    if (length == 0 || !buffer[0]) {
        return;
    }
    Line.saved = HeapCopy(buffer); // no memory: nothing is saved
}

void ReleaseSavedStatusText() {
    PlatformFree(Line.saved);
    Line.saved = nullptr;
}

void ForgetStatusLine() {
    ReleaseSavedStatusText();
    Line.savedThisLine = false;
}

void SeedStatusLine(const char16_t* savedText, bool savedThisLine) {
    char16_t* copy = savedText ? HeapCopy(savedText) : nullptr; // the text may be the old copy
    ReleaseSavedStatusText();
    Line.saved = copy;
    Line.savedThisLine = savedThisLine;
}

bool StatusSavedThisLine() {
    return Line.savedThisLine;
}

const char16_t* SavedStatusText() {
    return Line.saved;
}

void PresentOnStatusBar(const HelpDecision& decision) {
    if (decision.action == HelpAction::ShowHelp) {
        char16_t text[kLineUnits];
        ComposeHelpText(decision.node, text);
        // Before the help replaces it, and once per line, so that the text put back is the
        // one from before any help was shown.
        if (decision.savesFirst && !Line.savedThisLine) {
            SaveStatusText();
            Line.savedThisLine = true;
        }
        HostIPC(u"USAGE", text);
    } else if (decision.action == HelpAction::PutBackSaved) {
        // Null when nothing could be saved: the request then clears the help away.
        HostIPC(u"USAGE", Line.saved);
    }
}
