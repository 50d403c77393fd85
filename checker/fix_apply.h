// Mending a help file's bytes with the safe fixes of its findings, and the proof that nothing
// was lost: read again, the file gives none of the findings that were fixed and no new
// warning or error, and the plug-in loads at least as many functions, each line that no fix
// touched giving the same function with the same texts.
#pragma once

#include "checker/file_check.h"

// A fix that did not hold up and was left out, so that the others could be made.
struct LeftOutFix {
    uint32_t line;
    int32_t code; // index of kCheckCodes
    char16_t why[160];
};
constexpr uint32_t kLeftOutKept = 16; // those told one by one; the rest are counted

// The outcome of a mending, which frees what it holds.
struct FixOutcome {
    uint8_t* data = nullptr; // the mended file on the C heap; null when nothing was mended
    uint32_t size = 0;
    uint32_t fixed = 0;                    // findings mended
    bool refused = false;                  // no set of the fixes holds up: nothing is to be written
    char16_t why[kMessageUnits] = {};      // why, when refused
    LeftOutFix leftOut[kLeftOutKept] = {}; // fixes left out, in the order they were found out
    uint32_t leftOutCount = 0;             // all of them, those past kLeftOutKept included
    // Of the mended file; of the file as it was when nothing was mended. Every finding kept.
    FindingList findings;
    CheckResult result;

    FixOutcome() = default;
    ~FixOutcome();
    FixOutcome(const FixOutcome&) = delete;
    FixOutcome& operator=(const FixOutcome&) = delete;
};

enum [[nodiscard]] FixStatus : int{kFixDone = 0, kFixOutOfMemory = -1};

// Makes the fixes of the codes in codes (and not suppressed) in the bytes of a help file,
// again on the mended bytes while they give more, up to a few rounds. kFixOutOfMemory when
// memory ran out: the outcome then mends nothing.
FixStatus FixHelpBytes(const uint8_t* data, uint32_t size, CodeSet codes, FixOutcome* outcome);
// Frees what the outcome holds now, leaving it empty.
void ReleaseFixOutcome(FixOutcome* outcome);
