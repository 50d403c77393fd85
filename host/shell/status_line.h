// The host window's status bar, drawn across the terminal's last row. A scroll region keeps
// all other output above it. Without a terminal on standard output nothing is drawn.
#pragma once

// Reserves the last row and draws the bar; false when standard output is no terminal or
// the terminal is too small.
bool StatusLineStart();
// Keeps the text and draws it (any text; line breaks and tabs are flattened).
void StatusLineShow(const char16_t* text);
// Takes the terminal's size afresh and redraws: after a resize or a cleared screen. After a
// change of size, the text of the cursor's row and above stays, everything below it is
// cleared, and true is returned so that the line being edited can be drawn again.
bool StatusLineRefresh();
// Clears the bar and gives the whole terminal back to ordinary output.
void StatusLineStop();
// The terminal rows above the bar, or 0 when no bar is drawn.
int StatusLineRowsAbove();
