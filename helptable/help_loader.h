// Loading one help file into a new tree; the help-sources routines install it in the table.
#pragma once

#include "helptable/help_table.h"
#include "textinput/text_source.h"

#include <cstdint>

// How a load, an add or a merge ended. Each failure but NotOpened has one message of its own;
// NotOpened carries the text source's account of why.
enum class HelpLoad : uint8_t {
    Loaded,
    NotOpened,   // the file did not open: see `source` (MissingName: nothing to say)
    NoFunctions, // the file is empty or holds no entry line
    NoArray,     // no memory for the array of entries or its working room
    NoText,      // no memory for the names and texts
    NoTree,      // no memory for the tree
};
struct [[nodiscard]] HelpLoadResult {
    HelpLoad outcome;
    uint32_t functions;      // Loaded: the functions the file brought
    HelpTree tree;           // LoadHelpFile's Loaded: the new tree, the caller's to free
    SourceOpenResult source; // NotOpened: why
    const char16_t* file;    // the name the load was given, as its messages quote it
};

// A syntax line or description whose UTF-8 form exceeds 2,047 or 16,383 bytes is cut at a
// character boundary.
[[nodiscard]] HelpLoadResult LoadHelpFile(const char16_t* sourceName);
