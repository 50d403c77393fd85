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

struct HelpTableState {
    HelpNode* root;
    uint32_t count;
};

HelpTableState HelpTable = {nullptr, 0};

// A tree lives in one heap block: this header, then the nodes in pre-order (so the root comes
// first, right behind the header), then every node's texts. Building, freeing and the heap's
// bookkeeping then cost one block however many functions the table holds. A loaded tree
// leaves its texts in the blocks the load staged them in, which it then owns.
struct TreeBlock {
    size_t nodes;
    size_t bytes; // the whole block, header included
    char* texts;  // the newest of the staged blocks that hold the texts, or null
};
constexpr size_t kHeaderBytes =
    (sizeof(TreeBlock) + alignof(HelpNode) - 1) / alignof(HelpNode) * alignof(HelpNode);

// The name lives in the tail of the node's record, past the declared one-unit array, so it is
// reached through a plain pointer rather than by indexing the array.
char16_t* NameOf(HelpNode* node) {
    return reinterpret_cast<char16_t*>(reinterpret_cast<char*>(node) + offsetof(HelpNode, name));
}

TreeBlock* BlockOf(HelpNode* root) {
    return reinterpret_cast<TreeBlock*>(reinterpret_cast<char*>(root) - kHeaderBytes);
}

uint32_t ByteLength(const char* text) {
    uint32_t n = 0;
    while (text[n]) {
        ++n;
    }
    return n;
}

// A node's record: the fields, then the name and its terminator, padded so that the next
// record is aligned; never shorter than the declared record.
size_t NameUnits(const HelpEntry& entry) {
    return entry.nameUnits ? entry.nameUnits : Str16Len(entry.name);
}

size_t NodeBytes(const HelpEntry& entry) {
    size_t bytes = offsetof(HelpNode, name) + (NameUnits(entry) + 1) * sizeof(char16_t);
    bytes = (bytes + alignof(HelpNode) - 1) / alignof(HelpNode) * alignof(HelpNode);
    return bytes < sizeof(HelpNode) ? sizeof(HelpNode) : bytes;
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

// Where the next node and the next text go while a tree is laid out in its block; no text
// is copied when the texts stay where they were staged.
struct Layout {
    char* node;
    char* text;
    bool copyTexts;
};

char* PlaceText(Layout* at, char* text) {
    if (!text || !at->copyTexts) {
        return text;
    }
    size_t bytes = strlen(text) + 1;
    char* copy = at->text;
    memcpy(copy, text, bytes);
    at->text += bytes;
    return copy;
}

// The entries in name order: the array itself, or the array through an order of its places.
struct Sorted {
    const HelpEntry* entries;
    const int32_t* order; // or null
    const HelpEntry& operator[](int i) const { return entries[order ? order[i] : i]; }
};

HelpNode* PlaceTree(const Sorted& entries, int lo, int hi, Layout* at, int32_t* counter) {
    int mid = lo + (hi - lo + 1) / 2;
    const HelpEntry& entry = entries[mid];
    HelpNode* node = reinterpret_cast<HelpNode*>(at->node);
    at->node += NodeBytes(entry);
    size_t units = NameUnits(entry);
    CopyShort(NameOf(node), entry.name, units * sizeof(char16_t));
    NameOf(node)[units] = 0;
    node->syntax = PlaceText(at, entry.syntax);
    node->info = PlaceText(at, entry.info);
    node->left = mid > lo ? PlaceTree(entries, lo, mid - 1, at, counter) : nullptr;
    node->right = mid < hi ? PlaceTree(entries, mid + 1, hi, at, counter) : nullptr;
    if (counter) {
        ++*counter;
    }
    return node;
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

namespace {
HelpNode* Build(const Sorted& entries, int lo, int hi, int32_t* counter, StagedTexts* texts) {
    if (!entries.entries || lo < 0 || lo > hi) {
        return nullptr;
    }
    size_t nodeBytes = 0;
    size_t bytes = kHeaderBytes;
    for (int i = lo; i <= hi; ++i) {
        // One entry's texts are a few KiB at most: only the sums can grow past any bound.
        size_t node = NodeBytes(entries[i]);
        size_t text = texts ? 0 : TextBytes(entries[i].syntax) + TextBytes(entries[i].info);
        if (!AddBytes(&nodeBytes, node) || !AddBytes(&bytes, node + text)) {
            return nullptr;
        }
    }
    char* block = static_cast<char*>(PlatformAlloc(bytes));
    if (!block) {
        return nullptr;
    }
    TreeBlock header = {static_cast<size_t>(hi - lo) + 1, bytes, texts ? texts->block : nullptr};
    memcpy(block, &header, sizeof header);
    if (texts) {
        *texts = StagedTexts{nullptr, 0, 0, texts->firstBytes};
    }
    Layout at = {block + kHeaderBytes, block + kHeaderBytes + nodeBytes, !texts};
    return PlaceTree(entries, lo, hi, &at, counter);
}
} // namespace

HelpNode* BuildHelpTree(const HelpEntry* entries, int lo, int hi, int32_t* counter) {
    return Build(Sorted{entries, nullptr}, lo, hi, counter, nullptr);
}

HelpNode* BuildHelpTreeOver(const HelpEntry* entries, const int32_t* order, int32_t count,
                            int32_t* counter, StagedTexts* texts) {
    return Build(Sorted{entries, order}, 0, count - 1, counter, texts);
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
    TreeBlock* block = BlockOf(root);
    if (counter) {
        *counter += static_cast<uint32_t>(block->nodes);
    }
    StagedTexts texts = {block->texts, 0, 0, 0};
    ReleaseStagedTexts(&texts);
    PlatformFree(block);
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
