// Writing the findings: one line each in the form compilers use, JSON, annotations for a CI
// log, or a SARIF log for code-scanning tools.
#pragma once

#include "checker/findings.h"

#include <cstdint>

enum : int { kFormatText, kFormatJson, kFormatGithub, kFormatSarif };

struct ReportOptions {
    int format;     // kFormat...
    bool quiet;     // errors only, and no summary line
    bool source;    // the source line and a caret under each finding (text only)
    int32_t failOn; // the least severity that fails the run: what --quiet must not hide
    bool fixRun;    // the findings are those left after --fix: say how many it mended
};

void BeginReport(const ReportOptions* options);
// The sorted findings of one file, and its summary: the functions the plug-in loads from it
// and the findings of each severity. Text and annotations list kFindingsPerCode findings of
// each code and count the rest; JSON and SARIF list every finding kept. A finding with a safe
// fix says what the fix does.
void WriteFileReport(const ReportOptions* options, const char16_t* file,
                     const FindingList* findings, uint32_t functions);
// Closes the report, with the count of findings of each code over all files when statistics
// is given (by index of kCheckCodes); under --quiet, says how many warnings that fail the run
// it did not show.
void EndReport(const ReportOptions* options, const uint32_t* statistics);

// The codes of the findings, in text, JSON or SARIF (a log with a rule per code).
void WriteCodeList(int format);

// Text to standard output or standard error, gathered and written in large pieces. The
// report goes to standard output, or to standard error once SendReportToError was called
// (when standard output carries a mended file).
void SendReportToError();
void Emit(const char16_t* text);
void EmitFormatted(const char16_t* format, ...);
void FlushOutput();
void EmitError(const char16_t* text); // straight to standard error, after what is pending
// A JSON string's content: quotes, backslashes and controls escaped.
void EmitJsonText(const char16_t* text);
// Whether some output could not be written since the program began.
bool OutputFailed();
