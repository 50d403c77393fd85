// hbar /F: finding the functions whose names match a pattern, and printing their help.
#include "command/function_lookup.h"

#include "base/limits.h"
#include "base/messages.h"
#include "command/counts.h"
#include "base/text16.h"
#include "command/error_messages.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "base/host.h"
#include "livehelp/help_text.h"
#include "platform/utf8.h"

#include <cstddef>
#include <cstdint>

PatternCore CoreOfPattern(const char16_t* pattern) {
    PatternCore core = {pattern, Str16Len(pattern)};
    if (core.length >= 2 && core.start[0] == u'%' && core.start[1] == u'@') {
        core.start += 2;
        core.length -= 2;
    } else if (core.length >= 1 && core.start[0] == u'@') {
        ++core.start;
        --core.length;
    }
    if (core.length >= 1 && core.start[core.length - 1] == u'[') {
        --core.length;
    }
    return core;
}

namespace {

// "*" keeps the latest star's place: on a mismatch the star takes one more character and the
// comparison resumes after it, so no input makes the match take more than length squared steps.
bool Matches(const char16_t* name, PatternCore core) {
    size_t n = 0;
    size_t p = 0;
    bool starSeen = false;
    size_t starP = 0;
    size_t starN = 0;
    while (name[n]) {
        if (p < core.length && core.start[p] == u'*') {
            starSeen = true;
            starP = ++p;
            starN = n;
        } else if (p < core.length &&
                   (core.start[p] == u'?' || UpperAscii(core.start[p]) == name[n])) {
            ++p;
            ++n;
        } else if (starSeen) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < core.length && core.start[p] == u'*') {
        ++p;
    }
    return p == core.length;
}

struct Search {
    PatternCore core;
    bool print; // print each match's syntax line as it is met
    uint32_t matches;
    const HelpNode* one; // the first match
};

// Composing buffers: one search runs at a time, on the host's thread.
char16_t g_text[kLineUnits];
HelpContent g_help;

// In name order, which is the table's order.
void Walk(const HelpNode* node, Search* search) {
    if (!node) {
        return;
    }
    Walk(node->left, search);
    if (Matches(node->name, search->core)) {
        if (++search->matches == 1) {
            search->one = node;
        }
        if (search->print) {
            Utf8ToUtf16(node->syntax, {g_text, kSyntaxUnits});
            HostPrint(u"%s\r\n", g_text);
        }
    }
    Walk(node->right, search);
}

// The help as the user reads it anywhere: the syntax line, then an empty line and each line of
// the description, each line ended as the command's other lines.
void PrintHelp(const HelpNode* node) {
    ComposeHelp(node, &g_help);
    if (!g_help.syntax[0]) {
        return;
    }
    HostPrint(u"%s\r\n", g_help.syntax);
    if (!g_help.description[0]) {
        return;
    }
    HostPrint(u"\r\n");
    char16_t* line = g_help.description;
    for (;;) {
        char16_t* end = line;
        while (*end && *end != u'\n') {
            ++end;
        }
        bool last = *end == 0;
        *end = 0;
        if (end > line && end[-1] == u'\r') {
            end[-1] = 0; // a line break written as CR LF in the help file is one break
        }
        HostPrint(u"%s\r\n", line);
        if (last) {
            return;
        }
        line = end + 1;
    }
}

} // namespace

bool FunctionMatches(const char16_t* name, const char16_t* pattern) {
    return name && pattern && Matches(name, CoreOfPattern(pattern));
}

bool ShowMatchingHelp(const char16_t* pattern) {
    if (!HelpTableRoot()) {
        WriteErrorPrefix();
        HostPrintTo(ErrorHandle(),
                    u"No help is loaded to look up \"%s\" in.  Use HBAR /L to load it.\r\n",
                    pattern);
        return false;
    }
    Search search = {CoreOfPattern(pattern), false, 0, nullptr};
    Walk(HelpTableRoot(), &search);
    if (search.matches == 0) {
        WriteErrorPrefix();
        HostPrintTo(ErrorHandle(), u"No function matches \"%s\".\r\n", pattern);
        return false;
    }
    if (search.matches == 1) {
        PrintHelp(search.one);
        return true;
    }
    search.print = true;
    search.matches = 0;
    Walk(HelpTableRoot(), &search);
    HostPrint(u"%s match \"%s\".\r\n", FormatCount(search.matches), pattern);
    return true;
}
