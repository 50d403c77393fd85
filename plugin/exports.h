// The plug-in's face towards the host: the records of its binary interface and its seven
// exports. Each export is a thin entry point that forwards to the subsystem doing the work.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

// Both records take the natural alignment of the machine: every field is 32 bits wide on x86;
// on x64 the pointers are 64 bits, and the key event's pointers follow its five integers after
// four bytes of padding.
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

// The size or offset that the host's interface gives for this machine.
constexpr size_t ForBitness(size_t x86, size_t x64) {
    return sizeof(void*) == 4 ? x86 : x64;
}
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "a 32-bit or a 64-bit machine");
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
