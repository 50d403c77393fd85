// Loading one plug-in module the way a host does: open it, look up its exports by name, read
// its identity record and bind the commands and keystroke handlers it says it implements.
#pragma once

#include "interface/plugin_abi.h"

#include <cstddef>

constexpr int kMaxPluginCommands = 16;
constexpr int kMaxKeyHandlers = 4;
constexpr int kCommandNameBytes = 64;

struct PluginCommand {
    char name[kCommandNameBytes]; // UTF-8, as listed by the plug-in
    CommandProc run;
};

struct PluginModule {
    void* handle; // from dlopen; null when nothing is loaded
    GetPluginInfoProc getPluginInfo;
    InitializePluginProc initializePlugin;
    ShutdownPluginProc shutdownPlugin;
    UsageProc usage; // optional exports: null when absent
    HelpProc help;
    PluginCommand commands[kMaxPluginCommands];
    int commandCount;
    KeyProc keyHandlers[kMaxKeyHandlers];
    int keyHandlerCount;
    bool initialized; // InitializePlugin accepted; ShutdownPlugin is owed
    bool declined;    // InitializePlugin declined: only the commands' names are left
};

// Opens the module and binds everything; 0 on success, otherwise -1 with a message in error.
int LoadPlugin(const char* path, PluginModule* module, char* error, size_t errorBytes);
// Calls InitializePlugin. When the plug-in declines, the module is unloaded: a declined
// plug-in gets no keys and no commands, but the names of its commands are kept, so that the
// shell can say why they are not there. Returns what InitializePlugin returned.
int StartPlugin(PluginModule* module);
// Calls ShutdownPlugin when it is owed, then closes the module.
void UnloadPlugin(PluginModule* module);

// The command the plug-in implements under this name (case ignored), or null.
CommandProc FindPluginCommand(const PluginModule* module, const char* name);
// Whether the name is a command of a plug-in that declined to start.
bool IsDeclinedCommand(const PluginModule* module, const char* name);
// Hands one keystroke to every keystroke handler. Key 0 with a null line marks the start of
// a new command line.
void SendPluginKey(const PluginModule* module, int32_t key, char16_t* line, char16_t* cursor);
// A testing aid: from now on each key handed over is also appended to the file, one line each,
// "key=K cursor=C line=TEXT" (C in UTF-16 units from the line's start, TEXT in UTF-8), or
// "key=0 line=null" where a line begins. False when the file cannot be opened.
bool OpenKeyLog(const char* path);
void CloseKeyLog();
