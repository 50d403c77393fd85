// The plug-in's face towards the host: its seven exports, with the records of the binary
// interface they exchange. Each export is a thin entry point that forwards to the subsystem
// doing the work.
#pragma once

#include "interface/plugin_abi.h"

#include <cstdint>
#include <type_traits>

extern "C" {
PluginInfo* HB_STDCALL GetPluginInfo(void);
int HB_STDCALL InitializePlugin(void);
int HB_STDCALL ShutdownPlugin(int endProcess);
int HB_STDCALL Usage(const char16_t* name, char16_t* buffer); // buffer: 1,024 units
int HB_STDCALL Help(const char16_t* name);
int HB_STDCALL hbar(char16_t* line);
int HB_STDCALL key(KeyEvent* event);
}

// A host calls each export through the pointer type the interface gives it: any difference of
// argument, result or calling convention would corrupt the stack on x86.
static_assert(std::is_same_v<decltype(&GetPluginInfo), GetPluginInfoProc>);
static_assert(std::is_same_v<decltype(&InitializePlugin), InitializePluginProc>);
static_assert(std::is_same_v<decltype(&ShutdownPlugin), ShutdownPluginProc>);
static_assert(std::is_same_v<decltype(&Usage), UsageProc>);
static_assert(std::is_same_v<decltype(&Help), HelpProc>);
static_assert(std::is_same_v<decltype(&hbar), CommandProc>);
static_assert(std::is_same_v<decltype(&key), KeyProc>);

// Empties every piece of the plug-in's state that outlives a call, so that a host that loads
// the plug-in again starts afresh: the help table and its list of files; the line's live-help
// state, with the text saved from where help shows (put back there first); the host window the
// plug-in found; and the help window with its thread. What is left, the argument vector and
// the start-up search's paths, is working room that each call fills afresh. Returns the
// number of functions released.
uint32_t ResetPluginState();
