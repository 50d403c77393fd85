// The host program's script: one step a line, read from a file or standard input.
//
//   # text              a comment; blank lines are skipped too
//   type TEXT           types each unit of TEXT at the cursor: key() sees the line and the
//                       cursor as they stand before the unit goes in, then it is inserted
//   key C               types the one character C, e.g. key ]
//   key #N              calls key() with key code N (decimal) and inserts nothing
//   left [N], right [N] moves the cursor N units (1 by default); home, end
//   line [TEXT]         replaces the line being edited, cursor at its end, no key events
//   newline             the line boundary: the status bar shows "Ready" again, key() gets key
//                       code 0 and no line, and the line empties
//   hbar [ARGS]         runs the command with ARGS and prints "hbar returned N"
//   batch NAME LINE     as if batch file NAME were running at LINE; "batch" alone: none
//   status              prints the status bar's text
//
// Every step is echoed as "> STEP"; after every step but "status" and comments the status
// bar's text is printed as "status: TEXT", with \r, \n, \t, \\ and U+200B (\u200B) escaped.
#pragma once

#include "host/win/host_window.h"
#include "host/win/plugin_loader.h"

#include <cstdio>

constexpr size_t kCommandLineUnits = 8192;

struct HostSession {
    Plugin* plugin;
    HostWindow* window;
    wchar_t line[kCommandLineUnits]; // the command line being edited, zero-terminated
    size_t length;
    size_t cursor;
};

// Writes UTF-16 text to standard output as UTF-8.
void WriteOut(const wchar_t* text);
void PrintStatus(const HostSession& session);
// Runs every step of the script; returns 0, or 1 when some step was not understood.
int RunScript(HostSession* session, FILE* input);
