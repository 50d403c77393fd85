// The help table: every function's upper-case name, syntax line and additional information,
// held as a balanced binary search tree built once from a sorted array.
#pragma once

#include "base/limits.h"

#include <cstddef>
#include <cstdint>
#include <span>

struct StagedHelp;

// One function's help while a tree is built; the loader keeps them in one array. The entry
// borrows its name and texts: the array's owner keeps them alive until the tree is built.
struct HelpEntry {
    const char16_t* name; // upper-case, without the "@", at most 47 units
    char* syntax;         // UTF-8, never empty
    char* info;           // UTF-8, or null when the line had no description
};

// One tree node. A tree's nodes lie in one heap block that the tree owns; its names and texts
// lie in that block too, or, for a loaded tree, in the blocks the load staged them in, which
// the tree owns as well.
struct HelpNode {
    const HelpNode* left;
    const HelpNode* right;
    const char* syntax;   // in a block the tree owns
    const char* info;     // likewise, or null
    const char16_t* name; // likewise, with its terminator
};

struct HelpTree;
// Releases a whole tree, which is left empty (nothing for no tree); the number of nodes it held.
uint32_t FreeHelpTree(HelpTree& tree);

// A built tree, which owns its nodes and texts: it frees them when it goes, and a move hands
// them on, leaving the source empty. Its nodes lie behind a header in one heap block, so it is
// released only whole, never node by node; its texts are read through root and never changed.
struct HelpTree {
    const HelpNode* root = nullptr; // null: no tree
    uint32_t count = 0;             // its nodes

    HelpTree() = default;
    HelpTree(const HelpNode* nodes, uint32_t n) : root(nodes), count(n) {}
    HelpTree(HelpTree&& other) noexcept : root(other.root), count(other.count) {
        other.root = nullptr;
        other.count = 0;
    }
    HelpTree& operator=(HelpTree&& other) noexcept {
        if (this != &other) {
            FreeHelpTree(*this);
            root = other.root;
            count = other.count;
            other.root = nullptr;
            other.count = 0;
        }
        return *this;
    }
    HelpTree(const HelpTree&) = delete;
    HelpTree& operator=(const HelpTree&) = delete;
    ~HelpTree() { FreeHelpTree(*this); }
};

// Figures that MeasureHelpTree adds to; the caller sets them to zero.
struct HelpTableTotals {
    uint32_t nodes;
    uint32_t nodeBytes;   // 20 per node, whatever the platform's real node size
    uint32_t nameBytes;   // 2 per name unit, terminator not counted
    uint32_t syntaxBytes; // UTF-8 length + 1
    uint32_t infoBytes;   // UTF-8 length + 1, for nodes with an info
};

// Ordinal order of UTF-16 code units: -1, 0 or 1.
[[nodiscard]] int CompareHelpNames(const char16_t* first, const char16_t* second);
// Builds a tree from the sorted entries in one heap block, copying their names and texts, so
// the entries keep their own; no tree when there are none or the block cannot be allocated.
[[nodiscard]] HelpTree BuildHelpTree(std::span<const HelpEntry> entries);
// A loaded tree's block, had before its nodes are known: room for as many nodes as the load
// has entries, which the load may use as working room until BuildHelpTreeOver lays the nodes
// out there. The room is aligned for 64-bit numbers.
struct TreeRoom {
    char* block;
    std::span<char> nodes;
};
// Null block when the block cannot be allocated.
[[nodiscard]] TreeRoom ReserveHelpTree(size_t entries);
// The same as BuildHelpTree, in the room, for the entries named by `order`, in name order
// (entries[order[0]] first), whose names and texts all lie in `staged`: the tree takes those
// blocks over rather than copy them, and the record is emptied. The entries are read in the
// order they lie; entries that `order` leaves out have no node. `place` is working room, a
// place for each entry. On failure the room is released and the record left as it was.
[[nodiscard]] HelpTree BuildHelpTreeOver(TreeRoom room, std::span<const HelpEntry> entries,
                                         std::span<const int32_t> order, std::span<int32_t> place,
                                         StagedHelp* staged);
[[nodiscard]] const HelpNode* FindHelpEntry(const HelpNode* root, const char16_t* name);
void MeasureHelpTree(const HelpNode* root, HelpTableTotals* totals);
