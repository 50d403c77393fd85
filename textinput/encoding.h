// Recognising a source's encoding, and the single-byte code-page tables.
#pragma once

#include "textinput/text_source.h"

#include <cstdint>

enum : int32_t {
    EncodingAnsi = 0,
    EncodingUtf16LE = 1,
    EncodingUtf16BE = 2,
    EncodingUtf8 = 3,
    EncodingUtf32LE = 32,
    EncodingUtf32BE = 33,
};

constexpr int kAnsiTableCount = 24;
// The code page of each table, in table order, and the tables: 128 values for 0x80-0xFF.
extern const uint16_t kAnsiCodePages[kAnsiTableCount];
extern const char16_t kAnsiTables[kAnsiTableCount][128];

int32_t DetectEncoding(TextSource* source);
int SelectAnsiTable(uint32_t ansiCodePage);
int32_t TestUtf32(TextSource* source);
int32_t TestUtf16(TextSource* source);
int32_t TestUtf8(TextSource* source);
