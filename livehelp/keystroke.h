// The keystroke handler: the function name before a typed bracket, and the help shown for it.
#pragma once

#include <cstdint>

// One key typed on the host's command line, with the line and the cursor the host passed.
// Always 0: the host goes on with the key whatever was shown.
int HandleKey(int32_t key, const char16_t* line, const char16_t* cursor);
// The upper-cased name of %@NAME ending exactly length units into the line; its length, 0
// and an empty name when there is none, -1 for a missing line or name buffer.
int ExtractFunctionName(const char16_t* line, int length, char16_t* name);
void HandleOpenBracket(const char16_t* line, const char16_t* cursor);
void HandleCloseBracket(const char16_t* line, const char16_t* cursor);
