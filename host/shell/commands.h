// What the shell does with one command line, and with a batch file of them.
#pragma once

#include "host/shell/plugin_module.h"

// Results of a command line, besides the command's own result.
constexpr int kUnknownCommand = 127;

struct CommandOutcome {
    int result; // the command's result: 0 for success
    bool exit;  // the line was "exit"
};

// Built-in commands: exit, echo (after variable expansion), set NAME=VALUE, title TEXT, rem; then
// the plug-in's commands; anything else is reported as unknown, and a command of a plug-in that
// declined to load with the reason. An empty line does nothing.
CommandOutcome RunCommandLine(const PluginModule* module, const char* line);

// Runs each line of the file with the host's batch name and line set. Returns the result of
// the last command, or 2 when the file cannot be read.
int RunBatchFile(const PluginModule* module, const char* path);
