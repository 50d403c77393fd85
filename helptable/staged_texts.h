// The texts of a load, packed into large blocks while the entries are gathered and released
// as a whole once the tree has copied the texts it keeps.
#pragma once

#include "base/limits.h"

#include <cstddef>

// Large enough that a file of thousands of functions needs only a few blocks, and that the
// longest text a help line can give always fits an empty one.
constexpr size_t kStagedBlockBytes = 256 * 1024;

struct StagedTexts {
    char* block; // the newest block; it begins with the link to the one before
    size_t used; // bytes of the newest block taken, link included
};

// A copy of a text of length bytes and its terminator, or null when no block could be had.
char* StageText(StagedTexts* staged, const char* text, size_t length);
// Releases every block and empties the record.
void ReleaseStagedTexts(StagedTexts* staged);

static_assert(kStagedBlockBytes > sizeof(char*) + kInfoBytes, "a whole description fits a block");
