// The list of the help files the table was made from. Each file's record is made before the
// file is loaded, so that once a tree is ready nothing can fail before the table takes it.
#include "helptable/help_sources.h"

#include "base/limits.h"
#include "base/messages.h"
#include "base/text16.h"
#include "helptable/help_loader.h"
#include "helptable/help_merge.h"
#include "helptable/help_table.h"
#include "interface/host_services.h"
#include "platform/platform.h"

#include <cstddef>

namespace {

HelpSource* g_first = nullptr; // oldest first

void DropAll() {
    while (g_first) {
        HelpSource* next = g_first->next;
        PlatformFree(g_first);
        g_first = next;
    }
}

// A record and its name in one block; null, after saying so, when there is no memory for it.
HelpSource* NewSource(const char16_t* fullName) {
    size_t units = Str16Len(fullName) + 1;
    if (units > static_cast<size_t>(kPathUnits)) {
        units = kPathUnits;
    }
    auto* source =
        static_cast<HelpSource*>(PlatformAlloc(sizeof(HelpSource) + units * sizeof(char16_t)));
    if (!source) {
        WriteErrorPrefix();
        Qprintf(ErrorHandle(), u"Error allocating memory for help strings\r\n");
        return nullptr;
    }
    source->next = nullptr;
    source->functions = 0;
    source->name = reinterpret_cast<char16_t*>(source + 1);
    Str16Copy(source->name, units, fullName);
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

} // namespace

bool LoadHelpTable(const char16_t* path, const char16_t* fullName, int quiet) {
    if (!path || !fullName) {
        return false;
    }
    HelpSource* source = NewSource(fullName);
    if (!source) {
        return false;
    }
    uint32_t count = 0;
    HelpNode* tree = LoadHelpFile(&count, path, quiet);
    if (!tree) {
        PlatformFree(source);
        return false;
    }
    DropAll();
    InstallHelpTable(tree, count);
    Append(source, count);
    return true;
}

bool AddHelpFile(const char16_t* fullName, int quiet) {
    if (!fullName) {
        return false;
    }
    HelpSource* source = NewSource(fullName);
    if (!source) {
        return false;
    }
    uint32_t brought = 0;
    HelpNode* tree = LoadHelpFile(&brought, fullName, 1);
    if (!tree) {
        PlatformFree(source);
        return false;
    }
    if (HelpTableRoot()) {
        uint32_t count = 0;
        HelpNode* merged = MergeHelpTrees(HelpTableRoot(), tree, &count);
        FreeHelpTree(tree, nullptr);
        if (!merged) {
            PlatformFree(source);
            return false;
        }
        InstallHelpTable(merged, count);
    } else {
        DropAll();
        InstallHelpTable(tree, brought);
    }
    Append(source, brought);
    if (!quiet) {
        Printf(u"Added %s from \"%s\".\r\n", FormatCount(brought), fullName);
    }
    return true;
}

uint32_t UnloadHelp() {
    DropAll();
    return UnloadHelpTable();
}

const HelpSource* FirstHelpSource() {
    return g_first;
}
