// The hbar command: reloads, unloads and reports on the help table.
#pragma once

extern const char16_t kCommandHelp[]; // the command's help text, as "/?" prints it

// Runs one hbar command line: 0 on success, 1 for a bad argument, 2 for a file not found, 3
// when /F found no help to show.
int RunHbar(const char16_t* line);
