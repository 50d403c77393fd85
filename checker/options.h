// The checker's command line.
#pragma once

#include "base/limits.h"
#include "checker/report.h"

#include <cstdint>

enum : int { kOptionsRun, kOptionsHelp, kOptionsVersion, kOptionsBad };

struct CheckOptions {
    ReportOptions report;
    const char16_t* show; // --show NAME: the status-bar text of NAME instead of the findings
    uint32_t codePage;    // --codepage N, or 0 for the system's
    const char16_t** files;
    int fileCount;
};

// Reads arguments 1 to count - 1; files points into arguments, which must outlive options.
// On kOptionsBad, problem says what is wrong (kMessageUnits units).
int ParseCheckOptions(int count, char16_t** arguments, CheckOptions* options, char16_t* problem);

extern const char16_t kCheckUsage[];
