// The syntax of a help file's lines: @NAME[arguments] separator description.
#pragma once

#include "base/limits.h"

#include <cstddef>
#include <cstdint>

// Buffers: name kNameUnits, syntax kSyntaxUnits, info kLineUnits.

// -1 for a missing line or name buffer; 0 when the line is not an entry; otherwise the
// name's length (1 to 47). With neither syntax nor info buffer the parse stops at the "[".
// A syntax line longer than 1,023 units is cut to fit (never inside a surrogate pair); the
// line is still an entry, so both forms agree.
int ParseHelpLine(char16_t* name, const char16_t* line, char16_t* syntax, char16_t* info);

// The units an entry line put into its syntax and info buffers, terminators not counted.
struct HelpLineLengths {
    size_t syntax;
    size_t info;
};
// ParseHelpLine, with the lengths of what it wrote, so that a caller need not measure them
// again. Both are 0 unless the line is an entry.
int ParseHelpLineLengths(char16_t* name, const char16_t* line, char16_t* syntax, char16_t* info,
                         HelpLineLengths* lengths);

// Why a line is an entry or not, and where its pieces lie, for tools that explain a help
// file to its author. Positions are unit offsets in the line.
enum : int32_t {
    kHelpLineEntry,
    kHelpLineNoMarker,    // no "@" after the indent
    kHelpLineNameStart,   // the unit after the "@" is no letter
    kHelpLineNameTooLong, // more than 47 name units
    kHelpLineNoBracket,   // the name is not followed by "["
};
struct HelpLineVerdict {
    int32_t reason;
    uint32_t nameStart; // the unit after the "@"
    uint32_t nameEnd;   // past the run of name units from nameStart, however long, even when
                        // the run does not begin with a letter
    // Entries only:
    uint32_t close;      // past the "]" that balances the first "[", or the line's end
    bool balanced;       // a "]" balances the first "["
    uint32_t syntaxKept; // units of the syntax line its buffer kept (close when it fit)
    uint32_t separator;  // where the separator begins, after the gap
    uint32_t info;       // where the description begins (the line's end when it has none)
};
// ParseHelpLine, with the same result and outputs, and the verdict filled. Without an info
// buffer, separator and info are left at 0.
int ParseHelpLineVerdict(char16_t* name, const char16_t* line, char16_t* syntax, char16_t* info,
                         HelpLineVerdict* verdict);

// Past one separator at `at`: a run of "-", or one ":", or one dash from U+2010 to U+2015;
// `at` itself when there is none.
size_t SkipHelpSeparator(const char16_t* line, size_t at);

// The same parse of a line held in well-formed UTF-8, as a loader that keeps UTF-8 texts reads
// it: Entry or NotEntry exactly where ParseHelpLineLengths would say so of the line's UTF-16
// form, with the upper-cased name in `name` (kNameUnits) and the texts as byte ranges of the
// line. The name is upper-cased in `name` only; the caller does the same to its copy of the
// syntax. Other where only the UTF-16 parser can tell: a name with a unit above U+007F, a
// syntax line longer than 1,023 bytes, or bytes that are not UTF-8.
enum class [[nodiscard]] Utf8HelpLine : uint8_t{Entry, NotEntry, Other};
struct HelpLineParts {
    size_t nameStart; // the name's first byte, after the "@"
    size_t nameBytes; // one per unit: the name is ASCII
    size_t syntax;    // bytes of the syntax line, from the line's start
    size_t infoStart; // the description's first byte
    size_t info;      // its bytes; 0 when the line has none
};
Utf8HelpLine ParseHelpLineUtf8(const char* line, size_t bytes, char16_t* name,
                               HelpLineParts* parts);
