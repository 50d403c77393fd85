// The texts of a load, packed into large blocks while the entries are gathered, so that each
// function's own heap copies can be made later, in name order.
#pragma once

#include <cstddef>

struct StagedTexts {
    char* block; // the newest block; it begins with the link to the one before
    size_t used; // bytes of the newest block taken, link included
};

// A copy of a text of length bytes and its terminator, or null when no block could be had.
char* StageText(StagedTexts* staged, const char* text, size_t length);
// Releases every block and empties the record.
void ReleaseStagedTexts(StagedTexts* staged);
