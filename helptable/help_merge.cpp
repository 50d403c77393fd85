// Merging two help trees into a new one: both are walked in name order into one sorted array,
// which is built into a tree as a loaded file's is.
#include "helptable/help_merge.h"

#include "base/text16.h"
#include "platform/platform.h"

#include <cstddef>

namespace {

uint32_t CountNodes(const HelpNode* node) {
    return node ? 1 + CountNodes(node->left) + CountNodes(node->right) : 0;
}

// Entries of the array that the base tree's nodes stand in until the merge takes them, and
// the merged entries written in front of them.
struct Merge {
    HelpEntry* entries;
    uint32_t out;  // merged entries written
    uint32_t base; // the next base entry not taken
    uint32_t end;  // one past the last base entry
};

// Borrows the node's texts; the tree built from the entries copies them and never writes
// through the entry.
HelpEntry EntryOf(const HelpNode* node) {
    return HelpEntry{node->name, const_cast<char*>(node->syntax), const_cast<char*>(node->info)};
}

void FillInOrder(const HelpNode* node, HelpEntry* entries, uint32_t* at) {
    if (!node) {
        return;
    }
    FillInOrder(node->left, entries, at);
    entries[(*at)++] = EntryOf(node);
    FillInOrder(node->right, entries, at);
}

// Takes the base entries that order before the added node's name, drops a base entry of the
// same name, then takes the added node. The merged entries never overtake the base entries
// still waiting: there are at most as many added entries as room was left for them.
void TakeAdded(const HelpNode* node, Merge* merge) {
    if (!node) {
        return;
    }
    TakeAdded(node->left, merge);
    HelpEntry* entries = merge->entries;
    while (merge->base < merge->end &&
           CompareHelpNames(entries[merge->base].name, node->name) < 0) {
        entries[merge->out++] = entries[merge->base++];
    }
    if (merge->base < merge->end && CompareHelpNames(entries[merge->base].name, node->name) == 0) {
        ++merge->base;
    }
    entries[merge->out++] = EntryOf(node);
    TakeAdded(node->right, merge);
}

} // namespace

HelpLoadResult MergeHelpTrees(const HelpNode* base, const HelpNode* added) {
    HelpLoadResult result = {HelpLoad::NoArray, 0, {nullptr, 0}, {}, nullptr};
    uint32_t baseCount = CountNodes(base);
    uint32_t addedCount = CountNodes(added);
    uint64_t total = uint64_t{baseCount} + addedCount;
    if (total == 0) {
        return result;
    }
    HelpEntry* entries = nullptr;
    if (total <= INT32_MAX / sizeof(HelpEntry)) {
        entries =
            static_cast<HelpEntry*>(PlatformAlloc(static_cast<size_t>(total) * sizeof(HelpEntry)));
    }
    if (!entries) {
        return result;
    }

    // The base entries wait at the end of the array; the merged ones are written from its start.
    Merge merge = {entries, 0, addedCount, static_cast<uint32_t>(total)};
    uint32_t at = addedCount;
    FillInOrder(base, entries, &at);
    TakeAdded(added, &merge);
    while (merge.base < merge.end) {
        entries[merge.out++] = entries[merge.base++];
    }

    // The tree copies the borrowed names and texts into its own block; the old trees keep theirs.
    result.tree = BuildHelpTree({entries, merge.out});
    PlatformFree(entries);
    result.outcome = result.tree.root ? HelpLoad::Loaded : HelpLoad::NoTree;
    result.functions = result.tree.count;
    return result;
}
