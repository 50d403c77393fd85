// What the checker found in one file: a list of findings, each with its place, severity,
// code and message, and the tally of each severity.
#pragma once

#include "base/limits.h"
#include "checker/codes.h"
#include "checker/fixes.h"
#include "checker/grow.h"

#include <cstddef>
#include <cstdint>

enum : int32_t { kSeverityNote, kSeverityWarning, kSeverityError };

constexpr size_t kFindingUnits = kMessageUnits; // a message, terminator included
// Findings of one code that a text report lists for one file; the rest are only counted, so
// that a file of a million repeated lines gives a readable report.
constexpr uint32_t kFindingsPerCode = 100;

struct Finding {
    uint32_t line;        // from 1; 0 for the file as a whole
    uint32_t column;      // from 1, in characters once the file is read; 0 when none helps
    int32_t severity;     // kSeverity...
    const char16_t* code; // a static word such as u"duplicate"
    char16_t* message;    // owned, on the C heap
    uint32_t order;       // the order of finding, which breaks ties between equal places
    char16_t* source;     // the line around the column, owned; or null
    uint32_t caret;       // the column within source, from 1; 0 when there is no source
    uint32_t unitColumn;  // the column as found, in UTF-16 units of the line
    uint32_t fix;         // 1 + the index of its safe fix in the list's fixes, or 0
};

struct FindingListData {
    Finding* items = nullptr; // on the C heap
    uint32_t count = 0;
    uint32_t capacity = 0;
    uint32_t tally[3] = {};      // by severity, the uncounted ones included
    uint32_t byCode[64] = {};    // by index of kCheckCodes, the uncounted ones included
    uint32_t uncounted[64] = {}; // by code: found beyond kFindingsPerCode and not kept
    bool incomplete = false;     // memory ran out: some findings were lost
    bool keepAll = false;  // keep every finding (set before the first): machine formats, --fix
    CodeSet optIn = {};    // the codes off by default to look for (set before the first)
    uint32_t lastKept = 0; // 1 + the index of the finding added last, or 0 when not kept
    FixList fixes = {};    // the safe fixes of the findings, of all of them kept or not
    uint32_t fixed = 0;    // findings that --fix mended
};

void FreeFindingListData(FindingListData* list);
// The findings of one file, which free themselves (their messages, sources and fixes).
using FindingList = Owned<FindingListData, FreeFindingListData>;

// Adds a finding whose message is formatted as Format16 does (cut to kFindingUnits); the
// code must be one of kCheckCodes. Returns 0 (also for a finding counted but not kept), or
// -1 when memory ran out (the list is then marked incomplete). Past kFindingsPerCode of its
// code a finding is only counted, unless the list keeps all.
int AddFinding(FindingList* list, uint32_t line, uint32_t column, int32_t severity,
               const char16_t* code, const char16_t* format, ...);
// Starts a safe fix of the finding just added, of that line and code; its edits follow with
// AddFixEdit on list->fixes. Returns the fix's index, or -1 when memory ran out.
int32_t StartFix(FindingList* list, uint32_t line, const char16_t* code, const char16_t* what);
// The safe fix of a finding, or null when it has none (or it was dropped).
const Fix* FixOf(const FindingList* list, const Finding& finding);
// Orders the findings by line, then column, then the order they were found in.
void SortFindings(FindingList* list);
// Drops the findings whose code is not in codes, and those on a line that a suppression
// names (lines[i] with the codes in suppressed[i]; count pairs), keeping the tallies true;
// their fixes go with them.
void DropFindings(FindingList* list, CodeSet codes, const uint32_t* lines,
                  const CodeSet* suppressed, uint32_t count);
// A copy of line (units) around its unit at index, at most kSourceUnits long, for showing
// under a finding: tabs and invisible characters are made visible one for one, so that a
// caret lines up. caret gets the column of index within the copy, in characters.
constexpr size_t kSourceUnits = 120;
char16_t* MakeSourceExcerpt(const char16_t* line, size_t index, uint32_t* caret);
// Frees the findings now, leaving the list empty.
void ReleaseFindings(FindingList* list);

const char16_t* SeverityName(int32_t severity); // "error", "warning", "note"
