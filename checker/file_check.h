// Checking one help file: every line as the plug-in reads it, then what the lines mean
// together (names defined twice, a file without entries).
#pragma once

#include "checker/findings.h"
#include "checker/input_spool.h"
#include "checker/line_check.h"
#include "textinput/encoding_forms.h"

#include <cstdint>

struct CheckResult {
    // After a check: one entry per function the plug-in loads, in name order, each with the
    // texts of the line that wins. On the C heap.
    CheckedEntry* functions;
    uint32_t count; // the functions loaded, as the plug-in counts them
    uint32_t capacity;
    bool unreadable;   // the file could not be read, or "hbar /L" refuses its name
    Encoding encoding; // what the file was read in
};

// Adds the findings of the file at path (a name as the plug-in takes it) and fills result,
// which must start out empty. The findings come sorted, their columns in characters, each
// with its source line, and without those that a suppression line names. Returns 0, or -1
// when memory ran out.
int CheckHelpFile(const char16_t* path, FindingList* findings, CheckResult* result);
// The same for a name as "hbar /L" takes it: a directory stands for its Hintbar.txt, and a
// name that the command refuses (no such file, a directory, a device) gets the command's
// answer as its one finding. path (kPathUnits units) gets the file that was checked.
int CheckNamedHelpFile(const char16_t* name, char16_t* path, FindingList* findings,
                       CheckResult* result);
// The same for standard input, read to its end.
int CheckStandardInput(FindingList* findings, CheckResult* result);
// Standard input copied to a temporary file (spool->path) to its end; false, with the finding
// that says why, when it cannot be read or holds more than the plug-in loads. The caller
// removes the copy with RemoveSpool.
bool SpoolStandardInput(Spool* spool, FindingList* findings, CheckResult* result);

// A help file's bytes, as the plug-in reads them, on the C heap.
struct HelpBytes {
    uint8_t* data; // null when the file could not be read or is empty
    uint32_t size;
    bool pipe; // the name is a pipe, read once into a copy: there is no file to write back
};
// Reads the file at path for a fix. What keeps it from being read (or its being empty) is
// added to the findings as CheckHelpFile adds it. Returns 0, or -1 when memory ran out.
int ReadHelpFile(const char16_t* path, FindingList* findings, CheckResult* result,
                 HelpBytes* bytes);
// The same for a name as "hbar /L" takes it, as CheckNamedHelpFile takes it.
int ReadNamedHelpFile(const char16_t* name, char16_t* path, FindingList* findings,
                      CheckResult* result, HelpBytes* bytes);
// The findings and functions of bytes held in memory, as CheckHelpFile gives them for a file
// of those bytes; read in the encoding forced, when it is given, rather than the one found.
int CheckHelpBytes(const uint8_t* data, uint32_t size, const Encoding* forced,
                   FindingList* findings, CheckResult* result);
void ReleaseCheckResult(CheckResult* result);
// The function of that name (upper case), or null.
const CheckedEntry* FindCheckedFunction(const CheckResult* result, const char16_t* name);
