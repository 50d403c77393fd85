// The records a host and a plug-in exchange, and the seven exports a host looks up by name in
// the plug-in's module. The plug-in and every host include this one header; it includes
// nothing of either. Text is UTF-16: char16_t here, which on Windows has the layout of the
// host's wchar_t.
#pragma once

#include "interface/calling_conventions.h"

#include <cstddef>
#include <cstdint>

// The plug-in's identity, returned by GetPluginInfo; the plug-in owns it and its texts.
struct PluginInfo {
    const char16_t* name;
    const char16_t* author;
    const char16_t* email;
    const char16_t* web;
    const char16_t* description;
    const char16_t* implements; // "command,*keyhandler,...": "*" marks a keystroke handler
    uint32_t major;
    uint32_t minor;
    uint32_t build;
};

// One keystroke, handed to each keystroke handler before the key goes into the line.
struct KeyEvent {
    int32_t key;         // the character being typed, or 0 at a line boundary
    int32_t reserved[4]; // the host's own; never read or written by a plug-in
    char16_t* line;      // the command line as it stands, or null at a line boundary
    char16_t* cursor;    // where the key goes in, inside line
};

// Both records take the natural alignment of the machine: every field is 32 bits wide on x86;
// on x64 the pointers are 64 bits, and the key event's pointers follow its five integers after
// four bytes of padding. A host of either bitness relies on exactly these sizes and offsets.
constexpr size_t ForBitness(size_t x86, size_t x64) {
    return sizeof(void*) == 4 ? x86 : x64;
}
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "a 32-bit or a 64-bit machine");
static_assert(sizeof(char16_t) == 2);
#if defined(_WIN32)
static_assert(sizeof(wchar_t) == sizeof(char16_t), "a host's wchar_t text is read as char16_t");
#endif
static_assert(sizeof(PluginInfo) == ForBitness(36, 64));
static_assert(offsetof(PluginInfo, name) == 0);
static_assert(offsetof(PluginInfo, author) == ForBitness(4, 8));
static_assert(offsetof(PluginInfo, email) == ForBitness(8, 16));
static_assert(offsetof(PluginInfo, web) == ForBitness(12, 24));
static_assert(offsetof(PluginInfo, description) == ForBitness(16, 32));
static_assert(offsetof(PluginInfo, implements) == ForBitness(20, 40));
static_assert(offsetof(PluginInfo, major) == ForBitness(24, 48));
static_assert(offsetof(PluginInfo, minor) == ForBitness(28, 52));
static_assert(offsetof(PluginInfo, build) == ForBitness(32, 56));
static_assert(sizeof(KeyEvent) == ForBitness(28, 40));
static_assert(offsetof(KeyEvent, key) == 0);
static_assert(offsetof(KeyEvent, reserved) == 4);
static_assert(offsetof(KeyEvent, line) == ForBitness(20, 24));
static_assert(offsetof(KeyEvent, cursor) == ForBitness(24, 32));

// The exports as a host calls them, found by their plain names. Usage and Help may be absent
// from a plug-in; a command export and a keystroke handler are named in PluginInfo::implements.
typedef PluginInfo*(HB_STDCALL* GetPluginInfoProc)(void);
typedef int(HB_STDCALL* InitializePluginProc)(void);
typedef int(HB_STDCALL* ShutdownPluginProc)(int endProcess);                // argument not used
typedef int(HB_STDCALL* UsageProc)(const char16_t* name, char16_t* buffer); // 1,024 units
typedef int(HB_STDCALL* HelpProc)(const char16_t* name);
typedef int(HB_STDCALL* CommandProc)(char16_t* line); // line may be null
typedef int(HB_STDCALL* KeyProc)(KeyEvent* event);
