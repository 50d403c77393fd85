// The help table and the files it was made from: the start-up file or the one /L named, then
// each file added to it. The routines here are the table's one owner: only they install,
// replace and free its tree, and they change the table and its list of files together, so
// that the list always describes the table.
#pragma once

#include "helptable/help_loader.h"
#include "helptable/help_table.h"

#include <cstdint>
#include <span>

// One help file of the table, in a list oldest first.
struct HelpSource {
    HelpSource* next;   // the file loaded after this one, or null
    uint32_t functions; // the functions the file brought (later files may have replaced some)
    char16_t* name;     // its full name, in the record's own block
};

// Loads the file at path and makes it the whole table, listed under fullName. Anything but
// Loaded leaves the table unchanged.
[[nodiscard]] HelpLoadResult LoadHelpTable(const char16_t* path, const char16_t* fullName);
// Loads the file and merges its functions into the table, a name in both taking the file's
// entry; with no table loaded it loads as LoadHelpTable does. `functions` is what the file
// brought. Anything but Loaded leaves the table unchanged.
[[nodiscard]] HelpLoadResult AddHelpFile(const char16_t* fullName);
// Empties the table and the list; the number of functions released.
uint32_t UnloadHelp();

// The table's tree, null while no help is loaded, and the number of functions it holds.
[[nodiscard]] const HelpNode* HelpTableRoot();
[[nodiscard]] uint32_t HelpTableCount();
// A number that changes whenever the table does, so that a node kept since can be known stale.
[[nodiscard]] uint32_t HelpTableGeneration();
// The first file of the list, or null while none is loaded.
[[nodiscard]] const HelpSource* FirstHelpSource();

#if defined(HB_TESTING)
// The tests' seam: makes the entries, sorted by name with no name twice, the whole table,
// built as a merge builds its tree, and listed under listedName (null: under no file, as
// tests of what shows need no list). False, with the table unchanged, for entries out of
// order or no memory.
[[nodiscard]] bool LoadHelpEntries(std::span<const HelpEntry> entries, const char16_t* listedName);
#endif
