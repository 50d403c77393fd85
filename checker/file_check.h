// Checking one help file: every line as the plug-in reads it, then what the lines mean
// together (names defined twice, a file without entries).
#pragma once

#include "checker/findings.h"
#include "checker/grow.h"
#include "checker/input_spool.h"
#include "checker/line_check.h"
#include "textinput/encoding_forms.h"

#include <cstdint>

struct CheckResultData {
    // After a check: one entry per function the plug-in loads, in name order, each with the
    // texts of the line that wins. On the C heap.
    CheckedEntry* functions = nullptr;
    uint32_t count = 0; // the functions loaded, as the plug-in counts them
    uint32_t capacity = 0;
    bool unreadable = false; // the file could not be read, or "hbar /L" refuses its name
    Encoding encoding = {};  // what the file was read in
};

void FreeCheckResultData(CheckResultData* result);
// The functions of one file, which free themselves (their texts too).
using CheckResult = Owned<CheckResultData, FreeCheckResultData>;

// What a check gives back: kCheckFailed when memory ran out (findings are then missing), or
// an argument is missing.
enum [[nodiscard]] CheckStatus : int{kChecked = 0, kCheckFailed = -1};

// Adds the findings of the file at path (a name as the plug-in takes it) and fills result,
// which must start out empty. The findings come sorted, their columns in characters, each
// with its source line, and without those that a suppression line names.
CheckStatus CheckHelpFile(const char16_t* path, FindingList* findings, CheckResult* result);
// The same for a name as "hbar /L" takes it: a directory stands for its Hintbar.txt, and a
// name that the command refuses (no such file, a directory, a device) gets the command's
// answer as its one finding. path (kPathUnits units) gets the file that was checked.
CheckStatus CheckNamedHelpFile(const char16_t* name, char16_t* path, FindingList* findings,
                               CheckResult* result);
// The same for standard input, read to its end.
CheckStatus CheckStandardInput(FindingList* findings, CheckResult* result);
// Standard input copied to a temporary file (spool->path) to its end; false, with the finding
// that says why, when it cannot be read or holds more than the plug-in loads. The caller
// removes the copy with RemoveSpool.
bool SpoolStandardInput(Spool* spool, FindingList* findings, CheckResult* result);

// A help file's bytes, as the plug-in reads them, on the C heap.
struct HelpBytesData {
    uint8_t* data = nullptr; // null when the file could not be read or is empty
    uint32_t size = 0;
    bool pipe = false; // the name is a pipe, read once into a copy: there is no file to write back
};

void FreeHelpBytesData(HelpBytesData* bytes);
using HelpBytes = Owned<HelpBytesData, FreeHelpBytesData>;
// Reads the file at path for a fix. What keeps it from being read (or its being empty) is
// added to the findings as CheckHelpFile adds it.
CheckStatus ReadHelpFile(const char16_t* path, FindingList* findings, CheckResult* result,
                         HelpBytes* bytes);
// The same for a name as "hbar /L" takes it, as CheckNamedHelpFile takes it.
CheckStatus ReadNamedHelpFile(const char16_t* name, char16_t* path, FindingList* findings,
                              CheckResult* result, HelpBytes* bytes);
// The findings and functions of bytes held in memory, as CheckHelpFile gives them for a file
// of those bytes; read in the encoding forced, when it is given, rather than the one found.
CheckStatus CheckHelpBytes(const uint8_t* data, uint32_t size, const Encoding* forced,
                           FindingList* findings, CheckResult* result);
// Frees the functions now, leaving the result empty.
void ReleaseCheckResult(CheckResult* result);
// The function of that name (upper case), or null.
const CheckedEntry* FindCheckedFunction(const CheckResult* result, const char16_t* name);
