// Help files of realistic shape made on the fly, the same every run (fixed seed).
#pragma once

#include <cstddef>
#include <string>

enum class BenchEncoding { Utf8, Utf16LE, Ansi };

// The bytes of a help file with about the given number of functions: one entry line per
// function with a description of typical length, about 5% of the names repeated, and a
// comment line now and then.
std::string MakeHelpFile(int functions, BenchEncoding encoding);
const char* EncodingName(BenchEncoding encoding);
// Writes the file once per process under the temporary directory and returns its path.
std::string HelpFilePath(int functions, BenchEncoding encoding);
// Removes every file HelpFilePath made.
void RemoveHelpFiles();
std::u16string Wide(const std::string& utf8);
