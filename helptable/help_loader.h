// Loading one help file into a new tree; the caller installs it in the HelpTable.
#pragma once

#include "helptable/help_table.h"

#include <cstdint>

// The root of the new tree, or null when nothing was loaded (the reason has been written to
// standard error). count is written only when a tree is returned.
HelpNode* LoadHelpFile(uint32_t* count, const char16_t* sourceName, int quiet);
