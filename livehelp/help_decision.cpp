// The bracket decision: which function's help a typed bracket asks for, if any.
#include "livehelp/help_decision.h"

#include "base/function_name.h"
#include "base/limits.h"

#include <climits>

namespace {
constexpr int kStackEntries = 64;

// One opening bracket before the cursor, as the closing-bracket scan keeps it.
struct OpenBracket {
    int position; // of the bracket in the line
    int percent;  // of the last "%" before the bracket, or -1
    bool named;   // a function name stands right before the bracket
};

// The number of units before the cursor, or -1 when the event does not give a cursor inside
// a zero-terminated line: a missing line or cursor, a cursor before the line, or a terminator
// before the cursor. Reads nothing beyond the cursor or the terminator.
int UnitsBeforeCursor(const char16_t* line, const char16_t* cursor) {
    if (!line || !cursor ||
        reinterpret_cast<uintptr_t>(cursor) < reinterpret_cast<uintptr_t>(line)) {
        return -1;
    }
    int length = 0;
    for (const char16_t* p = line; p != cursor; ++p, ++length) {
        if (*p == 0 || length == INT_MAX) {
            return -1;
        }
    }
    return length;
}

// The name of %@NAME ending length units into the line, given where the last "%" before
// that point stands (-1 for none). Letting the caller carry the "%" keeps a scan over many
// brackets linear.
int NameAfterPercent(const char16_t* line, int length, int percent, char16_t* name) {
    name[0] = 0;
    if (percent < 0 || length - percent - 1 < 2 || line[percent + 1] != u'@') {
        return 0;
    }
    const char16_t* start = line + percent + 2;
    int count = length - percent - 2;
    if (!IsFunctionNameStart(start[0]) || count >= kNameUnits) {
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (!IsFunctionNameUnit(start[i])) {
            name[0] = 0;
            return 0;
        }
        name[i] = UpperAscii(start[i]);
    }
    name[count] = 0;
    return count;
}

HelpDecision Nothing() {
    return {HelpAction::Nothing, nullptr, false};
}

// "[": the help of the function named right before the cursor, even one whose entry has no
// syntax line (its empty text clears the help away).
HelpDecision DecideOpening(const char16_t* line, int length, const HelpNode* table) {
    char16_t name[kNameUnits];
    if (ExtractFunctionName(line, length, name) <= 0) {
        return Nothing();
    }
    const HelpNode* node = FindHelpEntry(table, name);
    if (!node) {
        return Nothing();
    }
    return {HelpAction::ShowHelp, node, true};
}

// "]": the typed bracket closes the innermost open list; the help wanted is that of the
// nearest named list further out, and only that one.
HelpDecision DecideClosing(const char16_t* line, int length, const HelpNode* table,
                           bool helpShownThisLine) {
    char16_t name[kNameUnits];
    OpenBracket stack[kStackEntries];
    int depth = 0;
    int overflow = 0; // brackets opened beyond the stack and not yet closed
    int percent = -1;
    for (int i = 0; i < length; ++i) {
        char16_t unit = line[i];
        if (unit == u'%') {
            percent = i;
        } else if (unit == u'[') {
            if (depth == kStackEntries) {
                ++overflow;
            } else {
                stack[depth].position = i;
                stack[depth].percent = percent;
                stack[depth].named = NameAfterPercent(line, i, percent, name) > 0;
                ++depth;
            }
        } else if (unit == u']') {
            if (overflow) {
                --overflow;
            } else if (depth) {
                --depth;
            }
        }
    }
    if (overflow) {
        return Nothing(); // the cursor lies deeper than the stack can follow
    }
    for (int e = depth - 2; e >= 0; --e) {
        if (stack[e].named) {
            NameAfterPercent(line, stack[e].position, stack[e].percent, name);
            const HelpNode* node = FindHelpEntry(table, name);
            if (node && node->syntax && node->syntax[0]) {
                return {HelpAction::ShowHelp, node, false};
            }
            break;
        }
    }
    // Until help was shown on this line, what shows is the host's own text: it stays.
    return helpShownThisLine ? HelpDecision{HelpAction::PutBackSaved, nullptr, false} : Nothing();
}
} // namespace

int ExtractFunctionName(const char16_t* line, int length, char16_t* name) {
    if (!line || !name) {
        return -1;
    }
    int percent = length - 1;
    while (percent >= 0 && line[percent] != u'%') {
        --percent;
    }
    return NameAfterPercent(line, length, percent, name);
}

HelpDecision DecideBracketHelp(int32_t key, const char16_t* line, const char16_t* cursor,
                               const HelpNode* table, bool helpShownThisLine) {
    if ((key != u'[' && key != u']') || !table) {
        return Nothing();
    }
    int length = UnitsBeforeCursor(line, cursor);
    if (length < 0) {
        return Nothing();
    }
    return key == u'[' ? DecideOpening(line, length, table)
                       : DecideClosing(line, length, table, helpShownThisLine);
}
