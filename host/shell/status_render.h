// Turns a status-bar text into one terminal row: line breaks become a separator, tabs become
// blanks, characters that would steer the terminal are dropped, and the result is cut to the
// row's width.
#pragma once

#include <cstddef>
#include <span>
#include <string>

// Writes UTF-8 into out (always terminated) and returns the number of columns it fills,
// at most columns. A text that does not fit ends with an ellipsis.
int RenderStatusRow(const char16_t* text, int columns, char* out, size_t outBytes);

// How many columns a code point takes on a terminal: 0, 1 or 2.
int CodePointColumns(unsigned codePoint);

// One row of the help window as a box of cells draws it.
struct BoxRow {
    std::string text; // UTF-8, with SGR 1 and 22 around bold runs
    int columns;      // the columns it fills
};

// Lays the help window's text out in rows of the given columns, as the window wraps it: a line
// break ends a row, a tab goes on to the next stop, and a full row breaks after its last blank
// (a word longer than a row breaks where the row ends). What lies between kEmphasisStart and
// kEmphasisEnd is bold; the marks take no column and never show. Fills at most rows.size()
// rows; when more text follows them, the last row ends with an ellipsis, never bold. Returns
// the rows filled.
int WrapHelpText(const char16_t* text, int columns, std::span<BoxRow> rows);
