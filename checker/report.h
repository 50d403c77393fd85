// Writing the findings: one line each in the form compilers use, or one JSON record each.
#pragma once

#include "checker/findings.h"

#include <cstdint>

struct ReportOptions {
    bool json;  // JSON records instead of lines
    bool quiet; // errors only, and no summary line
};

void BeginReport(const ReportOptions* options);
// The sorted findings of one file, and its summary: the functions the plug-in loads from it
// and the findings of each severity.
void WriteFileReport(const ReportOptions* options, const char16_t* file,
                     const FindingList* findings, uint32_t functions);
void EndReport(const ReportOptions* options);

// Text to standard output or standard error, gathered and written in large pieces.
void Emit(const char16_t* text);
void EmitFormatted(const char16_t* format, ...);
void FlushOutput();
void EmitError(const char16_t* text); // straight to standard error, after what is pending
