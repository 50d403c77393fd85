// The hbar command: reloads, unloads and reports on the help table.
#pragma once

extern const char16_t kCommandHelp[]; // the command's help text, as "/?" prints it

// What an hbar command line came to. The host sees the number: the export passes it on as is.
enum class HbarResult {
    Done = 0,
    BadArgument = 1,
    FileNotFound = 2,
    NoHelpFound = 3, // /F found no help to show
};

[[nodiscard]] HbarResult RunHbar(const char16_t* line);
