// The plug-in interface as this host sees it: the identity record, the keystroke record and
// the entry points that the host looks up by name in the loaded module. The host keeps its own
// copy of these declarations; the plug-in's headers are not used here.
#pragma once

#include "platform/platform.h"

#include <cstddef>
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

// Natural alignment, as the plug-in lays the records out for its machine: 32-bit fields on a
// 32-bit machine; on a 64-bit one the key event's pointers follow four bytes of padding. The
// size or offset of each field, for a 32-bit and a 64-bit shell:
constexpr size_t ShellAbiLayout(size_t x86, size_t x64) {
    return sizeof(void*) == 4 ? x86 : x64;
}
static_assert(sizeof(ShellPluginInfo) == ShellAbiLayout(36, 64));
static_assert(offsetof(ShellPluginInfo, author) == ShellAbiLayout(4, 8));
static_assert(offsetof(ShellPluginInfo, email) == ShellAbiLayout(8, 16));
static_assert(offsetof(ShellPluginInfo, web) == ShellAbiLayout(12, 24));
static_assert(offsetof(ShellPluginInfo, description) == ShellAbiLayout(16, 32));
static_assert(offsetof(ShellPluginInfo, implements) == ShellAbiLayout(20, 40));
static_assert(offsetof(ShellPluginInfo, major) == ShellAbiLayout(24, 48));
static_assert(offsetof(ShellPluginInfo, minor) == ShellAbiLayout(28, 52));
static_assert(offsetof(ShellPluginInfo, build) == ShellAbiLayout(32, 56));
static_assert(sizeof(ShellKeyEvent) == ShellAbiLayout(28, 40));
static_assert(offsetof(ShellKeyEvent, reserved) == 4);
static_assert(offsetof(ShellKeyEvent, line) == ShellAbiLayout(20, 24));
static_assert(offsetof(ShellKeyEvent, cursor) == ShellAbiLayout(24, 32));

typedef ShellPluginInfo*(HB_STDCALL* GetPluginInfoProc)(void);
typedef int(HB_STDCALL* InitializePluginProc)(void);
typedef int(HB_STDCALL* ShutdownPluginProc)(int endProcess);
typedef int(HB_STDCALL* UsageProc)(const char16_t* name, char16_t* buffer); // 1,024 units
typedef int(HB_STDCALL* HelpProc)(const char16_t* name);
typedef int(HB_STDCALL* CommandProc)(char16_t* line);
typedef int(HB_STDCALL* KeyProc)(ShellKeyEvent* event);
