// The plug-in's face towards the host: its identity record and its seven exports.
#pragma once

#include "platform/platform.h"

#include <cstdint>

// Buffer sizes in UTF-16 units, terminator included.
constexpr int kNameUnits = 48;
constexpr int kMessageUnits = 1024;
constexpr int kLineUnits = 8192;
constexpr int kPathUnits = 32768;

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

extern const char16_t kPluginName[];  // "Hintbar"
extern const char16_t kCommandHelp[]; // the help text of hbar
constexpr uint32_t kVersionMajor = 0;
constexpr uint32_t kVersionMinor = 93;
constexpr uint32_t kVersionBuild = 0;
constexpr uint32_t kVersionRevision = 3;

// The plug-in's own module, recorded when the system loads it.
extern void* ModuleHandle;
void OnModuleAttach(void* module);

extern "C" {
PluginInfo* HB_STDCALL GetPluginInfo(void);
int HB_STDCALL InitializePlugin(void);
int HB_STDCALL ShutdownPlugin(int endProcess);
int HB_STDCALL Usage(const char16_t* name, char16_t* buffer); // buffer: 1,024 units
int HB_STDCALL Help(const char16_t* name);
int HB_STDCALL hbar(char16_t* line);
int HB_STDCALL key(KeyEvent* event);
}
