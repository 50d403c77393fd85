// The checker's command line.
#pragma once

#include "base/limits.h"
#include "checker/codes.h"
#include "checker/report.h"

#include <cstdint>

enum : int {
    kOptionsRun,
    kOptionsHelp,
    kOptionsVersion,
    kOptionsExplain,
    kOptionsListCodes,
    kOptionsBad
};

// The exit statuses: clean, findings at or above --fail-on, and a run that could not do its
// work (a usage error, a file that cannot be read, a report that cannot be written).
enum : int { kExitClean = 0, kExitFindings = 1, kExitTrouble = 2 };

// --fail-on never: no severity reaches it.
constexpr int32_t kFailOnNever = 3;

struct CheckOptions {
    ReportOptions report;
    const char16_t* show; // --show NAME: the status-bar text of NAME instead of the findings
    uint32_t codePage;    // --codepage N, or 0 for the system's
    CodeSet codes;        // the codes reported: all but --ignore, or only --select
    int32_t failOn;       // the least severity that makes the run fail, or kFailOnNever
    bool statistics;      // a count per code after the report
    int explain;          // --explain CODE: the index of the code
    bool fix;             // --fix: mend each file in place with the safe fixes
    bool diff;            // --diff: print the safe fixes as a unified diff instead
    const char16_t** files;
    int fileCount;
};

// Reads arguments 1 to count - 1; files points into arguments, which must outlive options.
// On kOptionsBad, problem says what is wrong (kMessageUnits units).
int ParseCheckOptions(int count, char16_t** arguments, CheckOptions* options, char16_t* problem);

extern const char16_t kCheckUsage[];
