// Loading a help file: count the entry lines, fill one array, merge repeated names, sort,
// and build the tree.
#include "helptable/help_loader.h"

#include "helptable/help_line.h"
#include "platform/platform.h"
#include "platform/text16.h"
#include "plugin/host_services.h"
#include "plugin/messages.h"
#include "textinput/text_lines.h"
#include "textinput/text_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kSyntaxBytes = 2048; // UTF-8 form of a syntax line, terminator included
constexpr size_t kInfoBytes = 16384;  // UTF-8 form of a description, terminator included

// Working storage of one load. Loads run one at a time on the host's thread, so one static
// set keeps some 50 KB off the caller's stack.
struct LoadBuffers {
    char16_t line[kTextLineUnits];
    char16_t name[kHelpNameUnits];
    char16_t syntax[kHelpSyntaxUnits];
    char16_t info[kHelpInfoUnits];
    char syntax8[kSyntaxBytes];
    char info8[kInfoBytes];
    size_t syntax8Length; // bytes, terminator not counted
    size_t info8Length;
};
LoadBuffers g_work;

// An open-addressing index from names to their places in the entry array, so that a repeated
// name is found without scanning every entry stored so far. A slot holds the place + 1 (0 is
// free) and the name's hash, which spares most probes a visit to the entry itself.
struct IndexSlot {
    int32_t place;
    uint32_t hash;
};
struct NameIndex {
    IndexSlot* slots;
    uint32_t mask;
};

// After the second pass the index's memory sorts the entries: a key of a name's first four
// units, compared as one number, decides most comparisons without touching the entries.
struct SortKey {
    uint64_t prefix;
    int32_t place;
};
static_assert(sizeof(SortKey) <= 2 * sizeof(IndexSlot), "two slots per entry hold its key");

uint32_t HashName(const char16_t* name) {
    uint32_t hash = 2166136261u;
    for (; *name; ++name) {
        hash = (hash ^ *name) * 16777619u;
    }
    return hash;
}

// False when the index for this many entries would not fit in memory.
bool AllocateIndex(NameIndex* index, uint32_t entries) {
    uint32_t size = 16;
    while (size < entries * 2ull) {
        if (size > (UINT32_MAX / sizeof(IndexSlot)) / 2) {
            return false;
        }
        size *= 2;
    }
    index->slots = static_cast<IndexSlot*>(PlatformAlloc(size * sizeof(IndexSlot)));
    if (!index->slots) {
        return false;
    }
    for (uint32_t i = 0; i < size; ++i) {
        index->slots[i] = IndexSlot{0, 0};
    }
    index->mask = size - 1;
    return true;
}

// The slot that holds this name, or the free slot where it belongs.
IndexSlot* FindSlot(const NameIndex& index, const HelpEntry* entries, const char16_t* name,
                    uint32_t hash) {
    uint32_t at = hash & index.mask;
    for (;;) {
        IndexSlot& slot = index.slots[at];
        if (slot.place == 0 ||
            (slot.hash == hash && CompareHelpNames(entries[slot.place - 1].name, name) == 0)) {
            return &slot;
        }
        at = (at + 1) & index.mask;
    }
}

// A heap copy of a text of length bytes and its terminator, exactly as long as needed.
char* CopyText(const char* text, size_t length) {
    char* copy = static_cast<char*>(PlatformAlloc(length + 1));
    if (copy) {
        memcpy(copy, text, length + 1);
    }
    return copy;
}

// Gives an entry its heap copies of the current line's texts; false when one cannot be had.
bool SetEntryTexts(HelpEntry* entry) {
    PlatformFree(entry->syntax);
    PlatformFree(entry->info);
    entry->syntax = nullptr;
    entry->info = nullptr;
    entry->syntax = CopyText(g_work.syntax8, g_work.syntax8Length);
    if (!entry->syntax) {
        return false;
    }
    if (g_work.info8[0]) {
        entry->info = CopyText(g_work.info8, g_work.info8Length);
        if (!entry->info) {
            return false;
        }
    }
    return true;
}

void ReleaseEntryTexts(HelpEntry* entries, int32_t stored) {
    for (int32_t i = 0; i < stored; ++i) {
        PlatformFree(entries[i].syntax);
        PlatformFree(entries[i].info);
        entries[i].syntax = nullptr;
        entries[i].info = nullptr;
    }
}

void WriteError(const char16_t* message, const char16_t* sourceName) {
    WriteErrorPrefix();
    Qprintf(ErrorHandle(), message, sourceName);
}

// The second pass: fills the entries in order of first appearance, the last line for a name
// replacing its texts. False when a string copy could not be allocated; stored then counts
// every entry that may hold a string.
bool FillEntries(TextSource* source, HelpEntry* entries, const NameIndex& index, int32_t capacity,
                 int32_t* stored) {
    while (ReadTextLine(source, g_work.line) == 0) {
        if (ParseHelpLine(g_work.name, g_work.line, g_work.syntax, g_work.info) <= 0) {
            continue;
        }
        // Text too long for its UTF-8 buffer is cut at a character boundary.
        g_work.syntax8[0] = 0;
        g_work.info8[0] = 0;
        g_work.info8Length = 0;
        g_work.syntax8Length = Utf16ToUtf8(g_work.syntax, g_work.syntax8, kSyntaxBytes);
        if (g_work.info[0]) {
            g_work.info8Length = Utf16ToUtf8(g_work.info, g_work.info8, kInfoBytes);
        }
        uint32_t hash = HashName(g_work.name);
        IndexSlot* slot = FindSlot(index, entries, g_work.name, hash);
        HelpEntry* entry;
        if (slot->place != 0) {
            entry = &entries[slot->place - 1];
        } else {
            if (*stored >= capacity) {
                continue; // the first pass counted every entry line; this cannot happen
            }
            entry = &entries[*stored];
            Str16Copy(entry->name, kHelpNameUnits, g_work.name);
            entry->syntax = nullptr;
            entry->info = nullptr;
            ++*stored;
            *slot = IndexSlot{*stored, hash};
        }
        if (!SetEntryTexts(entry)) {
            return false;
        }
    }
    return true;
}

uint64_t NamePrefix(const char16_t* name) {
    uint64_t key = 0;
    for (int i = 0; i < 4; ++i) {
        key = key << 16 | *name; // past the terminator the key goes on with zeros
        if (*name) {
            ++name;
        }
    }
    return key;
}

// Sorts the entries by name. Sorting whole records would move 112 bytes at every step and
// visit the entries at random; keys are sorted instead, in working memory of two index slots
// per entry, and each record then moves once. The names are unique by now, so the order is
// the same as a sort of the records.
void SortEntries(HelpEntry* entries, int32_t count, void* working) {
    SortKey* keys = static_cast<SortKey*>(working);
    for (int32_t i = 0; i < count; ++i) {
        keys[i] = SortKey{NamePrefix(entries[i].name), i};
    }
    std::sort(keys, keys + count, [entries](const SortKey& a, const SortKey& b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        return CompareHelpNames(entries[a.place].name, entries[b.place].name) < 0;
    });
    // keys[k].place is where the record that belongs at k stands: follow each cycle once.
    for (int32_t start = 0; start < count; ++start) {
        if (keys[start].place == start) {
            continue;
        }
        HelpEntry held = entries[start];
        int32_t k = start;
        while (keys[k].place != start) {
            int32_t from = keys[k].place;
            entries[k] = entries[from];
            keys[k].place = k;
            k = from;
        }
        entries[k] = held;
        keys[k].place = k;
    }
}

} // namespace

HelpNode* LoadHelpFile(uint32_t* count, const char16_t* sourceName, int quiet) {
    TextSource source = {};
    if (OpenTextSource(&source, sourceName) != 0) {
        return nullptr;
    }

    uint32_t lines = 0;
    uint32_t counted = 0;
    while (ReadTextLine(&source, g_work.line) == 0) {
        ++lines;
        if (ParseHelpLine(g_work.name, g_work.line, nullptr, nullptr) > 0) {
            ++counted;
        }
    }
    if (lines == 0 || counted == 0) {
        WriteError(u"No functions found in file \"%s\".\n", sourceName);
        CloseTextSource(&source);
        return nullptr;
    }

    // The array, and the name index sized from the same count, are allocated once; the index
    // is working storage of the array, so its failure is reported as the array's.
    HelpEntry* entries = nullptr;
    NameIndex index = {nullptr, 0};
    if (counted <= INT32_MAX / sizeof(HelpEntry)) {
        entries = static_cast<HelpEntry*>(PlatformAlloc(counted * sizeof(HelpEntry)));
    }
    if (!entries || !AllocateIndex(&index, counted)) {
        PlatformFree(entries);
        WriteError(u"Allocating help array\n", sourceName);
        CloseTextSource(&source);
        return nullptr;
    }

    source.position = source.bomLength;
    int32_t stored = 0;
    bool filled = FillEntries(&source, entries, index, static_cast<int32_t>(counted), &stored);
    CloseTextSource(&source);
    if (!filled) {
        PlatformFree(index.slots);
        ReleaseEntryTexts(entries, stored);
        PlatformFree(entries);
        WriteError(u"Error allocating memory for help strings\r\n", sourceName);
        return nullptr;
    }

    if (stored > 1) {
        SortEntries(entries, stored, index.slots); // the index has served: reuse its slots
    }
    PlatformFree(index.slots);
    int32_t nodes = 0;
    HelpNode* root = stored > 0 ? BuildHelpTree(entries, 0, stored - 1, &nodes) : nullptr;
    if (!root) {
        ReleaseEntryTexts(entries, stored);
        PlatformFree(entries);
        WriteError(u"Error converting array to tree\n", sourceName);
        return nullptr;
    }
    if (!quiet) {
        Printf(u"Loaded %s from \"%s\".\r\n", FormatCount(static_cast<uint32_t>(nodes)),
               sourceName);
    }
    if (count) {
        *count = static_cast<uint32_t>(nodes);
    }
    PlatformFree(entries);
    return root;
}
