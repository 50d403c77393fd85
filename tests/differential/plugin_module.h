// The plug-in module as a host loads it, and the ANSI code page it reads files in.
#pragma once

#include "interface/plugin_abi.h"

#include <cstdint>

// The module's hbar export, found as a host finds it; null with a message on standard error.
CommandProc LoadPluginCommand(const char* path);
// Makes the module read ANSI files in this code page, or says on standard error why it cannot.
bool UsePluginCodePage(uint32_t codePage);
