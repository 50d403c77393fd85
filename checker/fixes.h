// Safe fixes: for some findings the checker knows the few bytes that make the plug-in read a
// line as its author plainly meant it. A fix is a set of edits of the file's bytes as they
// stand, each written in the file's own encoding, so that every other byte stays as it was.
#pragma once

#include "base/limits.h"
#include "textinput/encoding_forms.h"

#include <cstddef>
#include <cstdint>

constexpr size_t kFixTextUnits = 8;  // the text an edit puts in, with its terminator: " - "
constexpr size_t kFixBytes = 16;     // the same in the file's encoding (UTF-32: 12 bytes)
constexpr size_t kFixWhatUnits = 96; // what a fix does, as the report says it

struct FixEdit {
    uint32_t offset;              // the bytes [offset, offset + length) of the file are replaced
    uint32_t length;              //
    uint32_t line;                // where they stand: the line from 1, and the column in characters
    uint32_t column;              //
    uint32_t columns;             // the characters they hold
    uint8_t bytes[kFixBytes];     // what takes their place, in the file's encoding
    uint32_t byteCount;           //
    char16_t text[kFixTextUnits]; // the same as text
};

struct Fix {
    uint32_t line;                // the line of its finding; 0 for the file as a whole
    int32_t code;                 // the index of its finding's code; -1 once it is dropped
    uint32_t first;               // its edits: edits[first, first + count)
    uint32_t count;               //
    char16_t entry[kNameUnits];   // the name of the entry it makes of a line, or empty
    char16_t what[kFixWhatUnits]; // what it does
};

// The fixes of one file, and their edits, on the C heap; the FindingList that holds them
// frees them. A fix keeps its place once added, so that a finding can name it by its index.
struct FixList {
    Fix* items = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;
    FixEdit* edits = nullptr;
    uint32_t editCount = 0;
    uint32_t editCapacity = 0;
};

// Adds a fix without edits; returns its index, or -1 when memory ran out.
int32_t AddFix(FixList* list, uint32_t line, int32_t code, const char16_t* what);
// Adds an edit to the last fix added; false when memory ran out.
[[nodiscard]] bool AddFixEdit(FixList* list, const FixEdit& edit);
// Drops the last fix added, with its edits (one whose edits could not all be made).
void DropLastFix(FixList* list);
void ReleaseFixes(FixList* list);
// The fix at index, or null when there is none or it was dropped.
const Fix* ActiveFix(const FixList* list, uint32_t index);
// text written in the encoding into bytes (kFixBytes); the number of bytes, or 0 when it does
// not fit or the encoding cannot hold one of its characters (ANSI holds only ASCII here).
uint32_t EncodeFixText(Encoding encoding, const char16_t* text, uint8_t* bytes);
