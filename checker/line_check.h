// The checker's look at one line of a help file, as the plug-in reads and parses it.
#pragma once

#include "checker/findings.h"
#include "helptable/help_line.h"
#include "textinput/text_lines.h"
#include "textinput/text_source.h"

#include <cstdint>

// One entry line, with the texts the loader would store for it.
struct CheckedEntry {
    char16_t name[kNameUnits]; // upper case, as the table keeps it
    uint32_t line;             // where it stands in the file
    uint32_t column;           // of its name
    char* syntax;              // UTF-8 on the C heap, as the loader stores it
    char* info;                // the same, or null when the line has no description
    bool unbalanced;           // its "[" is never closed (so it can have no description)
};

// Starts the checks of a file's lines (CheckLine reads them in order).
void BeginLineChecks();
// Adds the findings of one line read from source (report: where the reader found it). For an
// entry line fills entry, whose texts the caller then owns, and returns 1; returns 0 for any
// other line and -1 when memory ran out.
int CheckLine(TextSource* source, const char16_t* line, const TextLineReport* report,
              FindingList* findings, CheckedEntry* entry);
