// The plug-in interface as this host sees it: the identity record, the keystroke record and
// the entry points that the host looks up by name in the loaded module. The host keeps its own
// copy of these declarations; the plug-in's headers are not used here.
#pragma once

#include "platform/platform.h"

#include <cstdint>

struct ShellPluginInfo {
    const char16_t* name;
    const char16_t* author;
    const char16_t* email;
    const char16_t* web;
    const char16_t* description;
    const char16_t* implements; // "command,*keyhandler,..."
    uint32_t major;
    uint32_t minor;
    uint32_t build;
};

struct ShellKeyEvent {
    int32_t key;         // the character being typed, or 0 at a line boundary
    int32_t reserved[4]; // the host's own; zero here
    char16_t* line;      // the command line as it stands, or null at a line boundary
    char16_t* cursor;    // where the key goes in: inside line, before the key is inserted
};

typedef ShellPluginInfo*(HB_STDCALL* GetPluginInfoProc)(void);
typedef int(HB_STDCALL* InitializePluginProc)(void);
typedef int(HB_STDCALL* ShutdownPluginProc)(int endProcess);
typedef int(HB_STDCALL* UsageProc)(const char16_t* name, char16_t* buffer); // 1,024 units
typedef int(HB_STDCALL* HelpProc)(const char16_t* name);
typedef int(HB_STDCALL* CommandProc)(char16_t* line);
typedef int(HB_STDCALL* KeyProc)(ShellKeyEvent* event);
