// The encodings a text source may be in, one row each: what tells one form from another. The
// detection, the decoder and the tools that name a file's encoding all read these rows.
#pragma once

#include <cstdint>
#include <span>

enum class Encoding : int32_t {
    Ansi = 0, // single bytes: ASCII, and 0x80-0xFF through the ANSI code page's table
    Utf16LE = 1,
    Utf16BE = 2,
    Utf8 = 3,
    Utf32LE = 32,
    Utf32BE = 33,
};

struct EncodingForm {
    Encoding encoding;
    const char16_t* name; // as a message names it
    uint8_t mark[4];      // the byte-order mark: its first markBytes bytes
    uint8_t markBytes;    // 0 for ANSI, which has none
    uint8_t unitBytes;    // bytes of one code unit
    bool bigEndian;       // the order of a unit's bytes, where a unit has more than one
};

constexpr int kEncodingCount = 6;
extern const EncodingForm kEncodingForms[kEncodingCount];

// The row of an encoding; the ANSI row for a value that names none.
[[nodiscard]] const EncodingForm& FormOf(Encoding encoding);
// Whether bytes begin with the encoding's byte-order mark (never for ANSI).
[[nodiscard]] bool BeginsWithMark(std::span<const uint8_t> bytes, Encoding encoding);
