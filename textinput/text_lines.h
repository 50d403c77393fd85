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
