// The reference host's variable expansion: %%, %_name and %[name] internal variables (%_? and
// %? the last command's result),
// %NAME% environment variables and the variable functions @comma, @path, @upper, @lower and
// @len. Unknown variables and functions stay as written.
#pragma once

#include <cstddef>

// The expansion never writes more than this many units, terminator included: the smallest
// buffer the plug-in hands over.
constexpr size_t kExpandUnits = 1024;

// Expands the text in place. Returns 0.
int ExpandInPlace(char16_t* buffer);
