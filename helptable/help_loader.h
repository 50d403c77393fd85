// Loading one help file into a new tree; the caller installs it in the HelpTable.
#pragma once

#include "helptable/help_table.h"

#include <cstdint>

// The root of the new tree, or null when nothing was loaded (the reason has been written to
// standard error). count is written only when a tree is returned. A syntax line or description
// whose UTF-8 form exceeds 2,047 or 16,383 bytes is cut at a character boundary.
HelpNode* LoadHelpFile(uint32_t* count, const char16_t* sourceName, int quiet);
