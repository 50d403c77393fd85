// The plug-in's face towards the host: the records of its binary interface and its seven
// exports. Each export is a thin entry point that forwards to the subsystem doing the work.
#pragma once

#include "platform/platform.h"

#include <cstdint>

struct PluginInfo {
    const char16_t* name;
    const char16_t* author;
    const char16_t* email;
    const char16_t* web;
    const char16_t* description;
    const char16_t* implements;
    uint32_t major;
    uint32_t minor;
    uint32_t build;
};

struct KeyEvent {
    int32_t key;
    int32_t reserved[4]; // the host's; never read or written
    char16_t* line;
    char16_t* cursor;
};

extern "C" {
PluginInfo* HB_STDCALL GetPluginInfo(void);
int HB_STDCALL InitializePlugin(void);
int HB_STDCALL ShutdownPlugin(int endProcess);
int HB_STDCALL Usage(const char16_t* name, char16_t* buffer); // buffer: 1,024 units
int HB_STDCALL Help(const char16_t* name);
int HB_STDCALL hbar(char16_t* line);
int HB_STDCALL key(KeyEvent* event);
}

// Empties every piece of the plug-in's state that outlives a call: the help table and the
// saved status-bar text with its per-line flag. Returns the number of functions released.
uint32_t ResetPluginState();
