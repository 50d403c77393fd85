// Turns a status-bar text into one terminal row: line breaks become a separator, tabs become
// blanks, characters that would steer the terminal are dropped, and the result is cut to the
// row's width.
#pragma once

#include <cstddef>

// Writes UTF-8 into out (always terminated) and returns the number of columns it fills,
// at most columns. A text that does not fit ends with an ellipsis.
int RenderStatusRow(const char16_t* text, int columns, char* out, size_t outBytes);

// How many columns a code point takes on a terminal: 0, 1 or 2.
int CodePointColumns(unsigned codePoint);
