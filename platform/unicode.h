// The one codec: UTF-16 surrogates and single UTF-8 sequences, for every layer and the
// checker, so that every reader treats ill-formed text alike. Inline, so that the fast paths
// pay no call for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

constexpr uint32_t kLastCodePoint = 0x10FFFF;

[[nodiscard]] constexpr bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
[[nodiscard]] constexpr bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
[[nodiscard]] constexpr bool IsSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}
// A high surrogate followed by a low one: one character beyond U+FFFF.
[[nodiscard]] constexpr bool IsSurrogatePair(uint32_t first, uint32_t second) {
    return IsHighSurrogate(first) && IsLowSurrogate(second);
}
// The surrogate pairs within the first units of a text: the units that are not characters of
// their own, so that a column counts characters as editors do.
[[nodiscard]] constexpr size_t SurrogatePairsIn(const char16_t* text, size_t units) {
    size_t pairs = 0;
    for (size_t i = 0; i + 1 < units; ++i) {
        if (IsSurrogatePair(text[i], text[i + 1])) {
            ++pairs;
            ++i;
        }
    }
    return pairs;
}
// The code point of a pair for which IsSurrogatePair holds.
[[nodiscard]] constexpr uint32_t CombineSurrogates(uint32_t high, uint32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// The halves of a code point beyond U+FFFF.
[[nodiscard]] constexpr char16_t HighSurrogateOf(uint32_t c) {
    return static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
}
[[nodiscard]] constexpr char16_t LowSurrogateOf(uint32_t c) {
    return static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

// What the bytes at the start of a UTF-8 span are. Whatever is not a character becomes one
// U+FFFD for the reader: IllFormed and Cut for their first byte alone, so that reading goes
// on at the next; Surrogate and BeyondLast for their whole sequence.
enum class Utf8Kind : uint8_t {
    Character,  // a code point up to U+10FFFF, no surrogate
    Cut,        // a lead byte whose sequence the end of the span cuts off
    IllFormed,  // a byte that begins no sequence, a bad continuation, or an overlong form
    Surrogate,  // a surrogate code point, which UTF-8 may not carry
    BeyondLast, // a value above U+10FFFF (lead bytes F4 to F7)
};
struct Utf8Char {
    uint32_t value;  // Character: the code point; Surrogate and BeyondLast: what the bytes spell
    uint32_t length; // bytes taken: 1 for Cut and IllFormed; 0 only for an empty span
    Utf8Kind kind;
};

// Bytes of the sequence that a lead byte begins, or 0 for a byte that begins none.
[[nodiscard]] constexpr uint32_t Utf8SequenceLength(uint8_t lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead < 0xC0 || lead > 0xF7) {
        return 0;
    }
    return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

[[nodiscard]] constexpr Utf8Char DecodeUtf8(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return {0, 0, Utf8Kind::Cut};
    }
    uint8_t lead = bytes[0];
    uint32_t n = Utf8SequenceLength(lead);
    if (n == 1) {
        return {lead, 1, Utf8Kind::Character};
    }
    if (n == 0) {
        return {0, 1, Utf8Kind::IllFormed};
    }
    if (n > bytes.size()) {
        return {0, 1, Utf8Kind::Cut};
    }
    // The lead keeps 7 - n bits; each continuation byte 10xxxxxx adds six.
    uint32_t v = lead & (0x7Fu >> n);
    for (uint32_t i = 1; i < n; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) {
            return {0, 1, Utf8Kind::IllFormed};
        }
        v = (v << 6) | (bytes[i] & 0x3Fu);
    }
    // An overlong form spells a character that a shorter sequence carries: no character.
    constexpr uint32_t kLeastOfLength[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (v < kLeastOfLength[n]) {
        return {0, 1, Utf8Kind::IllFormed};
    }
    if (IsSurrogate(v)) {
        return {v, n, Utf8Kind::Surrogate};
    }
    if (v > kLastCodePoint) {
        return {v, n, Utf8Kind::BeyondLast};
    }
    return {v, n, Utf8Kind::Character};
}

// Bytes of c's UTF-8 form.
[[nodiscard]] constexpr uint32_t Utf8Length(uint32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// Writes c's UTF-8 form at the start of out and returns its length, or writes nothing and
// returns 0 when out is shorter. c is a code point up to U+10FFFF; a surrogate is written by
// its bits, as callers that must not write one replace it before.
template <typename Byte> constexpr uint32_t EncodeUtf8(uint32_t c, std::span<Byte> out) {
    static_assert(sizeof(Byte) == 1);
    uint32_t n = Utf8Length(c);
    if (n > out.size()) {
        return 0;
    }
    if (n == 1) {
        out[0] = static_cast<Byte>(c);
        return 1;
    }
    for (uint32_t i = n - 1; i > 0; --i) {
        out[i] = static_cast<Byte>(0x80 | (c & 0x3F));
        c >>= 6;
    }
    // The lead: n high bits set, then a zero, then what is left of c.
    out[0] = static_cast<Byte>(((0xFF00u >> n) & 0xFF) | c);
    return n;
}
