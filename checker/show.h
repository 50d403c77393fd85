// The status-bar text of one function, written so that its line breaks and tabs show.
#pragma once

#include "checker/line_check.h"

// The text the plug-in would send to the status bar for entry, without the invisible marker
// it begins with; valid until the next call.
const char16_t* StatusBarText(const CheckedEntry* entry);
// The text the plug-in would send to the status bar for entry, into text (8,192 units, as the
// status bar's own), then written to visible (capacity units): CR, LF and tab as the control
// pictures, followed by a real line break after each LF; other invisible units as <U+XXXX>.
void ShowHelpText(const CheckedEntry* entry, char16_t* visible, size_t capacity);
