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

// One attempt at mending the file: the fixes made, the lines they touched, and what the
// checker finds in the bytes as they stand.
struct Attempt {
    Applied* applied;
    uint32_t appliedCount;
    uint32_t appliedCapacity;
    uint32_t* changed; // the lines an edit touched, in order once the attempt is done
    uint32_t changedCount;
    uint32_t changedCapacity;
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

struct Violations {
    Violation* items;
    uint32_t count;
    uint32_t capacity;
};

struct KeyList {
    Key* items;
    uint32_t count;
    uint32_t capacity;
};

bool AddKey(KeyList* list, Key key) {
    if (!GrowFor(&list->items, list->count, &list->capacity)) { // GCOVR_EXCL_BR_LINE
        return false;
    }
    list->items[list->count++] = key;
    return true;
}

bool HasKey(const KeyList& sorted, Key key) {
    return std::binary_search(sorted.items, sorted.items + sorted.count, key);
}

bool Note(Violations* v, int kind, Key key, const char16_t* name) {
    if (!GrowFor(&v->items, v->count, &v->capacity)) { // GCOVR_EXCL_BR_LINE
        return false;
    }
    Violation& item = v->items[v->count++];
    item = Violation{kind, key, {}};
    Str16Copy({item.name, kNameUnits}, name ? name : u"");
    return true;
}

int CodeIndex(const Finding& f) {
    return FindCheckCode(f.code, Str16Len(f.code));
}

bool IsWide(int32_t code) {
    return code == FindCheckCode(u"stray-byte", 10) || code == FindCheckCode(u"add-bom", 7);
}

// The warnings and errors of a list, by line and code, in order.
bool KeysOf(const FindingList& findings, KeyList* keys) {
    for (uint32_t i = 0; i < findings.count; ++i) {
        const Finding& f = findings.items[i];
        if (f.severity >= kSeverityWarning && !AddKey(keys, Key{f.line, CodeIndex(f)})) {
            return false; // GCOVR_EXCL_LINE: the C heap, which no test can make fail
        }
    }
    std::sort(keys->items, keys->items + keys->count);
    return true;
}

void ReleaseAttempt(Attempt* a) {
    free(a->applied);
    free(a->changed);
    ReleaseFindings(&a->findings);
    ReleaseCheckResult(&a->result);
    *a = Attempt{};
}

int Check(const uint8_t* data, uint32_t size, const Encoding* forced, FindingList* findings,
          CheckResult* result) {
    *findings = FindingList{};
    *result = CheckResult{};
    findings->keepAll = true;
    if (CheckHelpBytes(data, size, forced, findings, result) != 0 || findings->incomplete) {
        return -1;
    }
    return 0;
}

// An edit placed among the others of its round.
struct Placed {
    const FixEdit* edit;
    uint32_t fix; // the index of its fix
};

// One round: the fixes the attempt may make in the bytes as they stand (data), made, into
// *next on the C heap; *next is null when there were none. Returns 0; -1 when memory ran out;
// 1 when the file would grow past what the plug-in loads.
int MakeRound(CodeSet codes, const KeyList& banned, const uint8_t* data, uint32_t size, Attempt* a,
              uint8_t** next, uint32_t* nextSize) {
    *next = nullptr;
    const FixList& fixes = a->findings.fixes;
    auto* placed = static_cast<Placed*>(malloc((fixes.editCount + 1) * sizeof(Placed)));
    auto* refused = static_cast<bool*>(calloc(fixes.count + 1, sizeof(bool)));
    if (!placed || !refused) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        free(placed);
        free(refused);
        return -1;
    }
    for (uint32_t i = 0; i < fixes.count; ++i) {
        const Fix* fix = ActiveFix(&fixes, i);
        refused[i] =
            !fix || (codes & CodeBit(fix->code)) == 0 || HasKey(banned, Key{fix->line, fix->code});
    }
    // Two edits at the same place, or overlapping, cannot both be made: the later fix waits
    // for the next round, when the first has been made.
    uint32_t count = 0;
    for (bool again = true; again;) {
        again = false;
        count = 0;
        for (uint32_t i = 0; i < fixes.count; ++i) {
            for (uint32_t e = 0; !refused[i] && e < fixes.items[i].count; ++e) {
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
                refused[placed[k].fix] = true;
                again = true;
            }
        }
    }
    int status = 0;
    uint64_t grown = size;
    for (uint32_t k = 0; k < count; ++k) {
        grown += placed[k].edit->byteCount;
        grown -= placed[k].edit->length;
    }
    if (count > 0 && grown > kLargestHelpFile) {
        status = 1;
    } else if (count > 0) {
        uint8_t* made = static_cast<uint8_t*>(malloc(grown ? static_cast<size_t>(grown) : 1));
        status = made ? 0 : -1; // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        uint32_t from = 0;
        uint32_t to = 0;
        for (uint32_t k = 0; made && k < count; ++k) {
            const FixEdit& e = *placed[k].edit;
            memcpy(made + to, data + from, e.offset - from);
            to += e.offset - from;
            memcpy(made + to, e.bytes, e.byteCount);
            to += e.byteCount;
            from = e.offset + e.length;
        }
        if (made) {
            memcpy(made + to, data + from, size - from);
        }
        for (uint32_t i = 0; made && i < fixes.count && status == 0; ++i) {
            const Fix& fix = fixes.items[i];
            if (refused[i]) {
                continue;
            }
            status = GrowFor(&a->applied, a->appliedCount, &a->appliedCapacity) ? 0 : -1;
            if (status == 0) {
                Applied& done = a->applied[a->appliedCount++];
                done = Applied{Key{fix.line, fix.code}, IsWide(fix.code), {}};
                Str16Copy({done.entry, kNameUnits}, fix.entry);
            }
            // A mark before the first line changes no line's text.
            bool mark = fix.code == FindCheckCode(u"add-bom", 7);
            for (uint32_t e = 0; !mark && e < fix.count && status == 0; ++e) {
                status = GrowFor(&a->changed, a->changedCount, &a->changedCapacity) ? 0 : -1;
                if (status == 0) {
                    a->changed[a->changedCount++] = fixes.edits[fix.first + e].line;
                }
            }
        }
        *next = made;
        *nextSize = static_cast<uint32_t>(grown);
    }
    free(placed);
    free(refused);
    return status;
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
    return std::binary_search(a.changed, a.changed + a.changedCount, line);
}

// What the mended file does that it must not, against the file as it was (its findings and
// functions, and the same bytes read as the mended file is read).
int Verify(const FindingList& before, const CheckResult& was, const uint8_t* original,
           uint32_t size, const uint8_t* mended, uint32_t mendedSize, const Attempt& a,
           Violations* out) {
    KeyList old = {};
    KeyList now = {};
    int status = KeysOf(before, &old) && KeysOf(a.findings, &now) ? 0 : -1;
    for (uint32_t i = 0; i < a.appliedCount && status == 0; ++i) {
        if (HasKey(now, a.applied[i].key)) {
            status = Note(out, kRemains, a.applied[i].key, nullptr) ? 0 : -1;
        }
    }
    // A finding of a line is new when the line gives more of its code than it did.
    for (uint32_t i = 0; i < now.count && status == 0; ++i) {
        const Key& k = now.items[i];
        const Key* first = std::lower_bound(old.items, old.items + old.count, k);
        const Key* last = std::upper_bound(old.items, old.items + old.count, k);
        auto had = static_cast<uint32_t>(last - first);
        uint32_t has = 1;
        while (i + 1 < now.count && !(k < now.items[i + 1])) {
            ++has;
            ++i;
        }
        if (has > had) {
            status = Note(out, kNewFinding, k, nullptr) ? 0 : -1;
        }
    }
    free(old.items);
    free(now.items);
    if (status == 0 && a.result.count < was.count) {
        status = Note(out, kFewerFunctions, Key{0, 0}, nullptr) ? 0 : -1;
    }
    // A fix never adds or removes a line; a file read anew (UTF-8 where it was read in the code
    // page) might, where a character of the new reading ends a line.
    if (status == 0 && Breaks(mended, mendedSize) != Breaks(original, size)) {
        status = Note(out, kLinesMoved, Key{0, 0}, nullptr) ? 0 : -1;
    }
    // Each line that no fix touched keeps its function, read as the mended file is read: a
    // file whose stray bytes became UTF-8 is compared with its old bytes read as UTF-8.
    FindingList unused = {};
    CheckResult baseline = {};
    const CheckResult* base = &was;
    if (status == 0 && a.result.encoding != was.encoding) {
        status = Check(original, size, &a.result.encoding, &unused, &baseline);
        base = &baseline;
    }
    for (uint32_t i = 0; i < base->count && status == 0; ++i) {
        const CheckedEntry& b = base->functions[i];
        if (Changed(a, b.line)) {
            continue;
        }
        const CheckedEntry* f = FindCheckedFunction(&a.result, b.name);
        bool same = f && f->line == b.line && strcmp(f->syntax, b.syntax) == 0 &&
                    (f->info && b.info ? strcmp(f->info, b.info) == 0 : f->info == b.info);
        if (!same) {
            status = Note(out, kFunctionChanged, Key{b.line, 0}, b.name) ? 0 : -1;
        }
    }
    ReleaseFindings(&unused);
    ReleaseCheckResult(&baseline);
    return status;
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

// The fixes to blame for a violation, added to banned with the reason; false when none that
// is not banned already can be blamed.
bool Blame(const Violation& v, const Attempt& a, KeyList* banned, FixOutcome* outcome) {
    bool blamed = false;
    for (int pass = 0; pass < 2 && !blamed; ++pass) {
        // First the fixes of the line itself, or those that make the function; then those
        // that change how the whole file reads.
        for (uint32_t i = 0; i < a.appliedCount; ++i) {
            const Applied& made = a.applied[i];
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
            if (!AddKey(banned, made.key)) { // GCOVR_EXCL_BR_LINE: out of memory
                return false;
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
    return blamed;
}

} // namespace

int FixHelpBytes(const uint8_t* data, uint32_t size, CodeSet codes, FixOutcome* outcome) {
    if (!data || !outcome) {
        return -1;
    }
    *outcome = FixOutcome{};
    FindingList before = {};
    CheckResult was = {};
    if (Check(data, size, nullptr, &before, &was) != 0) { // GCOVR_EXCL_BR_LINE: out of memory
        ReleaseFindings(&before);
        ReleaseCheckResult(&was);
        return -1;
    }
    KeyList banned = {};
    int status = 0;
    Attempt a = {};
    uint8_t* current = nullptr; // the bytes as the fixes so far leave them
    uint32_t currentSize = size;
    for (;;) {
        a = Attempt{};
        // The first round plans from the findings of the file as it was.
        a.findings = before;
        bool borrowed = true;
        for (int round = 0; round < kRounds && status == 0; ++round) {
            uint8_t* next = nullptr;
            uint32_t nextSize = 0;
            status = MakeRound(codes, banned, current ? current : data, currentSize, &a, &next,
                               &nextSize);
            if (!next || status != 0) {
                free(next);
                break;
            }
            free(current);
            current = next;
            currentSize = nextSize;
            if (!borrowed) {
                ReleaseFindings(&a.findings);
                ReleaseCheckResult(&a.result);
            }
            borrowed = false;
            status = Check(current, currentSize, nullptr, &a.findings, &a.result);
        }
        if (borrowed) {
            a.findings = FindingList{};
        }
        if (status != 0 || a.appliedCount == 0) {
            break;
        }
        std::sort(a.changed, a.changed + a.changedCount);
        Violations found = {};
        status = Verify(before, was, data, size, current, currentSize, a, &found);
        // Lines read anew cannot be compared line by line: only the fixes that change the
        // reading are to blame then.
        uint32_t moved = found.count;
        for (uint32_t i = 0; i < found.count; ++i) {
            moved = found.items[i].kind == kLinesMoved ? i : moved;
        }
        bool blamed = false;
        for (uint32_t i = 0; i < found.count && status == 0; ++i) {
            if (moved == found.count || i == moved) {
                blamed = Blame(found.items[i], a, &banned, outcome) || blamed;
            }
        }
        if (status == 0 && found.count > 0 && !blamed) {
            outcome->refused = true;
            Describe(found.items[0], outcome->why, kMessageUnits);
        }
        free(found.items);
        if (status != 0 || found.count == 0 || !blamed) {
            break;
        }
        // Again from the file as it was, without the fixes to blame.
        ReleaseAttempt(&a);
        free(current);
        current = nullptr;
        currentSize = size;
    }
    if (status == 1) {
        // Growing past the largest file is no fix's fault alone: nothing is mended.
        outcome->refused = true;
        Violation v = {kTooLarge, Key{0, 0}, {}};
        Describe(v, outcome->why, kMessageUnits);
        status = 0;
    }
    free(banned.items);
    if (status == 0 && !outcome->refused && a.appliedCount > 0) {
        outcome->data = current;
        outcome->size = currentSize;
        outcome->fixed = a.appliedCount;
        outcome->findings = a.findings;
        outcome->result = a.result;
        current = nullptr;
        a.findings = FindingList{};
        a.result = CheckResult{};
        ReleaseFindings(&before);
        ReleaseCheckResult(&was);
    } else {
        outcome->findings = before;
        outcome->result = was;
    }
    free(current);
    ReleaseAttempt(&a);
    return status;
}

void ReleaseFixOutcome(FixOutcome* outcome) {
    if (!outcome) {
        return;
    }
    free(outcome->data);
    ReleaseFindings(&outcome->findings);
    ReleaseCheckResult(&outcome->result);
    *outcome = FixOutcome{};
}
