// The safe fix of a finding on one line: edits in units of the line as the plug-in read it,
// placed in the file's bytes and written in the file's encoding.
#pragma once

#include "checker/findings.h"
#include "textinput/text_lines.h"
#include "textinput/text_source.h"

#include <cstddef>
#include <cstdint>

struct LineEdit {
    uint32_t from; // the units [from, to) of the line are replaced by text
    uint32_t to;
    const char16_t* text;
};

// The line with the edits made (in order, none overlapping the next) into out (kLineUnits
// units); false when it would not fit.
bool EditLine(const char16_t* line, const LineEdit* edits, size_t count, char16_t* out);
// Adds the fix of the finding just added on this line (its code), made of the edits; entry
// names the entry that the fix makes of the line, or is empty. A line that the plug-in read
// only in part gets no fix. Returns 0, or -1 when memory ran out.
int AddLineFix(FindingList* findings, const TextSource* source, const TextLineReport* report,
               const char16_t* line, const char16_t* code, const char16_t* what,
               const char16_t* entry, const LineEdit* edits, size_t count);
