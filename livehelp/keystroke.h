// The keystroke handler's workers; the handler itself is the export key (plugin.h).
#pragma once

#include "plugin/plugin.h"

// The upper-cased name of %@NAME ending exactly length units into the line; its length, 0
// and an empty name when there is none, -1 for a missing line or name buffer.
int ExtractFunctionName(const char16_t* line, int length, char16_t* name);
void HandleOpenBracket(KeyEvent* event);
void HandleCloseBracket(KeyEvent* event);
