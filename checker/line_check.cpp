// One line's findings. Whether the line is an entry, and where its pieces lie, comes from the
// plug-in's own parser; the texts are made as the loader makes them. What is added here is
// only the looking: which passed-over lines were meant as entries, and what the author loses.
#include "checker/line_check.h"

#include "base/format16.h"
#include "base/messages.h"
#include "base/text16.h"
#include "helptable/help_grammar.h"
#include "helptable/help_loader.h"
#include "helptable/help_table.h"
#include "checker/line_fix.h"
#include "livehelp/help_text.h"
#include "platform/utf8.h"
#include "textinput/encoding.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kWholeBytes = kLineUnits * 3; // any text of a line in UTF-8
constexpr size_t kExcerptUnits = 40;           // of a text quoted in a message
constexpr char16_t kReplacement = 0xFFFD;

// Working storage, reused from line to line: the checker reads one line at a time.
struct LineWork {
    char16_t name[kNameUnits];
    char16_t syntax[kSyntaxUnits];
    char16_t info[kLineUnits];
    char syntax8[kSyntaxBytes];
    char info8[kInfoBytes];
    char whole8[kWholeBytes];
    char16_t back[kInfoBytes]; // a UTF-8 text read back, to count its units
    char16_t shown[kLineUnits];
    char16_t excerpt[kExcerptUnits + 2];
    char16_t excerpt2[kExcerptUnits + 2];
    char16_t fixed[kLineUnits]; // a line as a fix would leave it
    char16_t fixedName[kNameUnits];
    char16_t fixedSyntax[kSyntaxUnits];
    char16_t fixedInfo[kLineUnits];
};
LineWork g_work;
uint32_t g_nulLine = 0; // the last line whose NUL was reported

// A short quotation of text[from, to) in out (kExcerptUnits + 2 units), ending in an ellipsis
// when it is cut.
const char16_t* Excerpt(const char16_t* text, size_t from, size_t to, char16_t* out) {
    size_t n = 0;
    while (from + n < to && text[from + n] && n < kExcerptUnits) {
        out[n] = text[from + n];
        ++n;
    }
    if (n == kExcerptUnits && text[from + n] && from + n < to) {
        if (IsHighSurrogate(out[n - 1])) {
            --n;
        }
        out[n++] = 0x2026;
    }
    out[n] = 0;
    return out;
}

// Past the blanks from `at`, as an entry's indent and the gap around its separator are read.
size_t SkipSpace(const char16_t* line, size_t at) {
    return SkipHelpBlanks(Utf16HelpReader{line}, at);
}

// A "[" at `at` or later, before any white space.
bool BracketSoon(const char16_t* line, size_t at) {
    for (; line[at] && !IsSpaceUnit(line[at]); ++at) {
        if (line[at] == u'[') {
            return true;
        }
    }
    return false;
}

// What follows a would-be name that marks the line as meant for an entry: a "[" close by, an
// opening bracket of another kind, nothing at all, or a separator as between an entry's
// syntax and its description. Anything else is taken for ordinary text, such as a note that
// begins with a function's name.
bool LooksMeant(const char16_t* line, size_t end) {
    char16_t unit = line[end];
    if (unit == u'(' || unit == u'{' || unit == u'<' || BracketSoon(line, end)) {
        return true;
    }
    size_t at = SkipSpace(line, end);
    if (!line[at] || line[at] == u'[') {
        return true;
    }
    size_t past = SkipHelpSeparator(line, at);
    return past > at && (!line[past] || IsSpaceUnit(line[past]));
}

uint32_t Column(const TextLineReport* report, size_t index) {
    return report->column + static_cast<uint32_t>(index) + 1;
}

// Characters that take no room on screen, with what an author calls them.
const char16_t* InvisibleName(char16_t unit) {
    switch (unit) {
    case 0xFEFF:
        return u"a byte-order mark";
    case 0x200B:
        return u"a zero-width space";
    case 0x200C:
        return u"a zero-width non-joiner";
    case 0x200D:
        return u"a zero-width joiner";
    case 0x200E:
    case 0x200F:
        return u"a direction mark";
    case 0x00AD:
        return u"a soft hyphen";
    case 0x2060:
        return u"a word joiner";
    default:
        return nullptr;
    }
}

// The character at `at` as a message names it: in quotes when it can be seen, else (beyond
// U+FFFF, invisible, a control) as U+XXXX. out: 32 units. Sets *units to its length in units.
const char16_t* CharacterName(const char16_t* at, char16_t* out, size_t* units) {
    char16_t unit = at[0];
    bool pair = IsSurrogatePair(unit, at[1]);
    *units = pair ? 2 : 1;
    if (pair) {
        unsigned code = CombineSurrogates(unit, at[1]);
        Format16({out, 32}, u"U+%X", code);
    } else if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || InvisibleName(unit) ||
               IsSurrogate(unit) || IsSpaceUnit(unit)) {
        Format16({out, 32}, u"U+%04X", unit);
    } else {
        Format16({out, 32}, u"\"%c\"", unit);
    }
    return out;
}

bool QuietEntry(const char16_t* line, const HelpLineVerdict& v);

// The line as the edits leave it, parsed by the plug-in's own parser: the name of the entry
// it then is (in g_work.fixedName), or null when it is no entry or does not fit. The info of
// the parse stays in g_work.fixedInfo. A line that was no entry before must make a quiet one:
// a fix that only trades one warning for another is no fix.
const char16_t* EntryAfter(const char16_t* line, const LineEdit* edits, size_t count,
                           HelpLineVerdict* v, bool wasEntry) {
    if (!EditLine(line, edits, count, g_work.fixed) ||
        ParseHelpLineVerdict(g_work.fixedName, g_work.fixed, g_work.fixedSyntax, g_work.fixedInfo,
                             v) <= 0 ||
        (!wasEntry && !QuietEntry(g_work.fixed, *v))) {
        return nullptr;
    }
    return g_work.fixedName;
}

// The fix of a marker finding: every character that keeps "@NAME[" from beginning the line
// removed or written in ASCII, when the line is then an entry.
void FixMarker(const TextSource* source, const char16_t* line, const TextLineReport* report,
               FindingList* findings, const size_t* places, bool removeAfter) {
    // places: the invisible run, the marker, the "@", the unit after it, the bracket.
    size_t invisible = places[0], marker = places[1], at = places[2], after = places[3];
    size_t bracket = places[4];
    LineEdit edits[5];
    size_t count = 0;
    if (marker > invisible) {
        edits[count++] = {static_cast<uint32_t>(invisible), static_cast<uint32_t>(marker), u""};
    }
    if (at > marker) {
        edits[count++] = {static_cast<uint32_t>(marker), static_cast<uint32_t>(at), u""};
    }
    if (line[at] == 0xFF20) {
        edits[count++] = {static_cast<uint32_t>(at), static_cast<uint32_t>(at + 1), u"@"};
    }
    if (removeAfter) {
        edits[count++] = {static_cast<uint32_t>(after), static_cast<uint32_t>(after + 1), u""};
    }
    if (line[bracket] == 0xFF3B) {
        edits[count++] = {static_cast<uint32_t>(bracket), static_cast<uint32_t>(bracket + 1), u"["};
    }
    HelpLineVerdict v;
    const char16_t* entry = EntryAfter(line, edits, count, &v, false);
    if (entry) {
        char16_t what[kFixWhatUnits];
        Format16(what, u"begin the entry with \"@%s[\"", entry);
        AddLineFix(findings, source, report, line, u"marker", what, entry, edits, count);
    }
}

// A line meant as an entry whose "@" is not where the plug-in looks for it: invisible
// characters or a byte-order mark before it, "%@", the fullwidth "@" or "[", or a blank, a
// second "@" or another character between the "@" and the name. Only a line that then goes
// on with a name and its "[" is taken for one meant as an entry. True when it was reported.
bool CheckMarker(const TextSource* source, const char16_t* line, const TextLineReport* report,
                 FindingList* findings) {
    size_t at = SkipSpace(line, 0);
    size_t invisible = at;
    while (InvisibleName(line[at])) {
        ++at;
    }
    size_t marker = at;
    bool percent = line[at] == u'%' && line[at + 1] == u'@';
    at += percent ? 1 : 0;
    if (line[at] != u'@' && line[at] != 0xFF20) {
        return false;
    }
    bool fullwidthAt = line[at] == 0xFF20;
    size_t atPlace = at;
    size_t after = ++at;
    size_t skipped = 0; // units between the "@" and the name
    if (line[at] == u'@' || (line[at] && IsSpaceUnit(line[at]))) {
        skipped = 1;
    } else if (line[at] && !IsFunctionNameUnit(line[at])) {
        CharacterName(line + at, g_work.excerpt2, &skipped);
    }
    at += skipped;
    if (!IsFunctionNameStart(line[at])) {
        return false;
    }
    size_t nameStart = at;
    while (IsFunctionNameUnit(line[at]) && at - nameStart < kNameUnits) {
        ++at;
    }
    bool fullwidthBracket = line[at] == 0xFF3B;
    if (line[at] != u'[' && !fullwidthBracket) {
        return false;
    }
    const char16_t* name = Excerpt(line, nameStart, at, g_work.excerpt);
    uint32_t number = report->number;
    const char16_t* code = u"marker";
    char16_t what[32];
    size_t units = 0;
    if (marker > invisible) {
        AddFinding(findings, number, Column(report, invisible), kSeverityError, code,
                   u"%s (%s) stands before \"@%s\": the line is not an entry; remove it",
                   CharacterName(line + invisible, what, &units), InvisibleName(line[invisible]),
                   name);
    } else if (percent) {
        AddFinding(findings, number, Column(report, marker), kSeverityError, code,
                   u"\"%%@%s[\" is how a command line calls the function; a help line begins "
                   u"\"@%s[\": remove the \"%%\"",
                   name, name);
    } else if (fullwidthAt || (fullwidthBracket && skipped == 0)) {
        size_t place = fullwidthAt ? marker : at;
        AddFinding(findings, number, Column(report, place), kSeverityError, code,
                   u"the fullwidth \"%c\" (U+%04X) where \"%c\" belongs: the line is not an "
                   u"entry; write the ASCII \"%c\"",
                   line[place], line[place], fullwidthAt ? u'@' : u'[', fullwidthAt ? u'@' : u'[');
    } else if (skipped == 0) {
        return false; // "@NAME[" itself: an entry, or a name too long, said elsewhere
    } else if (line[after] == u'@') {
        AddFinding(findings, number, Column(report, after), kSeverityError, code,
                   u"\"@@%s\": the plug-in takes one \"@\" before a name; remove the other", name);
    } else if (IsSpaceUnit(line[after])) {
        AddFinding(findings, number, Column(report, after), kSeverityError, code,
                   u"%s between \"@\" and \"%s\": the line is not an entry; remove it",
                   line[after] == u' ' ? u"a blank" : CharacterName(line + after, what, &units),
                   name);
    } else {
        AddFinding(findings, number, Column(report, after), kSeverityError, code,
                   u"%s between \"@\" and \"%s\" is no part of a name: the line is not an entry; "
                   u"remove it",
                   g_work.excerpt2, name);
    }
    // A blank or a second "@" after the "@" is removed; another character may be meant.
    bool removeAfter = skipped == 1 && (line[after] == u'@' || IsSpaceUnit(line[after]));
    if (skipped == 0 || removeAfter) {
        size_t places[5] = {invisible, marker, atPlace, after, at};
        FixMarker(source, line, report, findings, places, removeAfter);
    }
    return true;
}

// A line that begins with "@" and a name but is passed over.
void CheckPassedOver(const TextSource* source, const char16_t* line, const TextLineReport* report,
                     const HelpLineVerdict& v, FindingList* findings) {
    size_t start = v.nameStart;
    size_t end = v.nameEnd;
    if (CheckMarker(source, line, report, findings) || v.reason == kHelpLineNoMarker ||
        end == start || !LooksMeant(line, end)) {
        return;
    }
    const char16_t* name = Excerpt(line, start, end, g_work.excerpt);
    uint32_t number = report->number;
    switch (v.reason) {
    case kHelpLineNameStart:
        AddFinding(findings, number, Column(report, start), kSeverityError, u"name-start",
                   u"a name begins with a letter, not \"%c\": \"@%s\" is not an entry", line[start],
                   name);
        return;
    case kHelpLineNameTooLong:
        AddFinding(findings, number, Column(report, start), kSeverityError, u"name-too-long",
                   u"the name is %u characters long, more than the 47 a name may have: the line "
                   u"is not an entry",
                   static_cast<unsigned>(end - start));
        return;
    default:
        break;
    }
    char16_t unit = line[end];
    size_t next = SkipSpace(line, end);
    if (IsSpaceUnit(unit) && line[next] == u'[') {
        AddFinding(findings, number, Column(report, end), kSeverityError, u"no-bracket",
                   u"white space between \"@%s\" and its \"[\": the line is not an entry", name);
        LineEdit gap = {static_cast<uint32_t>(end), static_cast<uint32_t>(next), u""};
        HelpLineVerdict after;
        const char16_t* entry = EntryAfter(line, &gap, 1, &after, false);
        if (entry) {
            AddLineFix(findings, source, report, line, u"no-bracket",
                       u"remove the white space before \"[\"", entry, &gap, 1);
        }
    } else if (unit == u'(' || unit == u'{' || unit == u'<') {
        AddFinding(findings, number, Column(report, end), kSeverityError, u"no-bracket",
                   u"the arguments of \"@%s\" open with \"%c\", where \"[\" belongs: the line is "
                   u"not an entry",
                   name, unit);
    } else if (unit && !IsSpaceUnit(unit) && BracketSoon(line, end + 1)) {
        char16_t what[32];
        size_t units = 0;
        AddFinding(findings, number, Column(report, end), kSeverityError, u"name-character",
                   u"%s may not stand in a name (letters, digits, \"_\" and \"$\"): \"@%s\" "
                   u"ends before it, and the line is not an entry",
                   CharacterName(line + end, what, &units), name);
    } else {
        AddFinding(findings, number, Column(report, end), kSeverityError, u"no-bracket",
                   u"no \"[\" after \"@%s\": the line is not an entry", name);
    }
}

bool IsControl(char16_t unit) {
    return (unit < 0x20 && unit != u'\t') || (unit >= 0x7F && unit <= 0x9F);
}

// Control characters in the shown parts: the syntax line and the description.
void CheckControls(const char16_t* line, const TextLineReport* report, const HelpLineVerdict& v,
                   FindingList* findings) {
    size_t first = 0;
    unsigned count = 0;
    size_t length = Str16Len(line);
    for (size_t i = 0; i < length; ++i) {
        bool shown = i < v.syntaxKept || i >= v.info;
        if (shown && IsControl(line[i]) && count++ == 0) {
            first = i;
        }
    }
    if (count == 1) {
        AddFinding(findings, report->number, Column(report, first), kSeverityWarning, u"control",
                   u"control character U+%04X: the status bar cannot show it", line[first]);
    } else if (count > 1) {
        AddFinding(findings, report->number, Column(report, first), kSeverityWarning, u"control",
                   u"%u control characters, the first U+%04X: the status bar cannot show them",
                   count, line[first]);
    }
}

// A surrogate without its other half, which becomes U+FFFD when the text is stored.
bool IsLoneSurrogate(const char16_t* line, size_t i) {
    char16_t unit = line[i];
    if (IsHighSurrogate(unit)) {
        return !IsLowSurrogate(line[i + 1]);
    }
    if (IsLowSurrogate(unit)) {
        return i == 0 || !IsHighSurrogate(line[i - 1]);
    }
    return false;
}

struct Replaced {
    unsigned count;
    size_t index; // of the first
    char16_t message[kFindingUnits];
};

void Note(Replaced* r, size_t index, const char16_t* format, unsigned value) {
    if (r->count++ == 0) {
        r->index = index;
        Format16({r->message, kFindingUnits}, format, value);
    }
}

// Why a character of the source was read as U+FFFD.
void ExplainReplacement(const TextSource* s, const DecodedChar& c, uint32_t from, size_t index,
                        Replaced* decode, Replaced* replaced) {
    switch (c.kind) {
    case CharKind::BeyondLast:
        if (FormOf(s->encoding).unitBytes == 4) {
            Note(decode, index, u"0x%08X is no character: it shows as U+FFFD", c.encoded);
        } else {
            Note(decode, index,
                 u"U+%X lies beyond U+10FFFF, the last character: it shows as U+FFFD", c.encoded);
        }
        return;
    case CharKind::Surrogate:
        Note(decode, index, u"UTF-8 does not allow the surrogate U+%04X: it shows as U+FFFD",
             c.encoded);
        return;
    case CharKind::IllFormed:
    case CharKind::Cut:
        if (s->encoding == Encoding::Ansi) {
            Note(decode, index,
                 u"byte 0x%02X has no character in the code page: it shows as U+FFFD",
                 s->data[from]);
        } else {
            Note(decode, index, u"byte 0x%02X is not UTF-8 here: it shows as U+FFFD",
                 s->data[from]);
        }
        return;
    default:
        break; // U+FFFD itself
    }
    Note(replaced, index,
         u"U+FFFD, the replacement character, stands in the text: something was lost before "
         u"this file was written",
         0);
}

// Characters that show as U+FFFD: bytes that do not decode, lone surrogates, and U+FFFD
// itself. Each is traced back to its bytes by decoding the
// line again from its start.
void CheckReplacements(TextSource* source, const char16_t* line, const TextLineReport* report,
                       FindingList* findings) {
    size_t length = Str16Len(line);
    bool any = false;
    for (size_t i = 0; i < length && !any; ++i) {
        any = line[i] == kReplacement || IsSurrogate(line[i]);
    }
    if (!any) {
        return;
    }
    static Replaced decode;
    static Replaced replaced;
    decode.count = replaced.count = 0;
    // Each character decoded is one unit of the line, or two for one beyond U+FFFF.
    uint32_t at = report->start;
    for (size_t i = 0; i < length;) {
        DecodedChar c = DecodeChar(*source, at);
        if (line[i] == kReplacement) {
            ExplainReplacement(source, c, at, i, &decode, &replaced);
        } else if (IsLoneSurrogate(line, i)) {
            Note(&replaced, i, u"the lone surrogate U+%04X shows as U+FFFD", line[i]);
        }
        at += c.length;
        i += c.value > 0xFFFF ? 2 : 1;
    }
    Replaced* kinds[] = {&decode, &replaced};
    for (Replaced* r : kinds) {
        if (r->count == 0) {
            continue;
        }
        const char16_t* code = r == &decode ? u"decode" : u"replacement";
        if (r->count == 1) {
            AddFinding(findings, report->number, Column(report, r->index), kSeverityWarning, code,
                       u"%s", r->message);
        } else {
            AddFinding(findings, report->number, Column(report, r->index), kSeverityWarning, code,
                       u"%s (and %u more on this line)", r->message, r->count - 1);
        }
    }
}

// Whether an entry line gives none of the warnings of its own texts: its brackets balance, its
// syntax line fits, nothing is left over before the description, and it holds no control
// character and nothing that shows as U+FFFD. (A minus sign taken for the separator has a
// fix of its own; a text too long for the status bar is left to the check after the fixes.)
bool QuietEntry(const char16_t* line, const HelpLineVerdict& v) {
    size_t at = SkipSpace(line, v.close);
    if (!v.balanced || v.syntaxKept < v.close || line[at] == u']' || line[at] == u')') {
        return false;
    }
    for (size_t i = 0; line[i]; ++i) {
        bool shown = i < v.syntaxKept || i >= v.info;
        if ((shown && IsControl(line[i])) || line[i] == kReplacement || IsLoneSurrogate(line, i)) {
            return false;
        }
    }
    return true;
}

// A "-" (or a hyphen) that was meant to begin the description, such as the sign of "-1",
// taken for the separator because no blank follows it.
void CheckSeparator(const TextSource* source, const char16_t* line, const TextLineReport* report,
                    const HelpLineVerdict& v, FindingList* findings) {
    char16_t unit = line[v.separator];
    if (!(unit == u'-' || (unit >= 0x2010 && unit <= 0x2012))) {
        return;
    }
    size_t past = SkipHelpSeparator(line, v.separator);
    if (past != v.info || !line[past]) {
        return;
    }
    AddFinding(findings, report->number, Column(report, v.separator), kSeverityWarning,
               u"separator",
               u"\"%s\" is read as the separator, not as part of the description, which begins "
               u"\"%s\"",
               Excerpt(line, v.separator, past, g_work.excerpt),
               Excerpt(line, past, Str16Len(line), g_work.excerpt2));
    // A separator of its own before it, which leaves the whole of it to the description.
    bool blank = v.separator > 0 && IsSpaceUnit(line[v.separator - 1]);
    LineEdit insert = {v.separator, v.separator, blank ? u"- " : u" - "};
    HelpLineVerdict after;
    if (EntryAfter(line, &insert, 1, &after, true) &&
        Str16Equal(g_work.fixedInfo, line + v.separator)) {
        AddLineFix(findings, source, report, line, u"separator",
                   blank ? u"insert \"- \" before it" : u"insert \" - \" before it", u"", &insert,
                   1);
    }
}

// A description that begins with what belongs to the syntax: a "]" or ")" left over after the
// brackets balanced, as in "@SYN[a]] - x".
void CheckDebris(const char16_t* line, const TextLineReport* report, const HelpLineVerdict& v,
                 FindingList* findings) {
    size_t at = v.close;
    while (line[at] && IsSpaceUnit(line[at])) {
        ++at;
    }
    if (line[at] != u']' && line[at] != u')') {
        return;
    }
    AddFinding(findings, report->number, Column(report, at), kSeverityWarning, u"debris",
               u"\"%c\" after the balanced syntax line is shown as the start of the description "
               u"\"%s\": remove it, or balance the brackets",
               line[at], Excerpt(line, v.info, Str16Len(line), g_work.excerpt));
}

// A copy of a text on the C heap, or null.
char* CopyText(const char* text) {
    size_t bytes = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(bytes));
    if (copy) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        memcpy(copy, text, bytes);
    }
    return copy;
}

// The characters of text[from, to): a surrogate pair is one.
unsigned Characters(const char16_t* text, size_t from, size_t to) {
    unsigned count = 0;
    for (size_t i = from; i < to; ++i) {
        bool pair = i + 1 < to && IsSurrogatePair(text[i], text[i + 1]);
        i += pair ? 1 : 0;
        ++count;
    }
    return count;
}

// Units of a UTF-8 text once read back as UTF-16.
size_t Units16(const char* text) {
    return Utf8ToUtf16(text, {g_work.back, kInfoBytes});
}

// The texts of an entry, made as the loader makes them, and what is cut on the way: the
// line, the syntax line, the UTF-8 forms, the status bar's text.
void CheckCuts(const char16_t* line, const TextLineReport* report, const HelpLineVerdict& v,
               CheckedEntry* entry, FindingList* findings) {
    uint32_t number = report->number;
    auto kept = static_cast<uint32_t>(Str16Len(line));
    if (report->length > kept) {
        AddFinding(findings, number, Column(report, kept), kSeverityWarning, u"line-too-long",
                   u"the line is %u UTF-16 units long: the plug-in reads the first %u and drops "
                   u"%u",
                   report->length, kept, report->length - kept);
    }
    if (!v.balanced) {
        AddFinding(findings, number, Column(report, v.nameEnd), kSeverityWarning, u"unbalanced",
                   u"no \"]\" balances this \"[\": the syntax line runs to the end of the line, "
                   u"and there is no description");
    }
    if (v.syntaxKept < v.close) {
        AddFinding(findings, number, Column(report, v.syntaxKept), kSeverityWarning,
                   u"syntax-too-long",
                   u"the syntax line is %u UTF-16 units long: the plug-in keeps the first %u and "
                   u"drops %u",
                   v.close, v.syntaxKept, v.close - v.syntaxKept);
    }
    size_t whole = Utf16ToUtf8(g_work.syntax, {g_work.whole8, kWholeBytes});
    size_t bytes = KeptSyntaxBytes(g_work.whole8, whole);
    memcpy(g_work.syntax8, g_work.whole8, bytes);
    g_work.syntax8[bytes] = 0;
    size_t syntaxUnits = Units16(g_work.syntax8);
    unsigned lostSyntax = Characters(g_work.syntax, syntaxUnits, Str16Len(g_work.syntax));
    if (bytes < whole) {
        AddFinding(findings, number, Column(report, syntaxUnits), kSeverityWarning,
                   u"utf8-too-long",
                   u"the syntax line takes %u bytes in UTF-8, more than the %u the plug-in keeps: "
                   u"it loses its last %u %s",
                   static_cast<unsigned>(whole), static_cast<unsigned>(kSyntaxBytes - 1),
                   lostSyntax, Pluralize(lostSyntax, u"character"));
    }
    g_work.info8[0] = 0;
    size_t infoUnits = 0;
    if (g_work.info[0]) {
        whole = Utf16ToUtf8(g_work.info, {g_work.whole8, kWholeBytes});
        bytes = KeptInfoBytes(g_work.whole8, whole);
        memcpy(g_work.info8, g_work.whole8, bytes);
        g_work.info8[bytes] = 0;
        infoUnits = Units16(g_work.info8);
        unsigned lostInfo = Characters(g_work.info, infoUnits, Str16Len(g_work.info));
        if (bytes < whole) {
            AddFinding(findings, number, Column(report, v.info + infoUnits), kSeverityWarning,
                       u"utf8-too-long",
                       u"the description takes %u bytes in UTF-8, more than the %u the plug-in "
                       u"keeps: it loses its last %u %s",
                       static_cast<unsigned>(whole), static_cast<unsigned>(kInfoBytes - 1),
                       lostInfo, Pluralize(lostInfo, u"character"));
        }
    }

    // The status bar's text: a marker, the syntax line, a line break and an empty line, and
    // the description, in one buffer of its own size.
    HelpNode node = {};
    node.syntax = g_work.syntax8;
    node.info = g_work.info8[0] ? g_work.info8 : nullptr;
    ComposeHelpText(&node, g_work.shown);
    size_t full = 1 + syntaxUnits + (node.info ? 3 + infoUnits : 0);
    size_t shown = Str16Len(g_work.shown);
    if (shown < full) {
        size_t infoShown = shown > 4 + syntaxUnits ? shown - 4 - syntaxUnits : 0;
        // g_work.back holds the description as stored, read back.
        unsigned lostShown = Characters(g_work.back, infoShown, infoUnits);
        AddFinding(findings, number, Column(report, v.info + infoShown), kSeverityWarning,
                   u"help-too-long",
                   u"the help comes to %u UTF-16 units, more than the %u the status bar's text "
                   u"holds: the description loses its last %u %s",
                   static_cast<unsigned>(full), kLineUnits - 1, lostShown,
                   Pluralize(lostShown, u"character"));
    }

    Str16Copy({entry->name, kNameUnits}, g_work.name);
    entry->line = number;
    entry->column = Column(report, v.nameStart - 1);
    entry->unbalanced = !v.balanced;
    entry->syntax = CopyText(g_work.syntax8);
    entry->info = node.info ? CopyText(g_work.info8) : nullptr;
}

} // namespace

void BeginLineChecks() {
    g_nulLine = 0;
}

int CheckLine(TextSource* source, const char16_t* line, const TextLineReport* report,
              FindingList* findings, CheckedEntry* entry) {
    if (!source || !line || !report || !findings || !entry) {
        return -1;
    }
    *entry = CheckedEntry{};
    // Only the first NUL of a line is worth a word: a file full of them is in another
    // encoding than the one it was read in, which the encoding note says. A line that follows
    // a NUL on the same line has a column; one that a NUL ends, a flag.
    bool fresh = report->number != g_nulLine;
    if (fresh && (report->column > 0 || report->endsInNul)) {
        g_nulLine = report->number;
        uint32_t column = report->column > 0 ? report->column : Column(report, report->length);
        AddFinding(findings, report->number, column, kSeverityWarning, u"nul",
                   u"a NUL character ends the line here for the plug-in; what follows on this line "
                   u"is read as a line of its own");
    }
    HelpLineVerdict v;
    if (ParseHelpLineVerdict(g_work.name, line, g_work.syntax, g_work.info, &v) <= 0) {
        CheckPassedOver(source, line, report, v, findings);
        return 0;
    }
    CheckCuts(line, report, v, entry, findings);
    CheckSeparator(source, line, report, v, findings);
    CheckDebris(line, report, v, findings);
    CheckControls(line, report, v, findings);
    CheckReplacements(source, line, report, findings);
    if (!entry->syntax || (g_work.info8[0] && !entry->info)) { // GCOVR_EXCL_BR_LINE: out of memory
        free(entry->syntax);
        free(entry->info);
        *entry = CheckedEntry{};
        return -1;
    }
    return 1;
}
