// Word-at-a-time tests for runs of plain ASCII, shared by the line readers. A word is eight
// bytes read as one little-endian number.
#pragma once

#include <bit>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "little-endian targets only");

// The high bit of each byte of a word that is 0x80 or above, which needs decoding, or below
// 0x0E, which may end a line (NUL, LF, CR); a tab is marked too, harmlessly. Only a byte below
// 0x0E borrows from the next, and it is marked itself, so the lowest mark is exact: the bytes
// under it are plain.
inline uint64_t BytesNeedingCare(uint64_t word) {
    constexpr uint64_t kLowBits = 0x0101010101010101ull;
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    return ((word - kLowBits * 0x0E) | word) & kHighBits;
}
inline bool ByteNeedsCare(uint64_t word) {
    return BytesNeedingCare(word) != 0;
}
// Plain bytes at the start of a word, before the first one that BytesNeedingCare marks.
inline uint32_t PlainBytes(uint64_t marks) {
    return static_cast<uint32_t>(std::countr_zero(marks)) / 8;
}

// The same for four UTF-16LE units: marks in each unit outside 0x0E to 0x7F, the lowest exact.
inline uint64_t UnitsNeedingCare(uint64_t word) {
    constexpr uint64_t kUnitLow = 0x0001000100010001ull;
    return ((word - kUnitLow * 0x0E) | word) & 0xFF80FF80FF80FF80ull;
}
inline bool UnitNeedsCare(uint64_t word) {
    return UnitsNeedingCare(word) != 0;
}
inline uint32_t PlainUnits(uint64_t marks) {
    return static_cast<uint32_t>(std::countr_zero(marks)) / 16;
}

// The four UTF-16LE units of a word as four bytes: their low bytes, which for plain units are
// the units themselves.
inline uint32_t UnitsAsBytes(uint64_t word) {
    uint64_t pairs = word | (word >> 8); // bytes 0-1 hold units 0-1, bytes 4-5 units 2-3
    return static_cast<uint32_t>((pairs & 0xFFFF) | ((pairs >> 16) & 0xFFFF0000));
}
