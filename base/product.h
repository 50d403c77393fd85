// What the plug-in is: its name, its version and the module it was loaded from. They live
// here, below every subsystem, because the lower layers need them too: the error prefix and
// the temporary file's name carry the plug-in's name, and the start-up search (in the help
// table's layer) looks for the help file beside the module.
#pragma once

#include <cstdint>

extern const char16_t kPluginName[]; // "Hintbar"
constexpr uint32_t kVersionMajor = 0;
constexpr uint32_t kVersionMinor = 93;
constexpr uint32_t kVersionBuild = 0;
constexpr uint32_t kVersionRevision = 3;

// The plug-in's own module, recorded when the system loads it: the start-up search looks for
// the help file beside it.
void RecordModuleHandle(void* module);
[[nodiscard]] void* RecordedModuleHandle();
