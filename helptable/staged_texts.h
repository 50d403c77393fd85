// The texts of a load, packed into large blocks while the entries are gathered. The tree the
// load builds takes the blocks over, so that its texts are never copied again; a failed load
// releases them as a whole.
#pragma once

#include "base/limits.h"

#include <cstddef>
#include <span>

// Large enough that a file of thousands of functions needs only a few blocks, and that the
// longest text a help line can give always fits an empty one.
constexpr size_t kStagedBlockBytes = 256 * 1024;

struct StagedTexts {
    char* block;       // the newest block; it begins with the link to the one before
    size_t used;       // bytes of the newest block taken, link included
    size_t blockBytes; // the newest block's size
    size_t firstBytes; // a smaller size for the first block, where all a small file's texts
                       // fit; 0, or a size the first text does not fit, for kStagedBlockBytes
};

// What a load stages for the tree it builds: the names and the texts its entries borrow.
struct StagedHelp {
    StagedTexts names;
    StagedTexts texts;
};

// A copy of length bytes of text, terminated (text need not be), or null when no block could
// be had.
[[nodiscard]] char* StageText(StagedTexts* staged, const char* text, size_t length);
// The same for a name of `units` UTF-16 units and its terminator, aligned for its units.
[[nodiscard]] const char16_t* StageName(StagedTexts* staged, const char16_t* name, size_t units);
// The newest block's free room, for texts written in place before the caller knows whether
// to keep them, which spares a copy; empty when fewer than `least` bytes are free.
[[nodiscard]] std::span<char> StagedRoom(const StagedTexts* staged, size_t least);
// Keeps the first `bytes` of that room, which the caller has filled with terminated texts.
[[nodiscard]] char* TakeStagedRoom(StagedTexts* staged, size_t bytes);
// Releases every block and empties the record.
void ReleaseStagedTexts(StagedTexts* staged);

static_assert(kStagedBlockBytes > sizeof(char*) + kInfoBytes, "a whole description fits a block");
