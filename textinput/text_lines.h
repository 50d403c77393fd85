// Decoding characters and reading lines from an open TextSource.
#pragma once

#include "base/limits.h"
#include "textinput/text_source.h"

#include <cstdint>
#include <span>

// What one character's bytes were, beside what a reader takes from them.
enum class CharKind : uint8_t {
    Character,  // the value is what the bytes encode
    End,        // no whole unit left: no character
    Cut,        // UTF-8: a sequence that the end of the data cuts off
    IllFormed,  // bytes the form does not allow there: in UTF-8 a byte that begins no sequence,
                // a bad continuation or an overlong form; in ANSI a byte the code page leaves out
    Surrogate,  // UTF-8: a surrogate code point, which UTF-8 may not carry
    BeyondLast, // above U+10FFFF, or a UTF-32 unit that is negative as a signed number
};
struct DecodedChar {
    int32_t value;   // the code point; the source's replacement where it is not one; -1 at End
    uint32_t length; // bytes it takes: 1 for what does not decode, so reading goes on after it
    CharKind kind;
    uint32_t encoded; // Surrogate and BeyondLast: the number the bytes spell out
};
// The one decoder: the character whose bytes begin at offset, in the source's encoding.
[[nodiscard]] DecodedChar DecodeChar(const TextSource& source, uint32_t offset);

enum class [[nodiscard]] LineRead : uint8_t{Line, NoMore};
// The next line that is not blank, terminated, in line: at most 8,191 units of text, fewer
// when the buffer is shorter than kLineUnits; what does not fit is dropped. NoMore at the end
// of the text, and for a missing source or an empty buffer.
[[nodiscard]] LineRead ReadTextLine(TextSource* source, std::span<char16_t> line);
int NextChar(TextSource* source); // a code point (up to U+10FFFF), or -1 at the end
[[nodiscard]] int
PeekChar(TextSource* source); // the same without moving; a cut UTF-8 sequence is the end

// Where a line stood in the file and what the reader dropped of it, for tools that report on
// a file line by line. One record serves a whole reading: zero it before the first line, as
// it carries the count of line breaks from one line to the next.
struct TextLineReport {
    uint32_t number; // the line's number, from 1; CR, LF, CR LF, LF CR and U+0085 end a line
    uint32_t column; // units before it on that line, when a NUL ended the text before it
    uint32_t start;  // byte offset of its first character
    uint32_t length; // UTF-16 units of the line as written; what did not fit was dropped
    bool endsInNul;  // a NUL ended it
    uint32_t breaks; // line breaks read so far
    uint32_t since;  // units read since the last line break, NULs included
};
// ReadTextLine, with the same lines and results, and the report filled for the line returned.
[[nodiscard]] LineRead ReadTextLineReported(TextSource* source, std::span<char16_t> line,
                                            TextLineReport* report);
