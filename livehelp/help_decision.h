// What live help should show for a bracket typed on the command line. The decision is made
// from the key, the text before the cursor, the help table and whether help was shown on this
// line; making it touches no window and calls no host service. A presenter carries it out.
#pragma once

#include "helptable/help_table.h"

#include <cstdint>
#include <span>

enum class HelpAction {
    Nothing,      // what shows stays as it is
    ShowHelp,     // the node's help
    PutBackSaved, // what showed before the first help of the line
};

struct HelpDecision {
    HelpAction action;
    const HelpNode* node; // the entry to show (ShowHelp only)
    // An opening bracket's help: what shows now is saved first, once per line, so that a
    // closing bracket can put it back.
    bool savesFirst;
};

// The decision for key code U+005B or U+005D at the cursor in a zero-terminated line; Nothing
// for any other key, for no table, and for a cursor that is not inside the line.
[[nodiscard]] HelpDecision DecideBracketHelp(int32_t key, const char16_t* line,
                                             const char16_t* cursor, const HelpNode* table,
                                             bool helpShownThisLine);

// The upper-cased name of %@NAME ending exactly length units into the line; its length, 0
// and an empty name when there is none, -1 for a missing line or name buffer (kNameUnits).
[[nodiscard]] int ExtractFunctionName(const char16_t* line, int length, char16_t* name);
