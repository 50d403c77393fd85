// Loading a help file: count the entry lines, fill one array, sort it and merge repeated names,
// and build the tree.
#include "helptable/help_loader.h"

#include "base/messages.h"
#include "base/text16.h"
#include "helptable/help_line.h"
#include "helptable/staged_texts.h"
#include "interface/host_services.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "textinput/text_lines.h"
#include "textinput/text_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Working storage of one load. Loads run one at a time on the host's thread, so one static
// set keeps some 50 KB off the caller's stack.
struct LoadBuffers {
    char16_t line[kLineUnits];
    char16_t name[kNameUnits];
    char16_t syntax[kSyntaxUnits];
    char16_t info[kLineUnits];
    char syntax8[kSyntaxBytes];
    char info8[kInfoBytes];
};
LoadBuffers g_work;

// Sorting works on compact keys rather than on the 112-byte records: a name's first six
// units, compared as two numbers, decide most comparisons without touching the entries, and
// the place breaks ties between lines that name the same function.
struct SortKey {
    uint64_t prefix; // units 0 to 3
    uint32_t more;   // units 4 and 5
    int32_t place;   // the entry's place in the array, which is also its order in the file
};

void WriteError(const char16_t* message, const char16_t* sourceName) {
    WriteErrorPrefix();
    Qprintf(ErrorHandle(), message, sourceName);
}

// The second pass: one entry per entry line, in file order, its texts staged. False when a
// text could not be staged.
bool FillEntries(TextSource* source, HelpEntry* entries, int32_t capacity, StagedTexts* staged,
                 int32_t* stored) {
    while (ReadTextLine(source, g_work.line) == LineRead::Line) {
        HelpLineLengths units = {};
        if (ParseHelpLineLengths(g_work.name, g_work.line, g_work.syntax, g_work.info, &units) <=
            0) {
            continue;
        }
        // The first pass counted every entry line: the array is never full here.
        if (*stored >= capacity) { // GCOVR_EXCL_BR_LINE
            continue;
        }
        // Text too long for its UTF-8 buffer is cut at a character boundary.
        g_work.syntax8[0] = 0;
        g_work.info8[0] = 0;
        size_t syntaxLength =
            Utf16ToUtf8Units(g_work.syntax, units.syntax, g_work.syntax8, kSyntaxBytes);
        size_t infoLength = 0;
        if (units.info > 0) {
            infoLength = Utf16ToUtf8Units(g_work.info, units.info, g_work.info8, kInfoBytes);
        }
        HelpEntry* entry = &entries[*stored];
        Str16Copy(entry->name, kNameUnits, g_work.name);
        entry->syntax = StageText(staged, g_work.syntax8, syntaxLength);
        entry->info = nullptr;
        if (!entry->syntax) {
            return false;
        }
        if (g_work.info8[0]) {
            entry->info = StageText(staged, g_work.info8, infoLength);
            if (!entry->info) {
                return false;
            }
        }
        ++*stored;
    }
    return true;
}

// The first units of a name as one number; past the terminator the key goes on with zeros,
// so a shorter name still orders first, as in CompareHelpNames.
uint64_t NameUnits(const char16_t*& name, int units) {
    uint64_t key = 0;
    for (int i = 0; i < units; ++i) {
        key = key << 16 | *name;
        if (*name) {
            ++name;
        }
    }
    return key;
}

SortKey MakeKey(const HelpEntry& entry, int32_t place) {
    const char16_t* name = entry.name;
    uint64_t prefix = NameUnits(name, 4);
    return SortKey{prefix, static_cast<uint32_t>(NameUnits(name, 2)), place};
}

// Sorts the entries by name and merges the lines that name the same function: the last one
// wins entirely, its texts replacing the earlier ones'. Returns the number of distinct names,
// whose entries then stand first in name order; the earlier lines' entries, their texts
// dropped, follow them. Sorting keys rather than records keeps each record's moves to one.
int32_t SortAndMerge(HelpEntry* entries, int32_t count, SortKey* keys) {
    for (int32_t i = 0; i < count; ++i) {
        keys[i] = MakeKey(entries[i], i);
    }
    std::sort(keys, keys + count, [entries](const SortKey& a, const SortKey& b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        if (a.more != b.more) {
            return a.more < b.more;
        }
        int order = CompareHelpNames(entries[a.place].name, entries[b.place].name);
        return order != 0 ? order < 0 : a.place < b.place;
    });

    // Among equal names the last place wins; the others drop their texts.
    int32_t kept = 0;
    for (int32_t k = 0; k < count; ++k) {
        const SortKey& key = keys[k];
        if (k + 1 < count && key.prefix == keys[k + 1].prefix && key.more == keys[k + 1].more &&
            CompareHelpNames(entries[key.place].name, entries[keys[k + 1].place].name) == 0) {
            HelpEntry& loser = entries[key.place];
            loser.syntax = nullptr; // a stored entry's syntax is never null otherwise
            loser.info = nullptr;
            continue;
        }
        keys[kept++] = key;
    }
    // The losers go after the winners, so that the keys name every record once.
    // The last loser fills the last key before the places run out.
    int32_t next = kept;
    for (int32_t place = 0; place < count && next < count; ++place) { // GCOVR_EXCL_BR_LINE
        if (!entries[place].syntax) {
            keys[next++].place = place;
        }
    }

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
    return kept;
}

} // namespace

HelpNode* LoadHelpFile(uint32_t* count, const char16_t* sourceName, int quiet) {
    TextSource source = {};
    if (OpenTextSource(&source, sourceName).outcome != SourceOpen::Opened) {
        return nullptr;
    }

    uint32_t lines = 0;
    uint32_t counted = 0;
    while (ReadTextLine(&source, g_work.line) == LineRead::Line) {
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

    // The array, and the sort keys for as many entries, are allocated once; the keys are
    // working storage of the array, so their failure is reported as the array's.
    HelpEntry* entries = nullptr;
    SortKey* keys = nullptr;
    // Past this bound a file of some 19 million entry lines: too large to test.
    if (counted <= INT32_MAX / sizeof(HelpEntry)) { // GCOVR_EXCL_BR_LINE
        entries = static_cast<HelpEntry*>(PlatformAlloc(counted * sizeof(HelpEntry)));
        keys = entries ? static_cast<SortKey*>(PlatformAlloc(counted * sizeof(SortKey))) : nullptr;
    }
    if (!keys) {
        PlatformFree(entries);
        WriteError(u"Allocating help array\n", sourceName);
        CloseTextSource(&source);
        return nullptr;
    }

    source.position = source.bomLength;
    int32_t stored = 0;
    StagedTexts staged = {nullptr, 0};
    bool filled = FillEntries(&source, entries, static_cast<int32_t>(counted), &staged, &stored);
    CloseTextSource(&source);
    if (!filled) {
        ReleaseStagedTexts(&staged);
        PlatformFree(keys);
        PlatformFree(entries);
        WriteError(u"Error allocating memory for help strings\r\n", sourceName);
        return nullptr;
    }
    stored = SortAndMerge(entries, stored, keys);
    PlatformFree(keys);

    // A file with an entry line keeps at least one name after the merge. The tree copies the
    // texts into its own block; the staged ones go with the array.
    int32_t nodes = 0;
    HelpNode* root = nullptr;
    if (stored > 0) { // GCOVR_EXCL_BR_LINE
        root = BuildHelpTree(entries, 0, stored - 1, &nodes);
    }
    ReleaseStagedTexts(&staged);
    PlatformFree(entries);
    if (!root) {
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
    return root;
}
