// Live help on the status bar of the host's window: finding the bar, reading its text and
// sending the help through the host.
#include "livehelp/status_bar.h"

#include "base/limits.h"
#include "base/text16.h"
#include "base/host.h"

namespace {

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
    PlatformGetWindowClass(window, className);
    if (Str16CompareNoCase(className, u"XTPStatusBar") == 0) {
        *reinterpret_cast<void**>(slot) = window;
        return 0;
    }
    return 1;
}

namespace {

// The status bar of the window the host's answer to "HWND" names; null when it names none or
// its window has none.
void* FindStatusBar(const char16_t* hostWindow) {
    uint64_t handle = WindowHandleFromText(hostWindow, sizeof(void*));
    if (handle == 0) {
        return nullptr;
    }
    void* statusBar = nullptr;
    PlatformEnumChildWindows(reinterpret_cast<void*>(static_cast<uintptr_t>(handle)),
                             FindStatusBarProc, reinterpret_cast<intptr_t>(&statusBar));
    return statusBar;
}

// Steps that fail before the status bar's text is read leave the kept copy alone.
CaptureResult CaptureStatusText(const char16_t* hostWindow, std::span<char16_t> text) {
    void* statusBar = FindStatusBar(hostWindow);
    if (!statusBar) {
        return CaptureResult::Unreadable;
    }
    text[0] = 0;
    uint32_t capacity = text.size() < kMessageUnits ? static_cast<uint32_t>(text.size())
                                                    : static_cast<uint32_t>(kMessageUnits);
    if (PlatformGetWindowText(statusBar, {text.data(), capacity}) == 0) {
        text[0] = 0;
    }
    return CaptureResult::Read;
}

void ShowOnStatusBar(const HelpShowing& showing) {
    char16_t text[kLineUnits];
    if (showing.names) {
        RenderNamesLine(*showing.names, text);
    } else {
        // Plain text: the argument being typed stands between guillemets.
        RenderStatusText(
            WithArgumentMarked(*showing.help, showing.argument, u"\u00AB", u"\u00BB", false), text);
    }
    ShowHostUsage(text); // sent even when empty: help without a syntax line clears the bar
}

// Null when nothing could be kept: the request then clears the help away. The host's request
// takes a buffer it may write, so it gets a copy rather than the kept text itself.
void PutBackStatusText(const char16_t* before) {
    if (!before) {
        ClearHostUsage();
        return;
    }
    char16_t text[kMessageUnits];
    Str16Copy(text, before);
    ShowHostUsage(text);
}

// The host puts its own text on the status bar as a new line begins; the plug-in leaves it be.
void StatusLineEnded(const HelpShowing& /*showing*/) {}
void StatusShutDown() {}

} // namespace

const HelpPresenter kStatusBarPresenter = {
    .capture = CaptureStatusText,
    .show = ShowOnStatusBar,
    .putBack = PutBackStatusText,
    .lineEnded = StatusLineEnded,
    .shutDown = StatusShutDown,
};

bool StatusBarProblem(HelpSituation situation, std::span<char16_t> why) {
    char16_t text[kMessageUnits];
    if (situation == HelpSituation::Terminal || (AskHostWindow(text) && FindStatusBar(text))) {
        return false;
    }
    Str16Copy(why, u"No help shows there now: the host's window has no status bar.");
    return true;
}
