// Merging the functions of one more help file into the loaded help.
#pragma once

#include "helptable/help_table.h"

#include <cstdint>

// A new tree holding every function of both trees; where a name is in both, the added tree's
// entry wins, as a later line wins within one file. Neither tree changes: the new one owns
// copies of its own. Null when memory runs out, after writing the loader's message for what
// failed and releasing everything made so far; count is written only when a tree is returned.
[[nodiscard]] HelpNode* MergeHelpTrees(const HelpNode* base, const HelpNode* added,
                                       uint32_t* count);
