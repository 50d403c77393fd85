// The two UTF-16 string primitives that the platform layer needs for itself; the layers above
// reach them through base/text16.h.
#pragma once

#include <cstddef>
#include <span>

// The number of units before the terminator; 0 for a null text.
[[nodiscard]] inline size_t PlatformUnitCount(const char16_t* text) {
    size_t n = 0;
    if (text) {
        while (text[n]) {
            ++n;
        }
    }
    return n;
}

// Copies what fits before a terminator, which it always writes (when there is room for one).
// Returns the number of units copied.
inline size_t PlatformCopyUnits(std::span<char16_t> dest, const char16_t* source) {
    if (dest.empty()) {
        return 0;
    }
    size_t n = 0;
    if (source) {
        while (n + 1 < dest.size() && source[n]) {
            dest[n] = source[n];
            ++n;
        }
    }
    dest[n] = 0;
    return n;
}
