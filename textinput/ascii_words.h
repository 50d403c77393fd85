// Word-at-a-time tests for runs of plain ASCII, shared by the line readers. A word is eight
// bytes read as one little-endian number.
#pragma once

#include <bit>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "little-endian targets only");

// Whether any byte of a word is 0x80 or above, which needs decoding, or below 0x0E, which
// may end a line (NUL, LF, CR). A tab also stops a fast run, harmlessly.
inline bool ByteNeedsCare(uint64_t word) {
    constexpr uint64_t kLowBits = 0x0101010101010101ull;
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    return (((word - kLowBits * 0x0E) | word) & kHighBits) != 0;
}

// The same for four UTF-16LE units: any of them outside 0x0E to 0x7F.
inline bool UnitNeedsCare(uint64_t word) {
    constexpr uint64_t kUnitLow = 0x0001000100010001ull;
    return (((word - kUnitLow * 0x0E) | word) & 0xFF80FF80FF80FF80ull) != 0;
}

// The four UTF-16LE units of a word that UnitNeedsCare let through, as four bytes.
inline uint32_t UnitsAsBytes(uint64_t word) {
    return static_cast<uint32_t>((word & 0xFF) | ((word >> 8) & 0xFF00) |
                                 ((word >> 16) & 0xFF0000) | ((word >> 24) & 0xFF000000));
}
