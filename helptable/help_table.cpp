// The help table: a balanced tree built once from a sorted entry array, searched by name.
#include "helptable/help_table.h"

#include "base/text16.h"
#include "platform/platform.h"

#include <cstddef>

namespace {

struct HelpTableState {
    HelpNode* root;
    uint32_t count;
};

HelpTableState HelpTable = {nullptr, 0};

// The name lives in the tail of the node's block, past the declared one-unit array, so it is
// reached through a plain pointer rather than by indexing the array.
char16_t* NameOf(HelpNode* node) {
    return reinterpret_cast<char16_t*>(reinterpret_cast<char*>(node) + offsetof(HelpNode, name));
}

uint32_t ByteLength(const char* text) {
    uint32_t n = 0;
    while (text[n]) {
        ++n;
    }
    return n;
}

// Undoes part of a failed build: the nodes go, the strings stay with the entry array.
void ReleaseNodesOnly(HelpNode* node) {
    if (!node) {
        return;
    }
    ReleaseNodesOnly(node->left);
    ReleaseNodesOnly(node->right);
    PlatformFree(node);
}

} // namespace

int CompareHelpNames(const char16_t* first, const char16_t* second) {
    static const char16_t empty[1] = {0};
    const char16_t* a = first ? first : empty;
    const char16_t* b = second ? second : empty;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    if (*a == *b) {
        return 0;
    }
    return *a < *b ? -1 : 1;
}

HelpNode* BuildHelpTree(HelpEntry* entries, int lo, int hi, int32_t* counter) {
    if (!entries || lo > hi) {
        return nullptr;
    }
    int mid = lo + (hi - lo + 1) / 2;
    const HelpEntry& entry = entries[mid];
    size_t nameUnits = Str16Len(entry.name) + 1;
    size_t bytes = offsetof(HelpNode, name) + nameUnits * sizeof(char16_t);
    if (bytes < sizeof(HelpNode)) {
        bytes = sizeof(HelpNode);
    }
    HelpNode* node = static_cast<HelpNode*>(PlatformAlloc(bytes));
    if (!node) {
        return nullptr;
    }
    char16_t* name = NameOf(node);
    for (size_t i = 0; i < nameUnits; ++i) {
        name[i] = entry.name[i];
    }
    node->syntax = entry.syntax;
    node->info = entry.info;
    node->left = nullptr;
    node->right = nullptr;
    if (mid > lo) {
        node->left = BuildHelpTree(entries, lo, mid - 1, counter);
        if (!node->left) {
            PlatformFree(node);
            return nullptr;
        }
    }
    if (mid < hi) {
        node->right = BuildHelpTree(entries, mid + 1, hi, counter);
        if (!node->right) {
            ReleaseNodesOnly(node);
            return nullptr;
        }
    }
    if (counter) {
        ++*counter;
    }
    return node;
}

const HelpNode* FindHelpEntry(const HelpNode* root, const char16_t* name) {
    if (!name) {
        return nullptr;
    }
    const HelpNode* node = root;
    while (node) {
        int order = CompareHelpNames(name, NameOf(const_cast<HelpNode*>(node)));
        if (order == 0) {
            return node;
        }
        node = order < 0 ? node->left : node->right;
    }
    return nullptr;
}

int FreeHelpTree(HelpNode* root, uint32_t* counter) {
    if (!root) {
        return 0;
    }
    PlatformFree(root->syntax);
    root->syntax = nullptr;
    PlatformFree(root->info);
    root->info = nullptr;
    FreeHelpTree(root->left, counter);
    FreeHelpTree(root->right, counter);
    PlatformFree(root);
    if (counter) {
        ++*counter;
    }
    return 0;
}

int MeasureHelpTree(const HelpNode* root, HelpTableTotals* totals) {
    if (!root || !totals) {
        return 0;
    }
    const char16_t* name = NameOf(const_cast<HelpNode*>(root));
    totals->nodes += 1;
    totals->nodeBytes += 20;
    totals->nameBytes += static_cast<uint32_t>(2 * Str16Len(name));
    if (root->syntax) {
        totals->syntaxBytes += ByteLength(root->syntax) + 1;
    }
    if (root->info) {
        totals->infoBytes += ByteLength(root->info) + 1;
    }
    MeasureHelpTree(root->left, totals);
    MeasureHelpTree(root->right, totals);
    return 0;
}

const HelpNode* HelpTableRoot() {
    return HelpTable.root;
}

uint32_t HelpTableCount() {
    return HelpTable.count;
}

uint32_t UnloadHelpTable() {
    uint32_t released = 0;
    FreeHelpTree(HelpTable.root, &released);
    HelpTable.root = nullptr;
    HelpTable.count = 0;
    return released;
}

uint32_t InstallHelpTable(HelpNode* root, uint32_t count) {
    uint32_t released = UnloadHelpTable();
    HelpTable.root = root;
    HelpTable.count = root ? count : 0;
    return released;
}
