// Recognising a source's encoding, and the single-byte code-page tables.
#pragma once

#include "textinput/encoding_forms.h"
#include "textinput/text_source.h"

#include <cstdint>

constexpr int kAnsiTableCount = 24;
// The code page of each table, in table order, and the tables: 128 values for 0x80-0xFF.
extern const uint16_t kAnsiCodePages[kAnsiTableCount];
extern const char16_t kAnsiTables[kAnsiTableCount][128];

// Finds the source's encoding and records it in the source, which is what a reader needs; the
// result repeats it for callers that look.
Encoding DetectEncoding(TextSource* source);
[[nodiscard]] int SelectAnsiTable(uint32_t ansiCodePage);
// Each test answers the form it recognises, or Encoding::Ansi when the bytes are not of it.
[[nodiscard]] Encoding TestUtf32(TextSource* source);
[[nodiscard]] Encoding TestUtf16(TextSource* source);
[[nodiscard]] Encoding TestUtf8(TextSource* source);

// What decided an encoding, for tools that explain it to a file's author.
enum : int32_t {
    kEncodingByMark,            // a byte-order mark of UTF-16 or UTF-8
    kEncodingByUtf32Statistics, // UTF-32, with or without its mark: every other unit is zero
    kEncodingByUtf16Zeros,      // 32 bytes or fewer: more zero bytes on one side
    kEncodingByUtf16Statistics, // zero bytes and spaces each on their side
    kEncodingByCodePage,        // the ANSI code page is 65001: UTF-8, whatever the bytes
    kEncodingByUtf8Sequences,   // well-formed UTF-8 holding multi-byte sequences
    kEncodingByAsciiOnly,       // ANSI: no byte above 0x7F in the part examined
    kEncodingByNotUtf8,         // ANSI: a byte that UTF-8 does not allow where it stands
};
struct EncodingVerdict {
    int32_t reason;
    uint32_t examined;  // bytes the deciding test looked at
    uint32_t counts[4]; // UTF-16: zero bytes at even and odd offsets, spaces at even and odd;
                        // UTF-32: zero high halves and the units counted; UTF-8: lead bytes
    uint32_t offset;    // kEncodingByNotUtf8: the byte that begins what UTF-8 does not allow
};
// DetectEncoding, which it is, with the verdict filled in.
Encoding DetectEncodingExplained(TextSource* source, EncodingVerdict* verdict);
