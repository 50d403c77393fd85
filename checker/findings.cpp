// The findings of one file, kept in one growing array.
#include "checker/findings.h"

#include "base/format16.h"
#include "base/text16.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>

namespace {

void Untally(FindingList* list, int code, int32_t severity, uint32_t count) {
    list->tally[severity] -= count;
    list->byCode[code] -= count;
}

// One unit as the excerpt shows it: a tab as a blank, other controls as their pictures, and
// characters that take no room as a middle dot.
char16_t Shown(char16_t unit) {
    if (unit == u'\t') {
        return u' ';
    }
    if (unit < 0x20) {
        return static_cast<char16_t>(0x2400 + unit);
    }
    if (unit == 0x7F) {
        return 0x2421;
    }
    bool zeroWidth = (unit >= 0x80 && unit <= 0x9F) || (unit >= 0x200B && unit <= 0x200F) ||
                     unit == 0xFEFF || unit == 0x00AD || (unit >= 0x2060 && unit <= 0x2064);
    return zeroWidth ? 0x00B7 : unit;
}

} // namespace

int AddFinding(FindingList* list, uint32_t line, uint32_t column, int32_t severity,
               const char16_t* code, const char16_t* format, ...) {
    if (!list || !code || !format || severity < kSeverityNote || severity > kSeverityError) {
        return -1;
    }
    int index = FindCheckCode(code, Str16Len(code));
    if (index < 0) {
        return -1;
    }
    ++list->tally[severity];
    list->lastKept = 0;
    if (list->byCode[index]++ >= kFindingsPerCode && !list->keepAll) {
        ++list->uncounted[index];
        return 0;
    }
    if (!GrowFor(&list->items, list->count, &list->capacity)) { // GCOVR_EXCL_BR_LINE
        list->incomplete = true;
        return -1;
    }
    char16_t text[kFindingUnits];
    va_list args;
    va_start(args, format);
    size_t length = Format16V(text, format, args);
    va_end(args);
    char16_t* message = static_cast<char16_t*>(malloc((length + 1) * sizeof(char16_t)));
    if (!message) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        list->incomplete = true;
        return -1;
    }
    Str16Copy({message, length + 1}, text);
    list->items[list->count] =
        Finding{line, column, severity, kCheckCodes[index].name, message, list->count, nullptr,
                0,    column, 0};
    list->lastKept = ++list->count;
    return 0;
}

int32_t StartFix(FindingList* list, uint32_t line, const char16_t* code, const char16_t* what) {
    int index = FindCheckCode(code, Str16Len(code));
    int32_t fix = AddFix(&list->fixes, line, index, what);
    if (fix < 0) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        list->incomplete = true;
        return -1;
    }
    Finding* last = list->lastKept ? &list->items[list->lastKept - 1] : nullptr;
    if (last && last->line == line && last->code == kCheckCodes[index].name) {
        last->fix = static_cast<uint32_t>(fix) + 1;
    }
    return fix;
}

const Fix* FixOf(const FindingList* list, const Finding& finding) {
    return finding.fix ? ActiveFix(&list->fixes, finding.fix - 1) : nullptr;
}

void SortFindings(FindingList* list) {
    if (!list || !list->items) {
        return;
    }
    std::sort(list->items, list->items + list->count, [](const Finding& a, const Finding& b) {
        if (a.line != b.line) {
            return a.line < b.line;
        }
        if (a.column != b.column) {
            return a.column < b.column;
        }
        return a.order < b.order;
    });
}

void DropFindings(FindingList* list, CodeSet codes, const uint32_t* lines,
                  const CodeSet* suppressed, uint32_t count) {
    if (!list) {
        return;
    }
    uint32_t kept = 0;
    for (uint32_t i = 0; i < list->count; ++i) {
        Finding& f = list->items[i];
        int code = FindCheckCode(f.code, Str16Len(f.code));
        bool drop = (codes & CodeBit(code)) == 0;
        for (uint32_t k = 0; k < count && !drop && f.line != 0; ++k) {
            drop = lines[k] == f.line && (suppressed[k] & CodeBit(code)) != 0;
        }
        if (drop) {
            Untally(list, code, f.severity, 1);
            free(f.message);
            free(f.source);
        } else {
            list->items[kept++] = f;
        }
    }
    list->count = kept;
    for (uint32_t i = 0; i < list->fixes.count; ++i) {
        Fix& fix = list->fixes.items[i];
        bool drop = fix.code >= 0 && (codes & CodeBit(fix.code)) == 0;
        for (uint32_t k = 0; k < count && !drop && fix.code >= 0 && fix.line != 0; ++k) {
            drop = lines[k] == fix.line && (suppressed[k] & CodeBit(fix.code)) != 0;
        }
        fix.code = drop ? -1 : fix.code;
    }
    for (int code = 0; code < kCheckCodeCount; ++code) {
        if ((codes & CodeBit(code)) == 0 && list->uncounted[code] > 0) {
            Untally(list, code, kCheckCodes[code].severity, list->uncounted[code]);
            list->uncounted[code] = 0;
        }
    }
}

char16_t* MakeSourceExcerpt(const char16_t* line, size_t index, uint32_t* caret) {
    size_t length = Str16Len(line);
    // A column past what the reader kept of a cut line stands at its end.
    index = index < length ? index : length;
    size_t from = 0;
    // Long lines are shown from some way before the column, so that the caret stays in view.
    if (length > kSourceUnits - 1 && index > kSourceUnits / 2) {
        from = index - kSourceUnits / 2;
        from += IsLowSurrogate(line[from]) ? 1 : 0;
    }
    char16_t* out = static_cast<char16_t*>(malloc(kSourceUnits * sizeof(char16_t)));
    if (!out) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        return nullptr;
    }
    size_t n = 0;
    *caret = 1;
    if (from > 0) {
        out[n++] = 0x2026;
        ++*caret;
    }
    size_t at = from;
    for (; line[at] && n + 2 < kSourceUnits; ++at) {
        if (IsSurrogatePair(line[at], line[at + 1])) {
            if (n + 3 >= kSourceUnits) {
                break; // the pair would not fit with the ellipsis
            }
            out[n++] = line[at++];
            out[n++] = line[at];
        } else {
            out[n++] = Shown(line[at]);
        }
        *caret += at < index ? 1 : 0;
    }
    if (line[at]) {
        out[n++] = 0x2026;
    }
    out[n] = 0;
    return out;
}

void FreeFindingListData(FindingListData* list) {
    for (uint32_t i = 0; i < list->count; ++i) {
        free(list->items[i].message);
        free(list->items[i].source);
    }
    free(list->items);
    ReleaseFixes(&list->fixes);
}

void ReleaseFindings(FindingList* list) {
    if (list) {
        *list = FindingList{};
    }
}

const char16_t* SeverityName(int32_t severity) {
    switch (severity) {
    case kSeverityError:
        return u"error";
    case kSeverityWarning:
        return u"warning";
    default:
        return u"note";
    }
}
