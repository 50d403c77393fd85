// The files the two builds are compared on.
#pragma once

#include <string>

// Writes into `directory`: the sample help file, the fuzzers' seeds of the help-file and
// help-line targets, benchmark files of 1,000 functions in each of their encodings, lines at
// the line readers' limits, and `randomFiles` random files of the checker's kind (one in four
// also in UTF-16 with a lone surrogate), the same for the same seed. Returns the number of
// files, or -1 with a message on standard error.
int MakeCorpus(const std::string& directory, const std::string& sourceRoot, int randomFiles,
               unsigned seed);
