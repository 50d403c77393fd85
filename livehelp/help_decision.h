// What live help should show for a bracket typed on the command line. The decision is made
// from the key, the text before the cursor, the help table and whether help was shown on this
// line; making it touches no window and calls no host service. A presenter carries it out.
#pragma once

#include "base/limits.h"
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

// What the line means to help that follows the typing.
enum class FollowKind {
    Nothing, // neither inside a call nor typing a name
    InCall,  // the cursor stands inside a named call's brackets
    Naming,  // the cursor stands right after "%@" and one or more name characters
};

struct FollowDecision {
    FollowKind kind;
    const HelpNode* node;        // InCall: the entry of the innermost named call around the cursor
    int argument;                // InCall: the argument the cursor is in, from 0
    char16_t prefix[kNameUnits]; // Naming: the name typed so far, upper-cased
};

// The key code of Backspace, which removes the character before the cursor.
constexpr int32_t kBackspaceKey = 8;

// What the line means once the key is in: a character is inserted at the cursor, Backspace
// removes the character before it, and any other key (0 with a line among them) leaves the
// line as it stands. Only the text before the cursor counts. A call is followed when its name
// has an entry; the count of commas at the call's own depth is the argument. Nothing for no
// table, a cursor not inside the line, a line past kLineUnits before the cursor, or calls
// nested deeper than the bracket decision follows (64).
[[nodiscard]] FollowDecision DecideFollow(int32_t key, const char16_t* line, const char16_t* cursor,
                                          const HelpNode* table);

// The entries whose names begin with the prefix, in name order: the first of them in shown
// (as many as it holds), and the number of all. Found from the ordered tree, visiting only the
// matching names and the path to them.
[[nodiscard]] uint32_t MatchingNames(const HelpNode* table, const char16_t* prefix,
                                     std::span<const HelpNode*> shown);

// The upper-cased name of %@NAME ending exactly length units into the line; its length, 0
// and an empty name when there is none, -1 for a missing line or name buffer (kNameUnits).
[[nodiscard]] int ExtractFunctionName(const char16_t* line, int length, char16_t* name);
