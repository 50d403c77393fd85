// Merging the functions of one more help file into the loaded help.
#pragma once

#include "helptable/help_loader.h"
#include "helptable/help_table.h"

// A new tree holding every function of both trees; where a name is in both, the added tree's
// entry wins, as a later line wins within one file. Neither tree changes: the new one owns
// copies of its own. Loaded with the tree, or NoArray or NoTree when memory runs out, with
// everything made so far released.
[[nodiscard]] HelpLoadResult MergeHelpTrees(const HelpNode* base, const HelpNode* added);
