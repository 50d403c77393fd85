// The rules of a help line, each written once: @NAME[arguments] separator description, and
// what of it the table keeps. The UTF-16 parser, the loader's UTF-8 parser and the checker all
// read lines through these, so a line means the same to each of them.
//
// The phases take a reader, which gives the first UTF-16 unit of the character at a position
// and how many code units it takes (0 when the bytes there are not a character). Positions
// are code units of the line: UTF-16 units or UTF-8 bytes. Past the line's end a reader gives
// a 0 unit, as a terminated line would. Inline templates, so that either parser compiles to
// plain loops over its own units.
#pragma once

#include "base/function_name.h"
#include "base/limits.h"
#include "base/text16.h"

#include <cstddef>
#include <cstdint>

// The first UTF-16 unit of a character and its code units.
struct HelpUnit {
    char16_t unit;
    size_t width;
};

// Where a phase could not decide: the line holds what its reader cannot read.
constexpr size_t kHelpUndecided = SIZE_MAX;

// A terminated UTF-16 line.
struct Utf16HelpReader {
    const char16_t* line;

    HelpUnit At(size_t at) const { return {line[at], 1}; }
    // The unit at `at` of a name, where every unit can be judged.
    bool NameUnit(size_t at, char16_t* unit) const {
        *unit = line[at];
        return true;
    }
    bool More(size_t at) const { return line[at] != 0; }
    char16_t Code(size_t at) const { return line[at]; }
};

// Past the blanks from `at`: the indent before the "@" and the gap around the separator.
template <class Reader> size_t SkipHelpBlanks(const Reader& r, size_t at) {
    for (;;) {
        HelpUnit c = r.At(at);
        if (c.width == 0) {
            return kHelpUndecided;
        }
        if (!c.unit || !IsSpaceUnit(c.unit)) {
            return at;
        }
        at += c.width;
    }
}

inline bool IsHelpMarker(char16_t unit) {
    return unit == u'@';
}

// How the name after the "@" ends.
enum class HelpName : uint8_t {
    Entry,     // a name of 1 to 47 units, then "["
    NoStart,   // the unit after the "@" is no letter
    TooLong,   // more than 47 name units
    NoBracket, // the name is not followed by "["
    Undecided, // a unit the reader cannot judge
};
struct HelpNameScan {
    HelpName end;
    size_t length; // the name's units (Entry), or how far the scan came
};

// Reads the name from nameStart into name (kNameUnits), upper-cased and terminated when the
// line is an entry; name[0] is 0 otherwise.
template <class Reader>
HelpNameScan ScanHelpName(const Reader& r, size_t nameStart, char16_t* name) {
    size_t length = 0;
    for (;; ++length) {
        char16_t unit = 0;
        if (!r.NameUnit(nameStart + length, &unit)) {
            name[0] = 0;
            return {HelpName::Undecided, length};
        }
        bool fits = length == 0 ? IsFunctionNameStart(unit) : IsFunctionNameUnit(unit);
        if (!fits) {
            break;
        }
        if (length == kNameUnits - 1) {
            name[0] = 0;
            return {HelpName::TooLong, length};
        }
        name[length] = UpperAscii(unit);
    }
    name[length] = 0;
    if (length == 0) {
        return {HelpName::NoStart, 0};
    }
    if (r.At(nameStart + length).unit != u'[') {
        name[0] = 0;
        return {HelpName::NoBracket, length};
    }
    return {HelpName::Entry, length};
}

// The argument list ends at the "]" that balances the "[" at `open`, or with the line.
struct HelpClose {
    size_t end; // past the "]", or the line's end
    bool balanced;
};
template <class Reader> HelpClose FindHelpClose(const Reader& r, size_t open) {
    size_t end = open;
    int depth = 0;
    while (r.More(end)) {
        auto unit = r.Code(end++);
        if (unit == '[') {
            ++depth;
        } else if (unit == ']' && --depth == 0) {
            break;
        }
    }
    return {end, depth == 0};
}

// Past one separator at `at`: a run of "-", or one ":", or one dash from U+2010 to U+2015;
// `at` itself when there is none.
template <class Reader> size_t SkipHelpSeparatorAt(const Reader& r, size_t at) {
    HelpUnit c = r.At(at);
    if (c.unit == u'-') {
        while (r.At(at).unit == u'-') {
            ++at;
        }
    } else if (c.unit == u':' || (c.unit >= 0x2010 && c.unit <= 0x2015)) {
        at += c.width;
    }
    return at;
}

// Where the separator and the description begin after the syntax line's end: past the gap,
// and past the separator and the blanks after it. Both are the line's end when nothing
// follows the syntax line; kHelpUndecided when the reader cannot read the blanks.
struct HelpInfoPlace {
    size_t separator;
    size_t info;
};
template <class Reader> HelpInfoPlace FindHelpInfo(const Reader& r, size_t close) {
    if (!r.More(close)) {
        return {close, close};
    }
    size_t separator = SkipHelpBlanks(r, close);
    if (separator == kHelpUndecided) {
        return {kHelpUndecided, kHelpUndecided};
    }
    return {separator, SkipHelpBlanks(r, SkipHelpSeparatorAt(r, separator))};
}

// The cuts. A syntax line of at most this many code units, in either form, is kept whole.
constexpr size_t kHelpSyntaxMost = kSyntaxUnits - 1;

// The units of a syntax line ending at `end` that its buffer keeps: 1,023 of a longer one,
// one fewer where the cut would split a surrogate pair.
inline size_t KeptSyntaxUnits(const char16_t* line, size_t end) {
    if (end <= kHelpSyntaxMost) {
        return end;
    }
    return IsHighSurrogate(line[kHelpSyntaxMost - 1]) ? kHelpSyntaxMost - 1 : kHelpSyntaxMost;
}

// The units of a terminated description that its buffer keeps: up to 8,191, one fewer where
// the cut would split a surrogate pair. A line of at most 8,191 units always fits; the bound
// only guards the buffer.
inline size_t KeptInfoUnits(const char16_t* info) {
    size_t n = 0;
    while (info[n] && n < kLineUnits - 1) {
        ++n;
    }
    if (info[n] && n > 0 && IsHighSurrogate(info[n - 1])) {
        --n;
    }
    return n;
}

// The bytes of a well-formed UTF-8 text that a copy of `capacity` bytes, terminator included,
// keeps: all of them when they fit, else those before the first character that does not.
inline size_t KeptUtf8Bytes(const char* text, size_t bytes, size_t capacity) {
    if (bytes < capacity) {
        return bytes;
    }
    size_t kept = capacity - 1;
    while (kept > 0 && (static_cast<uint8_t>(text[kept]) & 0xC0) == 0x80) {
        --kept;
    }
    return kept;
}
// The table keeps at most 2,047 bytes of a syntax line and 16,383 of a description.
inline size_t KeptSyntaxBytes(const char* text, size_t bytes) {
    return KeptUtf8Bytes(text, bytes, kSyntaxBytes);
}
inline size_t KeptInfoBytes(const char* text, size_t bytes) {
    return KeptUtf8Bytes(text, bytes, kInfoBytes);
}
