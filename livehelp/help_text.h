// The text a help entry shows as.
#pragma once

#include "helptable/help_table.h"

#include <span>

// The status-bar text of an entry: a zero width space and the syntax line, then "\r\n\n" and
// the description with its pilcrows and not signs turned into line feeds and tabs. Empty for
// an entry without a syntax line. A description too long for the text is cut at a character
// boundary. -1 (nothing written) for a missing node or an empty buffer, otherwise 0.
int ComposeHelpText(const HelpNode* node, std::span<char16_t> text);
// A console title holds one line, and a title bar shows only so much of it.
constexpr int kTitleUnits = 160;
// The help of an entry as one line for a console title: the syntax line, " - " and the
// description, its line breaks and tabs as blanks; cut with "…" to fit the buffer, never
// inside a surrogate pair. Empty for an entry without a syntax line. -1 (nothing written) for
// a missing node or an empty buffer, otherwise 0.
int ComposeTitleText(const HelpNode* node, std::span<char16_t> title);
// Replaces every target unit of the text by the replacement; the number replaced, or -1.
int ReplaceChar(char16_t* text, char16_t target, char16_t replacement);
