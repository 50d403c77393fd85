// The help table and the list of the help files it was made from. Each file's record is made
// before the file is loaded, so that once a tree is ready nothing can fail before the table
// takes it.
#include "helptable/help_sources.h"

#include "base/limits.h"
#include "base/text16.h"
#include "helptable/help_merge.h"
#include "platform/platform.h"

#include <cstddef>
#include <utility>

namespace {

HelpTree g_table;
uint32_t g_generation = 0;     // one more at each new table
HelpSource* g_first = nullptr; // oldest first

void DropAll() {
    while (g_first) {
        HelpSource* next = g_first->next;
        PlatformFree(g_first);
        g_first = next;
    }
}

// Hands the table a new tree, releasing the old one; the number of nodes released.
uint32_t InstallHelpTable(HelpTree tree) {
    uint32_t released = FreeHelpTree(g_table);
    g_table = std::move(tree);
    ++g_generation;
    return released;
}

// A record and its name in one block; null when there is no memory for it.
HelpSource* NewSource(const char16_t* fullName) {
    size_t units = Str16Len(fullName) + 1;
    if (units > static_cast<size_t>(kPathUnits)) {
        units = kPathUnits;
    }
    auto* source =
        static_cast<HelpSource*>(PlatformAlloc(sizeof(HelpSource) + units * sizeof(char16_t)));
    if (!source) {
        return nullptr;
    }
    source->next = nullptr;
    source->functions = 0;
    source->name = reinterpret_cast<char16_t*>(source + 1);
    Str16Copy({source->name, units}, fullName);
    return source;
}

void Append(HelpSource* source, uint32_t functions) {
    source->functions = functions;
    HelpSource** end = &g_first;
    while (*end) {
        end = &(*end)->next;
    }
    *end = source;
}

// A missing name: nothing loaded, and nothing to say.
HelpLoadResult NoName() {
    return {HelpLoad::NotOpened,
            0,
            {nullptr, 0},
            {SourceOpen::MissingName, 0, SourceFault::None, nullptr},
            nullptr};
}

// The record's block, lost: told as the loader tells its texts' memory running out.
HelpLoadResult NoRecord(const char16_t* file) {
    return {HelpLoad::NoText, 0, {nullptr, 0}, {}, file};
}

} // namespace

HelpLoadResult LoadHelpTable(const char16_t* path, const char16_t* fullName) {
    if (!path || !fullName) {
        return NoName();
    }
    HelpSource* source = NewSource(fullName);
    if (!source) {
        return NoRecord(path);
    }
    HelpLoadResult result = LoadHelpFile(path);
    if (result.outcome != HelpLoad::Loaded) {
        PlatformFree(source);
        return result;
    }
    DropAll();
    InstallHelpTable(std::move(result.tree)); // the table's now
    Append(source, result.functions);
    return result;
}

HelpLoadResult AddHelpFile(const char16_t* fullName) {
    if (!fullName) {
        return NoName();
    }
    HelpSource* source = NewSource(fullName);
    if (!source) {
        return NoRecord(fullName);
    }
    HelpLoadResult result = LoadHelpFile(fullName);
    if (result.outcome != HelpLoad::Loaded) {
        PlatformFree(source);
        return result;
    }
    if (g_table.root) {
        HelpLoadResult merged = MergeHelpTrees(g_table.root, result.tree.root);
        FreeHelpTree(result.tree);
        if (merged.outcome != HelpLoad::Loaded) {
            PlatformFree(source);
            result.outcome = merged.outcome;
            return result;
        }
        InstallHelpTable(std::move(merged.tree));
    } else {
        DropAll();
        InstallHelpTable(std::move(result.tree)); // the table's now
    }
    Append(source, result.functions);
    return result;
}

uint32_t UnloadHelp() {
    DropAll();
    return InstallHelpTable(HelpTree{});
}

const HelpNode* HelpTableRoot() {
    return g_table.root;
}

uint32_t HelpTableGeneration() {
    return g_generation;
}

uint32_t HelpTableCount() {
    return g_table.count;
}

const HelpSource* FirstHelpSource() {
    return g_first;
}

#if defined(HB_TESTING)
bool LoadHelpEntries(std::span<const HelpEntry> entries, const char16_t* listedName) {
    for (size_t i = 1; i < entries.size(); ++i) {
        if (CompareHelpNames(entries[i - 1].name, entries[i].name) >= 0) {
            return false;
        }
    }
    HelpSource* source = listedName ? NewSource(listedName) : nullptr;
    HelpTree tree = source || !listedName ? BuildHelpTree(entries) : HelpTree{};
    if (!tree.root) {
        PlatformFree(source);
        return false;
    }
    DropAll();
    uint32_t count = tree.count;
    InstallHelpTable(std::move(tree));
    if (source) {
        Append(source, count);
    }
    return true;
}
#endif
