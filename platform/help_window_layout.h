// Where the help window goes and how large it is, decided from rectangles alone, so that the
// rules can be tried without a screen. Rectangles are in screen pixels, right and bottom
// exclusive.
#pragma once

#include <cstdint>

struct ScreenRect {
    int32_t left, top, right, bottom;
};

struct HelpWindowFacts {
    ScreenRect work;   // the work area of the monitor that holds the window typed in
    ScreenRect typing; // the window the user types in (a console window, or the terminal)
    bool caretKnown;   // a console window: the caret's cell is known
    ScreenRect caret;  // that cell
    bool minimized;    // the window typed in is minimized: nothing shows
    int32_t minWidth;  // the narrowest the help window is made, for this monitor's DPI
    int32_t minHeight; // the shortest worth showing: one line of help in the window's frame
};

// The help window's width: as wide as the part of the typing window on the work area, at
// least minWidth, at most the work area's width. 0 when nothing can show.
int32_t HelpWindowWidth(const HelpWindowFacts& facts);
// The tallest the help window is made: a third of the work area.
int32_t HelpWindowMaxHeight(const HelpWindowFacts& facts);

struct HelpWindowPlacement {
    bool show;
    ScreenRect rect;
    bool noRoom; // nothing shows: neither side of the caret's row holds one line of help
};

// Where a window of the given size goes: wholly inside the work area; beside a known caret it
// never covers the caret's row (below it, or above it when there is no room below, made
// shorter when neither side has room, and not shown when neither side holds minHeight);
// otherwise along the typing window's bottom edge, outside, or inside along its top edge when
// there is no room below.
HelpWindowPlacement PlaceHelpWindow(const HelpWindowFacts& facts, int32_t width, int32_t height);

// The help window drawn as a box of character cells along a terminal's bottom edge: a frame row
// above and below the help's rows, and a frame column and a blank on either side of them. The
// frame's rows are not help, so they do not count against the third of the terminal that the
// help may take; at least one row of the terminal stays above the box for the line typed.
struct TerminalHelpBox {
    int32_t rows;    // rows of help at the most; 0 when the terminal has no room for one
    int32_t columns; // columns of help in a row
};
TerminalHelpBox HelpBoxInTerminal(int32_t rows, int32_t columns);
