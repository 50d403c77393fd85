// What the plug-in would show on the status bar, made visible.
#include "checker/show.h"

#include "base/format16.h"
#include "base/text16.h"
#include "helptable/help_table.h"
#include "livehelp/help_text.h"

#include <iterator>

namespace {
char16_t g_text[kLineUnits];
HelpContent g_help; // the help that g_text renders

// The description line (from 0) that is each argument's own line, or -1; the arguments in the
// order of the syntax line.
int g_ownLine[kSyntaxUnits];
int g_arguments;

bool IsInvisible(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) || c == 0xFEFF;
}
} // namespace

const char16_t* StatusBarText(const CheckedEntry* entry) {
    g_text[0] = 0;
    if (!entry) {
        return g_text;
    }
    HelpNode node = {};
    node.syntax = entry->syntax;
    node.info = entry->info;
    ComposeHelp(&node, &g_help);
    RenderStatusText(g_help, g_text);
    // The text begins with an invisible marker that only tells the plug-in's own help apart
    // from other text on the status bar; no one sees it.
    return g_text[0] == 0x200B ? g_text + 1 : g_text;
}

namespace {

// Finds the own line of each argument of g_help, as the plug-in finds it while it is typed.
void FindOwnLines() {
    g_arguments = 0;
    // Every argument starts after the "[", so a start of 0 is past the last one.
    for (TextSpan argument = ArgumentOfSyntax(g_help.syntax, 0); argument.start != 0;
         argument = ArgumentOfSyntax(g_help.syntax, g_arguments)) {
        TextSpan line = ArgumentLineOf(g_help.description, g_help.syntax, argument);
        int ordinal = -1;
        if (line.length) {
            ordinal = 0;
            for (size_t i = 0; i < line.start; ++i) {
                ordinal += g_help.description[i] == u'\n';
            }
        }
        g_ownLine[g_arguments++] = ordinal;
    }
}

// The mark after a description line that is the own line of arguments: "  ← argument 2
// (string)", or "  ← arguments 1 and 2 (n)" when one name stands twice; empty for another line.
void MarkOfLine(int line, char16_t* mark, size_t capacity) {
    mark[0] = 0;
    int count = 0;
    for (int k = 0; k < g_arguments; ++k) {
        count += g_ownLine[k] == line;
    }
    int listed = 0;
    int first = -1;
    for (int k = 0; k < g_arguments; ++k) {
        if (g_ownLine[k] != line) {
            continue;
        }
        first = first < 0 ? k : first;
        char16_t number[32];
        const char16_t* before = listed == 0
                                     ? (count > 1 ? u"  \u2190 arguments " : u"  \u2190 argument ")
                                     : (listed + 1 == count ? u" and " : u", ");
        Format16(number, u"%s%d", before, k + 1);
        Str16Append({mark, capacity}, number);
        ++listed;
    }
    if (first >= 0) {
        TextSpan name = ArgumentNameOf(g_help.syntax, ArgumentOfSyntax(g_help.syntax, first));
        char16_t named[kSyntaxUnits];
        Str16Copy({named, name.length + 1}, g_help.syntax + name.start);
        Str16Append({mark, capacity}, u" (");
        Str16Append({mark, capacity}, named);
        Str16Append({mark, capacity}, u")");
    }
}

} // namespace

void ShowHelpText(const CheckedEntry* entry, char16_t* visible, size_t capacity) {
    if (!visible || capacity == 0) {
        return;
    }
    visible[0] = 0;
    if (!entry) {
        return;
    }
    const char16_t* shown = StatusBarText(entry);
    FindOwnLines();
    // The piece of a line break, with the mark of the line it ends.
    static char16_t piece[kSyntaxUnits + 32];
    int breaks = 0; // the syntax line's and the empty line's come before the description's
    size_t length = 0;
    auto put = [&](const char16_t* text) {
        for (; *text && length + 1 < capacity; ++text) {
            visible[length++] = *text;
        }
        visible[length] = 0;
    };
    for (const char16_t* p = shown; *p; ++p) {
        switch (*p) {
        case u'\r':
            // CR LF is one line break on the status bar, and is shown as one.
            Str16Copy(piece, p[1] == u'\n' ? u"" : u"\u240d");
            break;
        case u'\n':
            Str16Copy(piece, u"\u240a");
            if (breaks >= 2) {
                MarkOfLine(breaks - 2, piece + 1, std::size(piece) - 2);
            }
            Str16Append(piece, u"\n");
            ++breaks;
            break;
        case u'\t':
            Str16Copy(piece, u"\u2409");
            break;
        default:
            if (IsInvisible(*p)) {
                Format16(piece, u"<U+%04X>", *p);
            } else {
                piece[0] = *p;
                piece[1] = 0;
            }
            break;
        }
        put(piece);
    }
    if (breaks >= 2) {
        MarkOfLine(breaks - 2, piece, std::size(piece));
        put(piece);
    }
    put(u"\n");
}
