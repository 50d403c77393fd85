// The hbar command's arguments: split from its line into one vector that this file owns.
#pragma once

#include <cstdint>

// The argument vector's limits: pointers, and one buffer for the text of them all.
constexpr int MAX_ARGS = 1024;
constexpr int MAX_ARG_LEN = 8192;

// The arguments of the last line split. Each argument is a terminated text in the buffer; the
// pointers past the count are null. Beside each stands its copy with a-z upper-cased, at the
// same place in a buffer of its own, as the command's messages show an argument. Only a new
// split changes any of it.
struct ArgumentVector {
    const char16_t* pointers[MAX_ARGS];
    const char16_t* upper[MAX_ARGS];
    int32_t lengths[MAX_ARGS];
    int32_t count;
    char16_t buffer[MAX_ARG_LEN];
    char16_t upperBuffer[MAX_ARG_LEN];
};

[[nodiscard]] const ArgumentVector& CommandArguments();
// Splits a line into the vector: the number of arguments, or -1 for a null line, which changes
// nothing, or for an overflow of the buffer, which has been reported and leaves no arguments.
int32_t SplitArguments(const char16_t* line);
