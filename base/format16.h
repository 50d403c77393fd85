// A small printf for UTF-16 formats, the subset that wsprintfW and the host's Printf share:
// %s (UTF-16 text), %c, %d, %i, %u, %x, %X, %I64u, %I64d, %ld, %lu and %%, with the flags
// "-", "0", the width and, for %s, the precision. Output is cut to the buffer, never past it.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <span>

// Returns the number of units written, terminator not counted; nothing is written to an empty
// buffer.
size_t Format16V(std::span<char16_t> dest, const char16_t* format, va_list args);
size_t Format16(std::span<char16_t> dest, const char16_t* format, ...);
