// The help table as the files it was made from: the start-up file or the one /L named, then
// each file added to it. The routines here change the table and its list of files together,
// so that the list always describes the table.
#pragma once

#include <cstdint>

// One help file of the table, in a list oldest first.
struct HelpSource {
    HelpSource* next;   // the file loaded after this one, or null
    uint32_t functions; // the functions the file brought (later files may have replaced some)
    char16_t* name;     // its full name, in the record's own block
};

// Loads the file at path and makes it the whole table, listed under fullName. False when
// nothing was loaded: the reason has been written and the table is unchanged.
[[nodiscard]] bool LoadHelpTable(const char16_t* path, const char16_t* fullName, int quiet);
// Loads the file and merges its functions into the table, a name in both taking the file's
// entry; with no table loaded it loads as LoadHelpTable does. Unless quiet, says how many
// functions the file brought. False when nothing changed: the reason has been written.
[[nodiscard]] bool AddHelpFile(const char16_t* fullName, int quiet);
// Empties the table and the list; the number of functions released.
uint32_t UnloadHelp();

// The first file of the list, or null while none is loaded.
const HelpSource* FirstHelpSource();
