// What the shell does with one command line, and with a batch file of them.
#pragma once

#include "host/shell/plugin_module.h"

#include <cstdio>

// Results of a command line, besides the command's own result.
constexpr int kUnknownCommand = 127;

struct CommandOutcome {
    int result; // the command's result: 0 for success
    bool exit;  // the line was "exit"
    bool ran;   // a command ran: its result is now the last one (%_?)
};

// Built-in commands: exit, echo (after variable expansion), set NAME=VALUE, title TEXT, rem; then
// the plug-in's commands; anything else is reported as unknown, and a command of a plug-in that
// declined to load with the reason. An empty line does nothing and keeps the last result.
CommandOutcome RunCommandLine(const PluginModule* module, const char* line);

// Opens a batch file for RunBatchFile; null, after saying why, when it cannot be read.
FILE* OpenBatchFile(const char* path);
// Runs each line of the open file (which it closes) with the host's batch name and line set;
// errors of the shell's own name the file and line, as the plug-in's do. Returns the result of
// the last command that ran.
int RunBatchFile(const PluginModule* module, const char* path, FILE* file);
