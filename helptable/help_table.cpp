// The help table: a balanced tree built once from a sorted entry array, searched by name.
#include "helptable/help_table.h"

#include "base/short_copy.h"
#include "base/text16.h"
#include "helptable/staged_texts.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// A tree lives in one heap block: this header, then the nodes in pre-order (so the root comes
// first, right behind the header), then every node's name and texts. Building, freeing and
// the heap's bookkeeping then cost one block however many functions the table holds. A
// loaded tree leaves its names and texts in the blocks the load staged them in, which it then
// owns: copying them would cost more than the rest of laying the tree out.
struct TreeBlock {
    size_t nodes;
    size_t bytes; // the whole block, header included
    char* names;  // the newest of the staged blocks that hold the names, or null
    char* texts;  // likewise for the texts
};
// The nodes that follow are aligned for 64-bit numbers too: a load sorts in their room first.
constexpr size_t kAlign = alignof(uint64_t) > alignof(HelpNode) ? alignof(uint64_t)
                                                                : alignof(HelpNode);
constexpr size_t kHeaderBytes = (sizeof(TreeBlock) + kAlign - 1) / kAlign * kAlign;

// The block is the tree's own: readers see its nodes as const, its one owner frees it.
TreeBlock* BlockOf(const HelpNode* root) {
    return reinterpret_cast<TreeBlock*>(
        const_cast<char*>(reinterpret_cast<const char*>(root) - kHeaderBytes));
}

uint32_t ByteLength(const char* text) {
    uint32_t n = 0;
    while (text[n]) {
        ++n;
    }
    return n;
}

size_t NameBytes(const HelpEntry& entry) {
    return (Str16Len(entry.name) + 1) * sizeof(char16_t);
}

size_t TextBytes(const char* text) {
    return text ? strlen(text) + 1 : 0;
}

// Adds to a size unless the sum would pass the largest block worth asking for.
bool AddBytes(size_t* total, size_t more) {
    constexpr size_t kLargest = SIZE_MAX / 2;
    if (more > kLargest - *total) {
        return false;
    }
    *total += more;
    return true;
}

// Where the next node, name and text go while a tree is laid out in its block.
struct Layout {
    char* node;
    char* name;
    char* text;
};

char* PlaceText(Layout* at, const char* text) {
    if (!text) {
        return nullptr;
    }
    size_t bytes = strlen(text) + 1;
    char* copy = at->text;
    memcpy(copy, text, bytes);
    at->text += bytes;
    return copy;
}

HelpNode* PlaceTree(const HelpEntry* entries, int lo, int hi, Layout* at) {
    int mid = lo + (hi - lo + 1) / 2;
    const HelpEntry& entry = entries[mid];
    HelpNode* node = reinterpret_cast<HelpNode*>(at->node);
    at->node += sizeof(HelpNode);
    size_t units = Str16Len(entry.name);
    auto* name = reinterpret_cast<char16_t*>(at->name);
    CopyShort(name, entry.name, units * sizeof(char16_t));
    name[units] = 0;
    at->name += (units + 1) * sizeof(char16_t);
    node->name = name;
    node->syntax = PlaceText(at, entry.syntax);
    node->info = PlaceText(at, entry.info);
    node->left = mid > lo ? PlaceTree(entries, lo, mid - 1, at) : nullptr;
    node->right = mid < hi ? PlaceTree(entries, mid + 1, hi, at) : nullptr;
    return node;
}

// A loaded tree is laid out in the same pre-order, but its entries are read in the order
// they lie, the file's, and each node is written where it goes: at a hundred thousand
// functions, reading entries and names in name order missed the cache at every node.
// First each entry learns its node's number in pre-order (-1 for a line that lost a merge).
void NumberInPreorder(const int32_t* order, int lo, int hi, int32_t* next, int32_t* place) {
    int mid = lo + (hi - lo + 1) / 2;
    place[order[mid]] = (*next)++;
    if (mid > lo) {
        NumberInPreorder(order, lo, mid - 1, next, place);
    }
    if (mid < hi) {
        NumberInPreorder(order, mid + 1, hi, next, place);
    }
}

// Links the nodes of lo..hi, whose root is number `first` in pre-order: a left subtree's root
// comes right after its parent, a right one after the whole left subtree.
void LinkInPreorder(HelpNode* nodes, int lo, int hi, int32_t first) {
    int mid = lo + (hi - lo + 1) / 2;
    HelpNode* node = &nodes[first];
    int32_t right = first + 1 + (mid - lo);
    node->left = mid > lo ? &nodes[first + 1] : nullptr;
    node->right = mid < hi ? &nodes[right] : nullptr;
    if (mid > lo) {
        LinkInPreorder(nodes, lo, mid - 1, first + 1);
    }
    if (mid < hi) {
        LinkInPreorder(nodes, mid + 1, hi, right);
    }
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

HelpTree BuildHelpTree(std::span<const HelpEntry> entries) {
    // A tree's node numbers are ints.
    if (entries.empty() || entries.size() > INT32_MAX) {
        return {nullptr, 0};
    }
    size_t count = entries.size();
    size_t nameBytes = 0;
    size_t bytes = kHeaderBytes;
    for (const HelpEntry& entry : entries) {
        // One entry's name and texts are a few KiB at most: only the sums can grow past any
        // bound.
        size_t name = NameBytes(entry);
        size_t text = TextBytes(entry.syntax) + TextBytes(entry.info);
        if (!AddBytes(&nameBytes, name) || !AddBytes(&bytes, sizeof(HelpNode) + name + text)) {
            return {nullptr, 0};
        }
    }
    char* block = static_cast<char*>(PlatformAlloc(bytes));
    if (!block) {
        return {nullptr, 0};
    }
    TreeBlock header = {count, bytes, nullptr, nullptr};
    memcpy(block, &header, sizeof header);
    char* nodes = block + kHeaderBytes;
    char* names = nodes + count * sizeof(HelpNode);
    Layout at = {nodes, names, names + nameBytes};
    HelpNode* root = PlaceTree(entries.data(), 0, static_cast<int>(count) - 1, &at);
    return {root, static_cast<uint32_t>(count)};
}

TreeRoom ReserveHelpTree(size_t entries) {
    constexpr size_t kMostNodes = (SIZE_MAX / 2 - kHeaderBytes) / sizeof(HelpNode);
    if (entries == 0 || entries > kMostNodes) {
        return {nullptr, {}};
    }
    // The header is written when the nodes are laid out.
    char* block = static_cast<char*>(PlatformAlloc(kHeaderBytes + entries * sizeof(HelpNode)));
    if (!block) {
        return {nullptr, {}};
    }
    return {block, {block + kHeaderBytes, entries * sizeof(HelpNode)}};
}

HelpTree BuildHelpTreeOver(TreeRoom room, std::span<const HelpEntry> entries,
                           std::span<const int32_t> order, std::span<int32_t> place,
                           StagedHelp* staged) {
    size_t count = order.size();
    if (!room.block || !staged || count == 0 || count > entries.size() ||
        entries.size() > INT32_MAX || count * sizeof(HelpNode) > room.nodes.size() ||
        place.size() < entries.size()) {
        PlatformFree(room.block);
        return {nullptr, 0};
    }
    for (size_t j = 0; j < entries.size(); ++j) {
        place[j] = -1;
    }
    int32_t next = 0;
    int hi = static_cast<int>(count) - 1;
    NumberInPreorder(order.data(), 0, hi, &next, place.data());
    TreeBlock header = {count, kHeaderBytes + room.nodes.size(), staged->names.block,
                        staged->texts.block};
    memcpy(room.block, &header, sizeof header);
    staged->names = StagedTexts{nullptr, 0, 0, staged->names.firstBytes};
    staged->texts = StagedTexts{nullptr, 0, 0, staged->texts.firstBytes};
    auto* nodes = reinterpret_cast<HelpNode*>(room.nodes.data());
    LinkInPreorder(nodes, 0, hi, 0);
    for (size_t j = 0; j < entries.size(); ++j) {
        if (place[j] < 0) {
            continue;
        }
        const HelpEntry& entry = entries[j];
        HelpNode* node = &nodes[place[j]];
        node->name = entry.name;
        node->syntax = entry.syntax;
        node->info = entry.info;
    }
    return {nodes, static_cast<uint32_t>(count)};
}

const HelpNode* FindHelpEntry(const HelpNode* root, const char16_t* name) {
    if (!name) {
        return nullptr;
    }
    const HelpNode* node = root;
    while (node) {
        int order = CompareHelpNames(name, node->name);
        if (order == 0) {
            return node;
        }
        node = order < 0 ? node->left : node->right;
    }
    return nullptr;
}

uint32_t FreeHelpTree(HelpTree& tree) {
    if (!tree.root) {
        return 0;
    }
    TreeBlock* block = BlockOf(tree.root);
    tree.root = nullptr;
    tree.count = 0;
    auto released = static_cast<uint32_t>(block->nodes);
    StagedTexts names = {block->names, 0, 0, 0};
    StagedTexts texts = {block->texts, 0, 0, 0};
    ReleaseStagedTexts(&names);
    ReleaseStagedTexts(&texts);
    PlatformFree(block);
    return released;
}

void MeasureHelpTree(const HelpNode* root, HelpTableTotals* totals) {
    if (!root || !totals) {
        return;
    }
    const char16_t* name = root->name;
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
}
