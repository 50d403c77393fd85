// Copies of short texts, the tens of bytes a name or a help line's text takes, made inline. A
// call to the C library's memcpy for each costs more than the copy, and under Wine, whose C
// library the Windows builds use, several times more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Copies n bytes, eight at a time and then one at a time; the regions do not overlap.
inline void CopyShort(void* to, const void* from, size_t n) {
    auto* d = static_cast<unsigned char*>(to);
    const auto* s = static_cast<const unsigned char*>(from);
    while (n >= 8) {
        uint64_t word;
        memcpy(&word, s, sizeof word); // a fixed size: one load and one store, no call
        memcpy(d, &word, sizeof word);
        d += 8;
        s += 8;
        n -= 8;
    }
    // The rest in at most three fixed-size steps, which no compiler turns back into a call.
    if (n & 4) {
        uint32_t four;
        memcpy(&four, s, sizeof four);
        memcpy(d, &four, sizeof four);
        d += 4;
        s += 4;
    }
    if (n & 2) {
        uint16_t two;
        memcpy(&two, s, sizeof two);
        memcpy(d, &two, sizeof two);
        d += 2;
        s += 2;
    }
    if (n & 1) {
        *d = *s;
    }
}
