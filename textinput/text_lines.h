// Decoding characters and reading lines from an open TextSource.
#pragma once

#include "base/limits.h"
#include "textinput/text_source.h"

#include <cstdint>

// line: kLineUnits units, so a line holds 8,191 units and a terminator.
int ReadTextLine(TextSource* source, char16_t* line); // 0: a line; -1: no more
int NextChar(TextSource* source); // a code point (up to U+10FFFF), or -1 at the end
int PeekChar(TextSource* source);
int DecodeUtf8Sequence(const uint8_t* bytes); // a code point, or -1

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
int ReadTextLineReported(TextSource* source, char16_t* line, TextLineReport* report);
