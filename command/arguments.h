// The hbar command's arguments: split from its line into one global vector.
#pragma once

#include "base/limits.h"

#include <cstdint>

extern char16_t* ArgumentPointers[MAX_ARGS];
extern int32_t ArgumentLengths[MAX_ARGS];
extern int32_t ArgumentCount;
extern char16_t ArgumentBuffer[MAX_ARG_LEN];

// The number of arguments, or -1 for a null line or an overflow of the buffer.
int32_t SplitArguments(const char16_t* line);
