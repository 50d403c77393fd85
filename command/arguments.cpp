#include "command/arguments.h"

#include "base/text16.h"
#include "command/error_messages.h"
#include "base/host.h"

namespace {

ArgumentVector Args;

// A letter, then ":" and "//": the rest of the argument is an address, not switches.
bool StartsScheme(const char16_t* line, const char16_t* colon) {
    return colon > line && IsLetterUnit(colon[-1]) && colon[1] == u'/' && colon[2] == u'/';
}

} // namespace

const ArgumentVector& CommandArguments() {
    return Args;
}

int32_t SplitArguments(const char16_t* line) {
    if (!line) {
        return -1;
    }
    for (int k = 0; k < MAX_ARGS; ++k) {
        Args.pointers[k] = nullptr;
        Args.upper[k] = nullptr;
        Args.lengths[k] = 0;
    }
    Args.count = 0;
    Args.buffer[0] = 0;

    int32_t p = 0;   // units of the buffer in use; the current argument's terminator sits here
    int32_t i = 0;   // index of the current argument
    int32_t len = 0; // length of the current argument
    bool quoted = false;
    bool scheme = false;

    // Ends the current argument. Its terminator is already in place; the next argument starts
    // after it. When that terminator fills the last unit, nothing more is written here: the
    // next character stored reports the overflow, and a line that ends first is still whole.
    auto endArgument = [&] {
        ++i;
        ++p;
        if (p < MAX_ARG_LEN) {
            Args.buffer[p] = 0;
        }
        len = 0;
        scheme = false;
    };

    for (const char16_t* at = line;; ++at) {
        char16_t c = *at;
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && IsSpaceUnit(c)) {
            if (len > 0) {
                endArgument();
            }
            continue;
        }
        if (c == u':' && len > 0 && StartsScheme(line, at)) {
            scheme = true;
        } else if (c == u'/' && !quoted && !scheme && len >= 2 && Args.pointers[i][0] == u'/') {
            endArgument();
        } else if (c == 0) {
            if (len > 0) {
                ++i;
            }
            break;
        }
        // Text beyond the last argument needs no room, so it is dropped before any check of
        // the buffer: it never causes an overflow.
        if (i >= MAX_ARGS) {
            continue;
        }
        if (p >= MAX_ARG_LEN - 1) {
            WriteErrorPrefix();
            HostPrintTo(ErrorHandle(), u"Buffer overflow: b = %d, MAX_ARG_LEN = %d \r\n", p,
                        MAX_ARG_LEN);
            return -1;
        }
        if (len == 0) {
            Args.pointers[i] = &Args.buffer[p];
        }
        Args.buffer[p] = c;
        Args.lengths[i] = ++len;
        Args.buffer[++p] = 0;
    }

    for (int32_t k = 0; k < i; ++k) {
        // The argument and its upper-cased copy lie at the same place in their buffers.
        size_t at = static_cast<size_t>(Args.pointers[k] - Args.buffer);
        char16_t* text = &Args.buffer[at];
        while (Args.lengths[k] > 0 && IsSpaceUnit(text[Args.lengths[k] - 1])) {
            text[--Args.lengths[k]] = 0;
        }
        char16_t* upper = &Args.upperBuffer[at];
        for (int32_t n = 0; n < Args.lengths[k]; ++n) {
            upper[n] = UpperAscii(text[n]);
        }
        upper[Args.lengths[k]] = 0;
        Args.upper[k] = upper;
    }
    Args.count = i;
    return i;
}
