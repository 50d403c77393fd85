// Random help files of every kind of line the loader and the checker tell apart, the same for
// a given seed: shared by the checker's differential test and the two builds' comparison.
#pragma once

#include <random>
#include <string>

// Entries with names repeated in other cases, lines one rule away from an entry, long and
// broken texts, stray bytes and NULs, with every kind of line break; one file in two begins
// with the UTF-8 mark.
std::string RandomHelpFile(std::mt19937* random);
