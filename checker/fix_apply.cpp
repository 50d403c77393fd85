// Fixes made round by round on copies of the bytes, then the mended file read again and
// compared with the file as it was. A fix that does not hold up is left out and the fixes are
// made again without it; when what goes wrong cannot be laid at any fix's door, nothing is
// mended.
#include "checker/fix_apply.h"

#include "base/format16.h"
#include "base/text16.h"
#include "checker/grow.h"
#include "checker/input_spool.h"
#include "helptable/help_table.h"
#include "textinput/text_lines.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int kRounds = 4; // a fix can show another finding that has a fix of its own

// A fix of a line or of the file: its finding's line and code.
struct Key {
    uint32_t line;
    int32_t code;
};

bool operator<(const Key& a, const Key& b) {
    return a.line != b.line ? a.line < b.line : a.code < b.code;
}

// A fix made, with what tells whom to blame when something goes wrong.
struct Applied {
    Key key;
    bool wide; // it changes how the whole file reads: stray bytes written as UTF-8, a mark
    char16_t entry[kNameUnits]; // the entry it makes of its line, or empty
};

// One attempt at mending the file: the fixes made, the lines they touched, the bytes as they
// leave them, and what the checker finds in those bytes.
struct Attempt {
    HeapArray<Applied> applied;
    HeapArray<uint32_t> changed; // the lines an edit touched, in order once the attempt is done
    HeapArray<uint8_t> mended;   // no items until a round made a fix
    FindingList findings;        // of the mended bytes
    CheckResult result;
};

// The file as it was, which every attempt starts from and is compared with.
struct Original {
    const uint8_t* data;
    uint32_t size;
    FindingList findings;
    CheckResult result;
};

// What the mended file does that it must not.
enum : int { kRemains, kNewFinding, kFunctionChanged, kFewerFunctions, kLinesMoved, kTooLarge };
struct Violation {
    int kind;
    Key key;                   // kRemains, kNewFinding: the finding; kFunctionChanged: its line
    char16_t name[kNameUnits]; // kFunctionChanged: the function
};

using Violations = HeapArray<Violation>;
using KeyList = HeapArray<Key>;

bool HasKey(const KeyList& sorted, Key key) {
    return std::binary_search(sorted.items, sorted.items + sorted.count, key);
}

[[nodiscard]] bool Note(Violations* v, int kind, Key key, const char16_t* name) {
    Violation item = {kind, key, {}};
    Str16Copy({item.name, kNameUnits}, name ? name : u"");
    return Push(v, item);
}

int CodeIndex(const Finding& f) {
    return FindCheckCode(f.code, Str16Len(f.code));
}

bool IsWide(int32_t code) {
    return code == FindCheckCode(u"stray-byte", 10) || code == FindCheckCode(u"add-bom", 7);
}

// The warnings and errors of a list, by line and code, in order; false when memory ran out.
[[nodiscard]] bool KeysOf(const FindingList& findings, KeyList* keys) {
    for (uint32_t i = 0; i < findings.count; ++i) {
        const Finding& f = findings.items[i];
        if (f.severity >= kSeverityWarning && !Push(keys, Key{f.line, CodeIndex(f)})) {
            return false; // GCOVR_EXCL_LINE: the C heap, which no test can make fail
        }
    }
    std::sort(keys->items, keys->items + keys->count);
    return true;
}

// The findings and functions of bytes, every finding kept; false when memory ran out.
[[nodiscard]] bool Check(const uint8_t* data, uint32_t size, const Encoding* forced,
                         FindingList* findings, CheckResult* result) {
    *findings = FindingList{};
    *result = CheckResult{};
    findings->keepAll = true;
    return CheckHelpBytes(data, size, forced, findings, result) == 0 && !findings->incomplete;
}

// An edit placed among the others of its round.
struct Placed {
    const FixEdit* edit;
    uint32_t fix; // the index of its fix
};

enum class Round { Made, OutOfMemory, TooLarge };

// One round: the fixes of plan that the attempt may make in the bytes as they stand (data),
// made into next; next has no items when there were none.
Round MakeRound(CodeSet codes, const KeyList& banned, const FixList& fixes, const uint8_t* data,
                uint32_t size, Attempt* a, HeapArray<uint8_t>* next) {
    HeapArray<Placed> placing;
    HeapArray<bool> refused;
    // GCOVR_EXCL_BR_START: the C heap, which no test can make fail
    if (!MakeZeroed(&placing, fixes.editCount + 1) || !MakeZeroed(&refused, fixes.count + 1)) {
        return Round::OutOfMemory;
    }
    // GCOVR_EXCL_BR_STOP
    Placed* placed = placing.items;
    for (uint32_t i = 0; i < fixes.count; ++i) {
        const Fix* fix = ActiveFix(&fixes, i);
        refused.items[i] =
            !fix || (codes & CodeBit(fix->code)) == 0 || HasKey(banned, Key{fix->line, fix->code});
    }
    // Two edits at the same place, or overlapping, cannot both be made: the later fix waits
    // for the next round, when the first has been made.
    uint32_t count = 0;
    for (bool again = true; again;) {
        again = false;
        count = 0;
        for (uint32_t i = 0; i < fixes.count; ++i) {
            for (uint32_t e = 0; !refused.items[i] && e < fixes.items[i].count; ++e) {
                placed[count++] = Placed{&fixes.edits[fixes.items[i].first + e], i};
            }
        }
        std::stable_sort(placed, placed + count, [](const Placed& x, const Placed& y) {
            return x.edit->offset < y.edit->offset;
        });
        for (uint32_t k = 1; k < count; ++k) {
            const FixEdit* before = placed[k - 1].edit;
            bool clash = placed[k].edit->offset < before->offset + before->length ||
                         placed[k].edit->offset == before->offset;
            if (clash && placed[k].fix != placed[k - 1].fix) {
                refused.items[placed[k].fix] = true;
                again = true;
            }
        }
    }
    if (count == 0) {
        return Round::Made;
    }
    uint64_t grown = size;
    for (uint32_t k = 0; k < count; ++k) {
        grown += placed[k].edit->byteCount;
        grown -= placed[k].edit->length;
    }
    if (grown > kLargestHelpFile) {
        return Round::TooLarge;
    }
    if (!MakeZeroed(next, static_cast<uint32_t>(grown))) { // GCOVR_EXCL_BR_LINE: the C heap
        return Round::OutOfMemory;
    }
    uint8_t* made = next->items;
    uint32_t from = 0;
    uint32_t to = 0;
    for (uint32_t k = 0; k < count; ++k) {
        const FixEdit& e = *placed[k].edit;
        memcpy(made + to, data + from, e.offset - from);
        to += e.offset - from;
        memcpy(made + to, e.bytes, e.byteCount);
        to += e.byteCount;
        from = e.offset + e.length;
    }
    memcpy(made + to, data + from, size - from);
    for (uint32_t i = 0; i < fixes.count; ++i) {
        const Fix& fix = fixes.items[i];
        if (refused.items[i]) {
            continue;
        }
        Applied done = {Key{fix.line, fix.code}, IsWide(fix.code), {}};
        Str16Copy({done.entry, kNameUnits}, fix.entry);
        if (!Push(&a->applied, done)) { // GCOVR_EXCL_BR_LINE: the C heap
            return Round::OutOfMemory;
        }
        // A mark before the first line changes no line's text.
        bool mark = fix.code == FindCheckCode(u"add-bom", 7);
        for (uint32_t e = 0; !mark && e < fix.count; ++e) {
            if (!Push(&a->changed, fixes.edits[fix.first + e].line)) { // GCOVR_EXCL_BR_LINE
                return Round::OutOfMemory;
            }
        }
    }
    return Round::Made;
}

// The rounds of one attempt, from the file as it was and without the banned fixes: each
// round makes the fixes that the findings of the bytes as they stand offer, up to kRounds.
Round MakeRounds(const Original& was, CodeSet codes, const KeyList& banned, Attempt* a) {
    // The first round plans from the findings of the file as it was.
    const FindingList* plan = &was.findings;
    for (int round = 0; round < kRounds; ++round) {
        bool made = a->mended.items != nullptr;
        HeapArray<uint8_t> next;
        Round status = MakeRound(codes, banned, plan->fixes, made ? a->mended.items : was.data,
                                 made ? a->mended.count : was.size, a, &next);
        if (status != Round::Made || !next.items) {
            return status;
        }
        a->mended = std::move(next);
        if (!Check(a->mended.items, a->mended.count, nullptr, &a->findings, &a->result)) {
            return Round::OutOfMemory; // GCOVR_EXCL_LINE: the C heap
        }
        plan = &a->findings;
    }
    return Round::Made;
}

// The line breaks of bytes as the plug-in reads them.
uint32_t Breaks(const uint8_t* data, uint32_t size) {
    static char16_t line[kLineUnits];
    TextSource source = {};
    TextLineReport report = {};
    if (OpenTextBytes(&source, data, size).outcome == SourceOpen::Opened) {
        while (ReadTextLineReported(&source, line, &report) == LineRead::Line) {
        }
    }
    return report.breaks;
}

bool Changed(const Attempt& a, uint32_t line) {
    return std::binary_search(a.changed.items, a.changed.items + a.changed.count, line);
}

// What the mended file does that it must not, against the file as it was (its findings and
// functions, and the same bytes read as the mended file is read). False when memory ran out.
[[nodiscard]] bool Verify(const Original& was, const Attempt& a, Violations* out) {
    KeyList old;
    KeyList now;
    if (!KeysOf(was.findings, &old) || !KeysOf(a.findings, &now)) { // GCOVR_EXCL_BR_LINE
        return false;
    }
    for (uint32_t i = 0; i < a.applied.count; ++i) {
        const Key& key = a.applied.items[i].key;
        if (HasKey(now, key) && !Note(out, kRemains, key, nullptr)) { // GCOVR_EXCL_BR_LINE
            return false;
        }
    }
    // A finding of a line is new when the line gives more of its code than it did.
    for (uint32_t i = 0; i < now.count; ++i) {
        const Key& k = now.items[i];
        const Key* first = std::lower_bound(old.items, old.items + old.count, k);
        const Key* last = std::upper_bound(old.items, old.items + old.count, k);
        auto had = static_cast<uint32_t>(last - first);
        uint32_t has = 1;
        while (i + 1 < now.count && !(k < now.items[i + 1])) {
            ++has;
            ++i;
        }
        if (has > had && !Note(out, kNewFinding, k, nullptr)) { // GCOVR_EXCL_BR_LINE
            return false;
        }
    }
    bool fewer = a.result.count < was.result.count;
    if (fewer && !Note(out, kFewerFunctions, Key{0, 0}, nullptr)) { // GCOVR_EXCL_BR_LINE
        return false;
    }
    // A fix never adds or removes a line; a file read anew (UTF-8 where it was read in the code
    // page) might, where a character of the new reading ends a line.
    bool moved = Breaks(a.mended.items, a.mended.count) != Breaks(was.data, was.size);
    if (moved && !Note(out, kLinesMoved, Key{0, 0}, nullptr)) { // GCOVR_EXCL_BR_LINE
        return false;
    }
    // Each line that no fix touched keeps its function, read as the mended file is read: a
    // file whose stray bytes became UTF-8 is compared with its old bytes read as UTF-8.
    FindingList unused;
    CheckResult baseline;
    const CheckResult* base = &was.result;
    if (a.result.encoding != was.result.encoding) {
        if (!Check(was.data, was.size, &a.result.encoding, &unused, &baseline)) {
            return false; // GCOVR_EXCL_LINE: the C heap, which no test can make fail
        }
        base = &baseline;
    }
    for (uint32_t i = 0; i < base->count; ++i) {
        const CheckedEntry& b = base->functions[i];
        if (Changed(a, b.line)) {
            continue;
        }
        const CheckedEntry* f = FindCheckedFunction(&a.result, b.name);
        bool same = f && f->line == b.line && strcmp(f->syntax, b.syntax) == 0 &&
                    (f->info && b.info ? strcmp(f->info, b.info) == 0 : f->info == b.info);
        if (!same && !Note(out, kFunctionChanged, Key{b.line, 0}, b.name)) { // GCOVR_EXCL_BR_LINE
            return false;
        }
    }
    return true;
}

void Describe(const Violation& v, char16_t* text, size_t capacity) {
    const char16_t* code =
        v.key.code >= 0 && v.key.code < kCheckCodeCount ? kCheckCodes[v.key.code].name : u"";
    switch (v.kind) {
    case kRemains:
        if (v.key.line) {
            Format16({text, capacity}, u"its finding on line %u would remain [%s]", v.key.line,
                     code);
        } else {
            Format16({text, capacity}, u"its finding would remain [%s]", code);
        }
        return;
    case kNewFinding:
        if (v.key.line) {
            Format16({text, capacity}, u"line %u would give a finding it does not give now [%s]",
                     v.key.line, code);
        } else {
            Format16({text, capacity}, u"the file would give a finding it does not give now [%s]",
                     code);
        }
        return;
    case kFunctionChanged:
        Format16({text, capacity},
                 u"@%s of line %u, which no fix touches, would not load as it does now", v.name,
                 v.key.line);
        return;
    case kFewerFunctions:
        Format16({text, capacity}, u"the plug-in would load fewer functions");
        return;
    case kLinesMoved:
        Format16({text, capacity}, u"the plug-in would read the file in other lines");
        return;
    default:
        Format16({text, capacity},
                 u"the mended file would hold more than 4,294,967,295 bytes, the largest file "
                 u"the plug-in loads");
        return;
    }
}

enum class Blamed { None, Some, OutOfMemory };

// The fixes to blame for a violation, added to banned with the reason; None when none that
// is not banned already can be blamed.
Blamed Blame(const Violation& v, const Attempt& a, KeyList* banned, FixOutcome* outcome) {
    bool blamed = false;
    for (int pass = 0; pass < 2 && !blamed; ++pass) {
        // First the fixes of the line itself, or those that make the function; then those
        // that change how the whole file reads.
        for (uint32_t i = 0; i < a.applied.count; ++i) {
            const Applied& made = a.applied.items[i];
            bool guilty = false;
            if (pass == 1) {
                guilty = made.wide && v.kind != kRemains;
            } else if (v.kind == kRemains) {
                guilty = !(made.key < v.key) && !(v.key < made.key);
            } else if (v.kind == kNewFinding) {
                guilty = v.key.line != 0 && !made.wide && made.key.line == v.key.line;
            } else if (v.kind == kFunctionChanged) {
                guilty = made.entry[0] && CompareHelpNames(made.entry, v.name) == 0;
            }
            if (!guilty || HasKey(*banned, made.key)) {
                continue;
            }
            if (!Push(banned, made.key)) { // GCOVR_EXCL_BR_LINE: out of memory
                return Blamed::OutOfMemory;
            }
            std::sort(banned->items, banned->items + banned->count);
            if (outcome->leftOutCount < kLeftOutKept) {
                LeftOutFix& left = outcome->leftOut[outcome->leftOutCount];
                left.line = made.key.line;
                left.code = made.key.code;
                Describe(v, left.why, sizeof left.why / sizeof left.why[0]);
            }
            ++outcome->leftOutCount;
            blamed = true;
        }
    }
    return blamed ? Blamed::Some : Blamed::None;
}

// The fixes to blame for what an attempt did wrong. Lines read anew cannot be compared line
// by line: only the fixes that change the reading are to blame then.
Blamed BlameAll(const Violations& found, const Attempt& a, KeyList* banned, FixOutcome* outcome) {
    uint32_t moved = found.count;
    for (uint32_t i = 0; i < found.count; ++i) {
        moved = found.items[i].kind == kLinesMoved ? i : moved;
    }
    Blamed blamed = Blamed::None;
    for (uint32_t i = 0; i < found.count; ++i) {
        if (moved == found.count || i == moved) {
            Blamed one = Blame(found.items[i], a, banned, outcome);
            if (one == Blamed::OutOfMemory) { // GCOVR_EXCL_BR_LINE: the C heap
                return one;
            }
            blamed = one == Blamed::Some ? one : blamed;
        }
    }
    return blamed;
}

// Refuses the whole mending, for the reason v.
void Refuse(const Violation& v, FixOutcome* outcome) {
    outcome->refused = true;
    Describe(v, outcome->why, kMessageUnits);
}

} // namespace

FixStatus FixHelpBytes(const uint8_t* data, uint32_t size, CodeSet codes, FixOutcome* outcome) {
    if (!data || !outcome) {
        return kFixOutOfMemory;
    }
    ReleaseFixOutcome(outcome);
    Original was = {data, size, {}, {}};
    if (!Check(data, size, nullptr, &was.findings, &was.result)) { // GCOVR_EXCL_BR_LINE
        return kFixOutOfMemory;
    }
    KeyList banned; // fixes left out, sorted
    Round round = Round::Made;
    for (;;) {
        // Each attempt starts again from the file as it was, without the fixes to blame.
        Attempt a;
        round = MakeRounds(was, codes, banned, &a);
        if (round != Round::Made || a.applied.count == 0) {
            break;
        }
        std::sort(a.changed.items, a.changed.items + a.changed.count);
        Violations found;
        if (!Verify(was, a, &found)) { // GCOVR_EXCL_BR_LINE: the C heap
            round = Round::OutOfMemory;
            break;
        }
        if (found.count == 0) {
            // The mended file holds up.
            outcome->size = a.mended.count;
            outcome->data = TakeItems(&a.mended);
            outcome->fixed = a.applied.count;
            outcome->findings = std::move(a.findings);
            outcome->result = std::move(a.result);
            return kFixDone;
        }
        Blamed blamed = BlameAll(found, a, &banned, outcome);
        if (blamed == Blamed::OutOfMemory) { // GCOVR_EXCL_BR_LINE: the C heap
            round = Round::OutOfMemory;
            break;
        }
        if (blamed == Blamed::None) {
            Refuse(found.items[0], outcome);
            break;
        }
    }
    if (round == Round::TooLarge) {
        // Growing past the largest file is no fix's fault alone: nothing is mended.
        Refuse(Violation{kTooLarge, Key{0, 0}, {}}, outcome);
    }
    outcome->findings = std::move(was.findings);
    outcome->result = std::move(was.result);
    return round == Round::OutOfMemory ? kFixOutOfMemory : kFixDone;
}

FixOutcome::~FixOutcome() {
    free(data);
}

void ReleaseFixOutcome(FixOutcome* outcome) {
    if (!outcome) {
        return;
    }
    free(outcome->data);
    outcome->data = nullptr;
    outcome->size = 0;
    outcome->fixed = 0;
    outcome->refused = false;
    outcome->why[0] = 0;
    outcome->leftOutCount = 0;
    outcome->findings = FindingList{};
    outcome->result = CheckResult{};
}
