// What the checker found in one file: a list of findings, each with its place, severity,
// code and message, and the tally of each severity.
#pragma once

#include "base/limits.h"

#include <cstddef>
#include <cstdint>

enum : int32_t { kSeverityNote, kSeverityWarning, kSeverityError };

constexpr size_t kFindingUnits = kMessageUnits; // a message, terminator included

struct Finding {
    uint32_t line;        // from 1; 0 for the file as a whole
    uint32_t column;      // from 1; 0 when no column helps
    int32_t severity;     // kSeverity...
    const char16_t* code; // a static word such as u"duplicate"
    char16_t* message;    // owned, on the C heap
    uint32_t order;       // the order of finding, which breaks ties between equal places
};

struct FindingList {
    Finding* items; // on the C heap
    uint32_t count;
    uint32_t capacity;
    uint32_t tally[3]; // by severity
    bool incomplete;   // memory ran out: some findings were lost
};

// Adds a finding whose message is formatted as Format16 does (cut to kFindingUnits).
// Returns 0, or -1 when memory ran out (the list is then marked incomplete).
int AddFinding(FindingList* list, uint32_t line, uint32_t column, int32_t severity,
               const char16_t* code, const char16_t* format, ...);
// Orders the findings by line, then column, then the order they were found in.
void SortFindings(FindingList* list);
void ReleaseFindings(FindingList* list);

const char16_t* SeverityName(int32_t severity); // "error", "warning", "note"
