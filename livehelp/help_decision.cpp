// The bracket decision: which function's help a typed bracket asks for, if any.
#include "livehelp/help_decision.h"

#include "base/function_name.h"
#include "base/limits.h"
#include "platform/unicode.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {
constexpr int kStackEntries = 64;

// One opening bracket before the cursor that is still open there.
struct OpenBracket {
    int position; // of the bracket in the line
    int percent;  // of the last "%" before the bracket, or -1
    int commas;   // commas at this bracket's own depth so far
};

// The brackets still open at the end of a text, innermost last, as far as the stack follows.
struct OpenBrackets {
    OpenBracket stack[kStackEntries];
    int depth;
    int overflow; // brackets opened beyond the stack and not yet closed
};

// Four UTF-16 units as one word.
uint64_t LoadWord(const char16_t* units) {
    uint64_t word;
    std::memcpy(&word, units, sizeof word);
    return word;
}

// Whether any of the four units of a word equals the unit: XOR leaves a lane zero exactly
// where it matches, and the borrow test finds whether any lane is zero.
bool AnyLaneIs(uint64_t word, char16_t unit) {
    constexpr uint64_t kLanes = 0x0001000100010001ull;
    uint64_t x = word ^ (kLanes * unit);
    return ((x - kLanes) & ~x & 0x8000800080008000ull) != 0;
}

// Lanes of the word equal to the unit, as the top bit of each lane.
uint64_t LanesEqual(uint64_t word, char16_t unit) {
    constexpr uint64_t kLanes = 0x0001000100010001ull;
    uint64_t x = word ^ (kLanes * unit);
    return (x - kLanes) & ~x & 0x8000800080008000ull;
}

// Whether any of the four units from here is "%", "[", "]" or ",", which the follow scan
// acts on.
bool HoldsCallUnit(const char16_t* units) {
    uint64_t word = LoadWord(units);
    return (LanesEqual(word, u'%') | LanesEqual(word, u'[') | LanesEqual(word, u']') |
            LanesEqual(word, u',')) != 0;
}

// The number of units before the cursor, or -1 when the event does not give a cursor inside
// a zero-terminated line: a missing line or cursor, a cursor before the line or between two
// units, or a terminator before the cursor. Reads nothing beyond the cursor, and past a
// terminator only the rest of its aligned word, which never lies on another page.
int UnitsBeforeCursor(const char16_t* line, const char16_t* cursor) {
    if (!line || !cursor) {
        return -1;
    }
    uintptr_t start = reinterpret_cast<uintptr_t>(line);
    uintptr_t end = reinterpret_cast<uintptr_t>(cursor);
    if (end < start || (end - start) % sizeof(char16_t) != 0 ||
        (end - start) / sizeof(char16_t) > static_cast<uintptr_t>(INT_MAX)) {
        return -1;
    }
    int length = static_cast<int>((end - start) / sizeof(char16_t));
    int i = 0;
    for (; i < length && reinterpret_cast<uintptr_t>(line + i) % sizeof(uint64_t) != 0; ++i) {
        if (line[i] == 0) {
            return -1;
        }
    }
    for (; length - i >= 4; i += 4) {
        if (AnyLaneIs(LoadWord(line + i), 0)) {
            return -1;
        }
    }
    for (; i < length; ++i) {
        if (line[i] == 0) {
            return -1;
        }
    }
    return length;
}

// The name of %@NAME ending length units into the line, given where the last "%" before
// that point stands (-1 for none). Letting the caller carry the "%" keeps a scan over many
// brackets linear.
int NameAfterPercent(const char16_t* line, int length, int percent,
                     std::span<char16_t, kNameUnits> name) {
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
        name[static_cast<size_t>(i)] = UpperAscii(start[i]);
    }
    name[static_cast<size_t>(count)] = 0;
    return count;
}

// Reads the text once: plain text passes eight units at a time, since only "%", "[", "]" and
// "," count.
void ScanOpenBrackets(const char16_t* text, int length, OpenBrackets* open) {
    open->depth = 0;
    open->overflow = 0;
    int percent = -1;
    for (int i = 0; i < length; ++i) {
        while ((i & 7) == 0 && length - i >= 8 && !HoldsCallUnit(text + i) &&
               !HoldsCallUnit(text + i + 4)) {
            i += 8;
        }
        if (i >= length) {
            break;
        }
        char16_t unit = text[i];
        if (unit == u'%') {
            percent = i;
        } else if (unit == u'[') {
            if (open->depth == kStackEntries) {
                ++open->overflow;
            } else {
                open->stack[open->depth++] = {i, percent, 0};
            }
        } else if (unit == u']') {
            if (open->overflow) {
                --open->overflow;
            } else if (open->depth) {
                --open->depth;
            }
        } else if (unit == u',' && open->depth && !open->overflow) {
            ++open->stack[open->depth - 1].commas;
        }
    }
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
    OpenBrackets open;
    ScanOpenBrackets(line, length, &open);
    if (open.overflow) {
        return Nothing(); // the cursor lies deeper than the stack can follow
    }
    for (int e = open.depth - 2; e >= 0; --e) {
        const OpenBracket& call = open.stack[e];
        if (NameAfterPercent(line, call.position, call.percent, name) > 0) {
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
    return NameAfterPercent(line, length, percent,
                            std::span<char16_t, kNameUnits>(name, kNameUnits));
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

namespace {

// The text before the cursor once the key is in: a working copy, since the key is not in the
// host's line yet. Its length, or -1 when it does not fit.
int TextAfterKey(int32_t key, const char16_t* line, int length,
                 std::span<char16_t, kLineUnits> text) {
    if (length >= kLineUnits - 2) {
        return -1;
    }
    auto units = static_cast<size_t>(length);
    std::memcpy(text.data(), line, units * sizeof(char16_t));
    if (key == kBackspaceKey) {
        if (units >= 2 && IsLowSurrogate(text[units - 1]) && IsHighSurrogate(text[units - 2])) {
            return length - 2;
        }
        return length > 0 ? length - 1 : 0;
    }
    bool character = key >= 0x20 && key != 0x7F && key <= static_cast<int32_t>(kLastCodePoint) &&
                     !IsSurrogate(static_cast<uint32_t>(key));
    if (!character) {
        return length;
    }
    auto c = static_cast<uint32_t>(key);
    if (c > 0xFFFF) {
        text[units] = HighSurrogateOf(c);
        text[units + 1] = LowSurrogateOf(c);
        return length + 2;
    }
    text[units] = static_cast<char16_t>(c);
    return length + 1;
}

} // namespace

FollowDecision DecideFollow(int32_t key, const char16_t* line, const char16_t* cursor,
                            const HelpNode* table) {
    FollowDecision decision = {};
    decision.kind = FollowKind::Nothing;
    int before = UnitsBeforeCursor(line, cursor);
    if (!table || before < 0) {
        return decision;
    }
    static char16_t text[kLineUnits]; // the host's thread alone runs the decision
    int length = TextAfterKey(key, line, before, text);
    if (length < 0) {
        return decision;
    }
    // A name being typed ends at the cursor and follows "%@": looked for from the end, so that
    // a long line is not read twice.
    int start = length;
    while (start > 0 && length - start < kNameUnits && IsFunctionNameUnit(text[start - 1])) {
        --start; // no further than the longest name
    }
    if (start < length && start >= 2 && text[start - 1] == u'@' && text[start - 2] == u'%' &&
        ExtractFunctionName(text, length, decision.prefix) > 0) {
        decision.kind = FollowKind::Naming;
        return decision;
    }
    OpenBrackets open;
    ScanOpenBrackets(text, length, &open);
    if (open.overflow) {
        return decision; // the cursor lies deeper than the scan can follow
    }
    char16_t name[kNameUnits];
    for (int e = open.depth - 1; e >= 0; --e) {
        if (NameAfterPercent(text, open.stack[e].position, open.stack[e].percent, name) > 0) {
            const HelpNode* node = FindHelpEntry(table, name);
            if (node) {
                decision.kind = FollowKind::InCall;
                decision.node = node;
                decision.argument = open.stack[e].commas;
            }
            break;
        }
    }
    decision.prefix[0] = 0;
    return decision;
}

namespace {

bool BeginsWith(const char16_t* name, const char16_t* prefix) {
    for (; *prefix; ++prefix, ++name) {
        if (*name != *prefix) {
            return false;
        }
    }
    return true;
}

// In name order: the names that begin with the prefix lie together, so a subtree is entered
// only on the side where they can be.
void Collect(const HelpNode* node, const char16_t* prefix, std::span<const HelpNode*> shown,
             uint32_t* count) {
    while (node) {
        if (BeginsWith(node->name, prefix)) {
            Collect(node->left, prefix, shown, count);
            if (*count < shown.size()) {
                shown[*count] = node;
            }
            ++*count;
            node = node->right;
        } else if (CompareHelpNames(node->name, prefix) < 0) {
            node = node->right;
        } else {
            node = node->left;
        }
    }
}

} // namespace

uint32_t MatchingNames(const HelpNode* table, const char16_t* prefix,
                       std::span<const HelpNode*> shown) {
    uint32_t count = 0;
    if (prefix && prefix[0]) {
        Collect(table, prefix, shown, &count);
    }
    return count;
}
