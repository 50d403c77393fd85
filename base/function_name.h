// The one rule of which units make a function name. The help file's lines and the keystroke
// handler read names by it, so that every name the file can define can also be typed.
#pragma once

#include "base/text16.h"

// A name begins with a letter...
[[nodiscard]] inline bool IsFunctionNameStart(char16_t unit) {
    return IsLetterUnit(unit);
}
// ...and goes on with letters, digits, "_" and "$".
[[nodiscard]] inline bool IsFunctionNameUnit(char16_t unit) {
    return IsLetterUnit(unit) || IsDigitUnit(unit) || unit == u'_' || unit == u'$';
}
