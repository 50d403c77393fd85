// Splitting a help line held in UTF-8, by the rules of the UTF-16 parser: the loader's path for
// the common line, which then never leaves UTF-8.
#include "base/function_name.h"
#include "base/text16.h"
#include "helptable/help_grammar.h"
#include "helptable/help_line.h"
#include "platform/unicode.h"

#include <cstdint>
#include <span>

namespace {

// The first UTF-16 unit of the character beyond ASCII whose bytes begin at `at`, and how many
// bytes it takes; 0 bytes when they are not a well-formed sequence.
HelpUnit UnitBeyondAscii(const char* line, size_t bytes, size_t at) {
    auto* p = reinterpret_cast<const uint8_t*>(line + at);
    Utf8Char c = DecodeUtf8(std::span<const uint8_t>(p, bytes - at));
    if (c.kind != Utf8Kind::Character) {
        return {0, 0};
    }
    // A character beyond U+FFFF is a pair in UTF-16: its first unit is the high surrogate.
    if (c.value > 0xFFFF) {
        return {HighSurrogateOf(c.value), c.length};
    }
    return {static_cast<char16_t>(c.value), c.length};
}

// A line of `bytes` well-formed UTF-8 bytes, as the grammar reads it. Names above U+007F are
// left to the UTF-16 parser, which knows the system's letters.
struct Utf8HelpReader {
    const char* line;
    size_t bytes;

    // ASCII, the common case, inline; the rest through the decoder.
    HelpUnit At(size_t at) const {
        if (at >= bytes) {
            return {0, 1};
        }
        auto b = static_cast<uint8_t>(line[at]);
        return b < 0x80 ? HelpUnit{b, 1} : UnitBeyondAscii(line, bytes, at);
    }
    bool NameUnit(size_t at, char16_t* unit) const {
        uint8_t b = at < bytes ? static_cast<uint8_t>(line[at]) : 0;
        *unit = b;
        return b < 0x80;
    }
    bool More(size_t at) const { return at < bytes; }
    char Code(size_t at) const { return line[at]; }
};

} // namespace

Utf8HelpLine ParseHelpLineUtf8(const char* line, size_t bytes, char16_t* name,
                               HelpLineParts* parts) {
    if (!line || !name || !parts) {
        return Utf8HelpLine::Other;
    }
    name[0] = 0;
    *parts = HelpLineParts{};
    const Utf8HelpReader r{line, bytes};
    size_t start = SkipHelpBlanks(r, 0);
    if (start == kHelpUndecided) {
        return Utf8HelpLine::Other;
    }
    if (!IsHelpMarker(r.At(start).unit)) {
        return Utf8HelpLine::NotEntry;
    }
    size_t nameStart = start + 1;
    HelpNameScan scanned = ScanHelpName(r, nameStart, name);
    if (scanned.end == HelpName::Undecided) {
        return Utf8HelpLine::Other;
    }
    if (scanned.end != HelpName::Entry) {
        return Utf8HelpLine::NotEntry;
    }
    size_t length = scanned.length;
    HelpClose close = FindHelpClose(r, nameStart + length);
    if (close.end > kHelpSyntaxMost) {
        return Utf8HelpLine::Other; // may need cutting, which counts units
    }
    HelpInfoPlace place = FindHelpInfo(r, close.end);
    if (place.info == kHelpUndecided) {
        return Utf8HelpLine::Other;
    }
    *parts = HelpLineParts{nameStart, length, close.end, place.info, bytes - place.info};
    return Utf8HelpLine::Entry;
}
