// The syntax of a help file's lines: @NAME[arguments] separator description.
#pragma once

#include "base/limits.h"

// Buffers: name kNameUnits, syntax kSyntaxUnits, info kLineUnits.

// -1 for a missing line or name buffer; 0 when the line is not an entry; otherwise the
// name's length (1 to 47). With neither syntax nor info buffer the parse stops at the "[".
// A syntax line longer than 1,023 units is cut to fit (never inside a surrogate pair); the
// line is still an entry, so both forms agree.
int ParseHelpLine(char16_t* name, const char16_t* line, char16_t* syntax, char16_t* info);
