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

struct FixOutcome {
    uint8_t* data; // the mended file on the C heap; null when nothing was mended
    uint32_t size;
    uint32_t fixed;                   // findings mended
    bool refused;                     // no set of the fixes holds up: nothing is to be written
    char16_t why[kMessageUnits];      // why, when refused
    LeftOutFix leftOut[kLeftOutKept]; // fixes left out, in the order they were found out
    uint32_t leftOutCount;            // all of them, those past kLeftOutKept included
    // Of the mended file; of the file as it was when nothing was mended. Every finding kept.
    FindingList findings;
    CheckResult result;
};

// Makes the fixes of the codes in codes (and not suppressed) in the bytes of a help file,
// again on the mended bytes while they give more, up to a few rounds. Returns 0, or -1 when
// memory ran out.
int FixHelpBytes(const uint8_t* data, uint32_t size, CodeSet codes, FixOutcome* outcome);
void ReleaseFixOutcome(FixOutcome* outcome);
