// What the plug-in is: its name, its version and the module it was loaded from.
#pragma once

#include <cstdint>

extern const char16_t kPluginName[]; // "Hintbar"
constexpr uint32_t kVersionMajor = 0;
constexpr uint32_t kVersionMinor = 93;
constexpr uint32_t kVersionBuild = 0;
constexpr uint32_t kVersionRevision = 3;

// The plug-in's own module, recorded when the system loads it: the start-up search looks for
// the help file beside it.
extern void* ModuleHandle;
void RecordModuleHandle(void* module);
