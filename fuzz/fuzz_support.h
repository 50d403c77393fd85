// What the fuzz targets share: a scratch directory, and checks of a help tree's invariants.
#pragma once

#include "helptable/help_table.h"

#include <cstdint>
#include <string>

// A directory of this process's own under the temporary directory, made on first use.
const std::string& FuzzScratchDir();
// Writes bytes to a file; false on failure.
bool FuzzWriteFile(const std::string& path, const uint8_t* data, size_t size);
// Aborts unless the tree is sorted by name with unique names, shaped as built (left subtree
// of floor(n/2) nodes at every node), holds count nodes and non-empty syntax lines.
void CheckHelpTree(const HelpNode* root, uint32_t count);
// Aborts with a message when the condition fails: fuzzers report the crash.
void FuzzAssert(bool condition, const char* what);
