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

// A run of a text: where it starts and how many units it has; none when length is 0.
struct TextSpan {
    size_t start;
    size_t length;
};

// Where the argument (from 0) lies in a syntax line: the parts between the name's "[" and its
// matching "]", split at the commas of that depth, so that a nested optional part stays with
// its argument. None past the last argument, and for a syntax line without a list.
[[nodiscard]] TextSpan ArgumentOfSyntax(const char16_t* syntax, int argument);
// The argument's name: the first run of name characters in it, within the syntax line. None
// when it has none.
[[nodiscard]] TextSpan ArgumentNameOf(const char16_t* syntax, TextSpan argument);
// The description line that belongs to that argument: it begins with the argument's name and a
// tab. None when no line does.
[[nodiscard]] TextSpan ArgumentLineOf(const char16_t* description, const char16_t* syntax,
                                      TextSpan argument);
// The help with the argument marked between open and close, and its own line too; with
// lineOnly, the description is that line alone, unmarked (a one-line place shows it after the
// syntax line). Past the last argument nothing is marked.
void MarkArgument(const HelpContent& help, int argument, const char16_t* open,
                  const char16_t* close, bool lineOnly, HelpContent* marked);

// The help as a place shows it with the argument marked (MarkArgument), in a scratch record
// that lasts until the next call; the help itself when argument is -1.
[[nodiscard]] const HelpContent& WithArgumentMarked(const HelpContent& help, int argument,
                                                    const char16_t* open, const char16_t* close,
                                                    bool lineOnly);

// The functions whose names begin with what is being typed, in name order.
constexpr uint32_t kNamesShown = 8;
struct HelpNames {
    const HelpNode* shown[kNamesShown];     // their entries, valid while the table is (null after)
    char16_t name[kNamesShown][kNameUnits]; // their names, kept with the line
    uint32_t count;                         // how many of shown hold one
    uint32_t total;                         // all that match
};
// The names for a window: a line for each, its syntax line and the first line of its
// description, then "and N more" when more match. False for an empty buffer.
bool RenderNamesWindowText(const HelpNames& names, std::span<char16_t> text);
// The names on one line for a title or a status bar, cut with "…" to fit; from the kept names
// alone, so that a title can be compared after the table went.
bool RenderNamesLine(const HelpNames& names, std::span<char16_t> line);

// Replaces every target unit of the text by the replacement; the number replaced, or -1.
int ReplaceChar(char16_t* text, char16_t target, char16_t replacement);
