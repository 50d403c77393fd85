// The help of an entry, composed once, and the texts each place that shows help renders from it.
#pragma once

#include "base/limits.h"
#include "helptable/help_table.h"

#include <span>

// One entry's help as the user reads it: the syntax line, then the description with its
// pilcrows and not signs turned into line feeds and tabs. The description is cut, at a
// character boundary, to what a status-bar text has room for beside the syntax line, so that
// every place shows the same words.
struct HelpContent {
    char16_t syntax[kSyntaxUnits];    // empty: the entry has no help to show
    char16_t description[kLineUnits]; // empty when the entry has none
};

// False (nothing written) for a missing node or help.
bool ComposeHelp(const HelpNode* node, HelpContent* help);

// The status-bar text: a zero width space and the syntax line, then "\r\n\n" and the
// description. Empty for help without a syntax line; a buffer too small holds what fits, never
// half a surrogate pair. False (nothing written) for an empty buffer.
bool RenderStatusText(const HelpContent& help, std::span<char16_t> text);
// ComposeHelp and RenderStatusText in one, for callers that want the status-bar text of a node:
// 0, or -1 (nothing written) for a missing node or an empty buffer.
int ComposeHelpText(const HelpNode* node, std::span<char16_t> text);

// A console title holds one line, and a title bar shows only so much of it.
constexpr int kTitleUnits = 160;
// The help as one line for a console title: the syntax line, " - " and the description, its
// line breaks and tabs as blanks; cut with "…" to fit, never inside a surrogate pair. Empty for
// help without a syntax line. False (nothing written) for an empty buffer.
bool RenderTitleText(const HelpContent& help, std::span<char16_t> title);

// The help window's text: the syntax line, an empty line, then the description's lines, each
// ended by a line feed alone. Empty for help without a syntax line. False for an empty buffer.
bool RenderWindowText(const HelpContent& help, std::span<char16_t> text);

// Replaces every target unit of the text by the replacement; the number replaced, or -1.
int ReplaceChar(char16_t* text, char16_t target, char16_t replacement);
