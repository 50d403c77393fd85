// The hbar command's arguments: split from its line into one vector that this file owns.
#pragma once

#include <cstdint>

// The argument vector's limits: pointers, and one buffer for the text of them all.
constexpr int MAX_ARGS = 1024;
constexpr int MAX_ARG_LEN = 8192;

// The arguments of the last line split. Each argument is a terminated text in the buffer; the
// pointers past the count are null. The command may change an argument's text in place (it
// upper-cases one for a message); the vector itself changes only by splitting a new line.
struct ArgumentVector {
    char16_t* pointers[MAX_ARGS];
    int32_t lengths[MAX_ARGS];
    int32_t count;
    char16_t buffer[MAX_ARG_LEN];
};

const ArgumentVector& CommandArguments();
// The number of arguments, or -1 for a null line or an overflow of the buffer.
int32_t SplitArguments(const char16_t* line);
