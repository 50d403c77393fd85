// Splitting a help line held in UTF-8, by the rules of the UTF-16 parser: the loader's path for
// the common line, which then never leaves UTF-8.
#include "base/function_name.h"
#include "base/text16.h"
#include "helptable/help_line.h"
#include "textinput/text_lines.h"

#include <cstdint>
#include <span>

namespace {

// The first UTF-16 unit of the character whose bytes begin at `at`, and how many bytes it
// takes; 0 bytes when they are not a well-formed sequence.
struct FirstUnit {
    char16_t unit;
    size_t bytes;
};
FirstUnit UnitAt(const char* line, size_t bytes, size_t at) {
    auto* p = reinterpret_cast<const uint8_t*>(line + at);
    if (*p < 0x80) {
        return {*p, 1}; // the common case, without a call
    }
    int32_t v = DecodeUtf8Sequence(std::span<const uint8_t>(p, bytes - at));
    if (v < 0 || (v >= 0xD800 && v <= 0xDFFF) || v > 0x10FFFF) {
        return {0, 0};
    }
    // A character beyond U+FFFF is a pair in UTF-16: its first unit is the high surrogate.
    if (v > 0xFFFF) {
        return {static_cast<char16_t>(0xD800 + ((v - 0x10000) >> 10)), 4};
    }
    return {static_cast<char16_t>(v), v < 0x80 ? 1u : v < 0x800 ? 2u : 3u};
}

// Past the blanks from `at`; SIZE_MAX when the bytes there are not UTF-8.
size_t SkipSpaces(const char* line, size_t bytes, size_t at) {
    while (at < bytes) {
        FirstUnit c = UnitAt(line, bytes, at);
        if (c.bytes == 0) {
            return SIZE_MAX;
        }
        if (!IsSpaceUnit(c.unit)) {
            break;
        }
        at += c.bytes;
    }
    return at;
}

} // namespace

Utf8HelpLine ParseHelpLineUtf8(const char* line, size_t bytes, char16_t* name,
                               HelpLineParts* parts) {
    if (!line || !name || !parts) {
        return Utf8HelpLine::Other;
    }
    name[0] = 0;
    *parts = HelpLineParts{};
    // Past the end the line reads as its terminator, as the UTF-16 form's would.
    auto at = [line, bytes](size_t i) -> uint8_t {
        return i < bytes ? static_cast<uint8_t>(line[i]) : 0;
    };
    size_t start = SkipSpaces(line, bytes, 0);
    if (start == SIZE_MAX) {
        return Utf8HelpLine::Other;
    }
    if (at(start) != '@') {
        return Utf8HelpLine::NotEntry;
    }
    size_t nameStart = start + 1;
    size_t length = 0;
    for (;; ++length) {
        uint8_t b = at(nameStart + length);
        if (b >= 0x80) {
            return Utf8HelpLine::Other; // letters and digits go on above U+007F
        }
        bool fits = length == 0 ? IsFunctionNameStart(b) : IsFunctionNameUnit(b);
        if (!fits) {
            break;
        }
        if (length == kNameUnits - 1) {
            name[0] = 0;
            return Utf8HelpLine::NotEntry; // too long a name
        }
        name[length] = UpperAscii(b);
    }
    if (length == 0 || at(nameStart + length) != '[') {
        name[0] = 0;
        return Utf8HelpLine::NotEntry;
    }
    name[length] = 0;

    // The argument list ends at the "]" that balances the opening one, or with the line.
    size_t end = nameStart + length;
    int depth = 0;
    while (end < bytes) {
        char unit = line[end++];
        if (unit == '[') {
            ++depth;
        } else if (unit == ']' && --depth == 0) {
            break;
        }
    }
    if (end > kSyntaxUnits - 1) {
        return Utf8HelpLine::Other; // may need cutting, which counts units
    }
    *parts = HelpLineParts{nameStart, length, end, end, 0};
    if (end == bytes) {
        return Utf8HelpLine::Entry;
    }
    size_t info = SkipSpaces(line, bytes, end);
    if (info == SIZE_MAX) {
        return Utf8HelpLine::Other;
    }
    // One separator: a run of "-", one ":", or one dash from U+2010 to U+2015.
    if (at(info) == '-') {
        while (at(info) == '-') {
            ++info;
        }
    } else if (at(info) == ':') {
        ++info;
    } else if (info < bytes) {
        FirstUnit c = UnitAt(line, bytes, info);
        if (c.unit >= 0x2010 && c.unit <= 0x2015) {
            info += c.bytes;
        }
    }
    info = SkipSpaces(line, bytes, info);
    if (info == SIZE_MAX) {
        return Utf8HelpLine::Other;
    }
    parts->infoStart = info;
    parts->info = bytes - info;
    return Utf8HelpLine::Entry;
}
