// The host program's script: one step a line, read from a file or standard input. The steps
// are listed in kScriptHelp (script.cpp), beside the code that runs them, which
// "HintbarHost --help" prints:
//
//   # text, type TEXT, key C, key #N, left [N], right [N], home, end, line [TEXT], newline,
//   hbar [ARGS], batch NAME LINE, status
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

// What each step does, and what the program prints for it.
extern const char kScriptHelp[];

// Writes UTF-16 text to standard output as UTF-8.
void WriteOut(const wchar_t* text);
void PrintStatus(const HostSession& session);
// Runs every step of the script; returns the number of steps that were not understood.
int RunScript(HostSession* session, FILE* input);
