// A file's findings: it is opened and read by the plug-in's own text input, each line is
// looked at, and then the names are merged by the loader's rule: the last line wins.
#include "checker/file_check.h"

#include "base/format16.h"
#include "base/text16.h"
#include "checker/encoding_advice.h"
#include "checker/encoding_note.h"
#include "checker/input_spool.h"
#include "helptable/help_file_name.h"
#include "platform/files.h"
#include "helptable/help_table.h"
#include "livehelp/help_text.h"
#include "textinput/encoding.h"
#include "textinput/text_lines.h"
#include "textinput/text_source.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

char16_t g_line[kLineUnits];

bool Append(CheckResult* result, const CheckedEntry& entry) {
    if (!GrowFor(&result->functions, result->count, &result->capacity)) { // GCOVR_EXCL_BR_LINE
        return false;
    }
    result->functions[result->count++] = entry;
    return true;
}

// The arguments of an entry's syntax line whose name begins no line of its description, as
// the plug-in looks for an argument's own line while it is typed: one finding names them all.
void AddArgumentLines(const CheckedEntry& entry, FindingList* findings) {
    static HelpContent help;
    HelpNode node = {};
    node.syntax = entry.syntax;
    node.info = entry.info;
    ComposeHelp(&node, &help);
    // Counted first, so that the list can end with "and"; the first name is kept for a list of
    // one.
    int missing = 0;
    char16_t first[kSyntaxUnits] = {};
    char16_t list[kMessageUnits] = {};
    for (int pass = 0; pass < 2; ++pass) {
        int listed = 0;
        // Every argument starts after the "[", so a start of 0 is past the last one.
        for (int k = 0; ArgumentOfSyntax(help.syntax, k).start != 0; ++k) {
            TextSpan argument = ArgumentOfSyntax(help.syntax, k);
            TextSpan name = ArgumentNameOf(help.syntax, argument);
            if (!name.length || ArgumentLineOf(help.description, help.syntax, argument).length) {
                continue;
            }
            char16_t named[kSyntaxUnits];
            Str16Copy({named, name.length + 1}, help.syntax + name.start);
            if (pass == 0) {
                if (missing++ == 0) {
                    Str16Copy(first, named);
                }
                continue;
            }
            char16_t piece[kSyntaxUnits + 32];
            const char16_t* before = listed == 0 ? u"" : (listed + 1 == missing ? u" and " : u", ");
            Format16(piece, u"%s%d (%s)", before, k + 1, named);
            Str16Append(list, piece);
            ++listed;
        }
    }
    if (missing == 1) {
        AddFinding(findings, entry.line, entry.column, kSeverityWarning, u"argument-line",
                   u"@%s: argument %s has no line of its own: no line of the description begins "
                   u"with \"%s\" and a tab",
                   entry.name, list, first);
    } else if (missing > 1) {
        AddFinding(findings, entry.line, entry.column, kSeverityWarning, u"argument-line",
                   u"@%s: arguments %s have no line of their own: no line of the description "
                   u"begins with the name and a tab",
                   entry.name, list);
    }
}

// Orders the entry lines by name and then by place, and keeps the last line of each name:
// the earlier ones are told which line replaces them and drop their texts.
void MergeNames(CheckResult* result, FindingList* findings) {
    CheckedEntry* entries = result->functions;
    std::stable_sort(entries, entries + result->count,
                     [](const CheckedEntry& a, const CheckedEntry& b) {
                         return CompareHelpNames(a.name, b.name) < 0;
                     });
    uint32_t kept = 0;
    for (uint32_t i = 0; i < result->count;) {
        uint32_t last = i;
        while (last + 1 < result->count &&
               CompareHelpNames(entries[last + 1].name, entries[i].name) == 0) {
            ++last;
        }
        for (uint32_t j = i; j < last; ++j) {
            AddFinding(findings, entries[j].line, entries[j].column, kSeverityWarning, u"duplicate",
                       u"@%s is defined again on line %u, which replaces this line",
                       entries[j].name, entries[last].line);
            free(entries[j].syntax);
            free(entries[j].info);
        }
        const CheckedEntry& winner = entries[last];
        if (!winner.info && !winner.unbalanced) {
            AddFinding(findings, winner.line, winner.column, kSeverityNote, u"no-description",
                       u"@%s has no description", winner.name);
        }
        if ((findings->optIn & CodeBit(FindCheckCode(u"argument-line", 13))) &&
            !winner.unbalanced) {
            AddArgumentLines(winner, findings);
        }
        entries[kept++] = winner;
        i = last + 1;
    }
    result->count = kept;
}

// Lines that ask for findings to be left out of the line after them:
// "# hintbar-check: ignore duplicate,separator", or with no code, every finding.
struct Suppressions {
    HeapArray<uint32_t> lines; // the lines whose findings are left out
    HeapArray<CodeSet> codes;  // the codes left out on each
};

constexpr char16_t kSuppression[] = u"hintbar-check: ignore";

bool Begins(const char16_t* text, const char16_t* prefix) {
    for (; *prefix; ++prefix, ++text) {
        if (*text != *prefix) {
            return false;
        }
    }
    return true;
}

// False when memory ran out.
bool NoteSuppression(const char16_t* line, uint32_t number, Suppressions* s) {
    const char16_t* at = line;
    size_t n = Str16Len(kSuppression);
    while (*at && !Begins(at, kSuppression)) {
        ++at;
    }
    if (!*at) {
        return true;
    }
    at += n;
    CodeSet codes = 0;
    for (;;) {
        while (*at == u' ' || *at == u'\t' || *at == u',') {
            ++at;
        }
        const char16_t* end = at;
        while (*end && *end != u' ' && *end != u'\t' && *end != u',') {
            ++end;
        }
        int code = FindCheckCode(at, static_cast<size_t>(end - at));
        if (code < 0) {
            break;
        }
        codes |= CodeBit(code);
        at = end;
    }
    // GCOVR_EXCL_BR_START: the C heap, which no test can make fail
    return Push(&s->lines, number + 1) && Push(&s->codes, codes ? codes : kAllCodes);
    // GCOVR_EXCL_BR_STOP
}

// The file read once more, to give each sorted finding its column in characters, as editors
// count them, and the source line it stands on.
void PlaceFindings(TextSource* source, FindingList* findings) {
    source->position = source->bomLength;
    TextLineReport report = {};
    uint32_t k = 0;
    uint32_t lastNumber = 0;
    size_t pairsBefore = 0; // on the same line, in the text before a NUL
    size_t lastPairs = 0;
    uint32_t excerpts[64] = {}; // by code: a text report lists only the first of each
    while (k < findings->count && ReadTextLineReported(source, g_line, &report) == LineRead::Line) {
        size_t length = Str16Len(g_line);
        pairsBefore = report.number == lastNumber ? pairsBefore + lastPairs : 0;
        lastNumber = report.number;
        lastPairs = SurrogatePairsIn(g_line, length);
        while (k < findings->count && findings->items[k].line < report.number) {
            ++k;
        }
        for (uint32_t j = k; j < findings->count && findings->items[j].line == report.number; ++j) {
            Finding& f = findings->items[j];
            if (f.unitColumn == 0 || f.unitColumn - 1 < report.column) {
                continue; // no column, or one in the text before a NUL
            }
            size_t index = f.unitColumn - 1 - report.column;
            size_t pairs = SurrogatePairsIn(g_line, index < length ? index : length);
            f.column = f.unitColumn - static_cast<uint32_t>(pairsBefore + pairs);
            int code = FindCheckCode(f.code, Str16Len(f.code));
            if (excerpts[code]++ < kFindingsPerCode) {
                free(f.source);
                f.source = MakeSourceExcerpt(g_line, index, &f.caret);
            }
        }
    }
}

// A fix that makes an entry of a line is dropped when another line defines that name, or
// the fix of another line would: one entry would replace the other.
// False when memory ran out.
bool DropClashingFixes(const CheckResult* result, FindingList* findings) {
    FixList& fixes = findings->fixes;
    HeapArray<uint32_t> room;              // the fixes that make an entry, in name order
    if (!MakeZeroed(&room, fixes.count)) { // GCOVR_EXCL_BR_LINE: the C heap
        return false;
    }
    uint32_t* order = room.items;
    uint32_t makers = 0;
    for (uint32_t i = 0; i < fixes.count; ++i) {
        Fix& fix = fixes.items[i];
        if (fix.code >= 0 && fix.entry[0]) {
            order[makers++] = i;
            fix.code = FindCheckedFunction(result, fix.entry) ? -1 : fix.code;
        }
    }
    std::stable_sort(order, order + makers, [&](uint32_t a, uint32_t b) {
        return CompareHelpNames(fixes.items[a].entry, fixes.items[b].entry) < 0;
    });
    for (uint32_t i = 0; i + 1 < makers; ++i) {
        Fix& a = fixes.items[order[i]];
        Fix& b = fixes.items[order[i + 1]];
        if (CompareHelpNames(a.entry, b.entry) == 0) {
            a.code = b.code = -1;
        }
    }
    return true;
}

// The findings of an open source, and its functions.
CheckStatus CheckSource(TextSource* source, FindingList* findings, CheckResult* result) {
    result->encoding = source->encoding;
    // The encoding is found again on a copy, to learn what decided it.
    TextSource copy = *source;
    EncodingVerdict verdict;
    DetectEncodingExplained(&copy, &verdict);
    EncodingNoteInput note = {source, &verdict, 0};

    CheckStatus status = kChecked;
    uint32_t entryLines = 0;
    Suppressions suppressions = {};
    TextLineReport report = {};
    BeginLineChecks();
    while (ReadTextLineReported(source, g_line, &report) == LineRead::Line) {
        // Fails only when memory runs out.
        if (!NoteSuppression(g_line, report.number, &suppressions)) {
            status = kCheckFailed;
            break;
        }
        CheckedEntry entry;
        int checked = CheckLine(source, g_line, &report, findings, &entry);
        // Fails only when memory runs out.
        if (checked < 0 || (checked > 0 && !Append(result, entry))) {
            if (checked > 0) {
                free(entry.syntax);
                free(entry.info);
            }
            status = kCheckFailed;
            break;
        }
        entryLines += checked > 0;
    }
    if (verdict.reason == kEncodingByNotUtf8) {
        uint32_t column = 0;
        PlaceByte(source, verdict.offset, &note.offsetLine, &column);
    }
    AddEncodingNote(&note, findings);
    AddEncodingAdvice(&note, findings);
    if (entryLines == 0) {
        AddFinding(findings, 0, 0, kSeverityError, u"no-entries",
                   u"no line of the file is an entry: the plug-in loads nothing from it");
    }
    MergeNames(result, findings);
    if (!DropClashingFixes(result, findings)) { // GCOVR_EXCL_BR_LINE: out of memory
        status = kCheckFailed;
    }
    DropFindings(findings, kAllCodes, suppressions.lines.items, suppressions.codes.items,
                 suppressions.codes.count);
    SortFindings(findings);
    PlaceFindings(source, findings);
    return status;
}

} // namespace

namespace {

// The finding of a source that did not open: false when it opened.
bool NotOpened(SourceOpenResult opened, FindingList* findings, CheckResult* result) {
    if (opened.outcome == SourceOpen::Opened) {
        return false;
    }
    if (opened.outcome == SourceOpen::Empty) {
        AddFinding(findings, 0, 0, kSeverityError, u"empty",
                   u"the file is empty: the plug-in loads nothing from it");
        return true;
    }
    result->unreadable = true;
    if (opened.outcome == SourceOpen::MissingName) {
        AddFinding(findings, 0, 0, kSeverityError, u"open", u"no file name");
        return true;
    }
    char16_t reason[kMessageUnits]; // as DescribeError fills it
    DescribeError(reason, opened.error);
    AddFinding(findings, 0, 0, kSeverityError, u"open", u"cannot open the file: %s", reason);
    return true;
}

} // namespace

CheckStatus CheckHelpFile(const char16_t* path, FindingList* findings, CheckResult* result) {
    if (!path || !findings || !result) {
        return kCheckFailed;
    }
    TextSource source = {};
    if (NotOpened(OpenTextSource(&source, path), findings, result)) {
        return kChecked;
    }
    CheckStatus status = CheckSource(&source, findings, result);
    CloseTextSource(&source);
    return status;
}

CheckStatus ReadHelpFile(const char16_t* path, FindingList* findings, CheckResult* result,
                         HelpBytes* bytes) {
    if (!path || !findings || !result || !bytes) {
        return kCheckFailed;
    }
    *bytes = HelpBytes{};
    TextSource source = {};
    if (NotOpened(OpenTextSource(&source, path), findings, result)) {
        return kChecked;
    }
    bytes->data = static_cast<uint8_t*>(malloc(source.size));
    if (!bytes->data) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        CloseTextSource(&source);
        return kCheckFailed;
    }
    memcpy(bytes->data, source.data, source.size);
    bytes->size = source.size;
    bytes->pipe = source.tempPath != nullptr;
    CloseTextSource(&source);
    return kChecked;
}

CheckStatus CheckHelpBytes(const uint8_t* data, uint32_t size, const Encoding* forced,
                           FindingList* findings, CheckResult* result) {
    if (!data || !findings || !result) {
        return kCheckFailed;
    }
    TextSource source = {};
    if (NotOpened(OpenTextBytes(&source, data, size), findings, result)) {
        return kChecked;
    }
    if (forced) {
        source.encoding = *forced;
        bool marked = BeginsWithMark(std::span<const uint8_t>(data, size), *forced);
        source.bomLength = marked ? FormOf(*forced).markBytes : 0;
        source.position = source.bomLength;
    }
    return CheckSource(&source, findings, result);
}

namespace {

// A name as "hbar /L" takes it: true with the file's name in path, or false with the
// command's answer as the one finding.
bool ResolveName(const char16_t* name, char16_t* path, FindingList* findings, CheckResult* result) {
    HelpFileName resolved = ResolveHelpFileName(name, std::span<char16_t>(path, kPathUnits));
    if (resolved == HelpFileName::Ok) {
        return true;
    }
    result->unreadable = true;
    if (resolved == HelpFileName::Bad) {
        Str16Copy({path, kPathUnits}, name);
        AddFinding(findings, 0, 0, kSeverityError, u"not-found",
                   u"\"hbar /L\" answers \"Bad filename\": no full name can be made of it");
        return false;
    }
    uint32_t attributes = PlatformGetFileAttributes(path);
    const char16_t* why = u"there is no such file";
    if (attributes == kInvalidFileAttributes) {
        why = Str16Equal(path, name) ? why : u"the directory holds no Hintbar.txt";
    } else if (attributes & kFileAttributeDirectory) {
        why = u"it is a directory";
    } else {
        why = u"it is a device, which the plug-in does not read";
    }
    AddFinding(findings, 0, 0, kSeverityError, u"not-found",
               u"\"hbar /L\" answers \"File not found\" and loads nothing: %s", why);
    return false;
}

} // namespace

CheckStatus CheckNamedHelpFile(const char16_t* name, char16_t* path, FindingList* findings,
                               CheckResult* result) {
    if (!name || !path || !findings || !result) {
        return kCheckFailed;
    }
    return ResolveName(name, path, findings, result) ? CheckHelpFile(path, findings, result)
                                                     : kChecked;
}

CheckStatus ReadNamedHelpFile(const char16_t* name, char16_t* path, FindingList* findings,
                              CheckResult* result, HelpBytes* bytes) {
    if (!name || !path || !findings || !result || !bytes) {
        return kCheckFailed;
    }
    *bytes = HelpBytes{};
    return ResolveName(name, path, findings, result) ? ReadHelpFile(path, findings, result, bytes)
                                                     : kChecked;
}

bool SpoolStandardInput(Spool* spool, FindingList* findings, CheckResult* result) {
    if (SpoolInput(PlatformReadStandardInput, kLargestHelpFile, spool)) {
        return true;
    }
    result->unreadable = true;
    char16_t reason[kMessageUnits]; // as DescribeError fills it
    DescribeError(reason, spool->error);
    if (spool->error == kErrorFileTooLarge) {
        AddFinding(findings, 0, 0, kSeverityError, u"open",
                   u"standard input holds more than 4,294,967,295 bytes, the largest file the "
                   u"plug-in loads");
    } else if (spool->reading) {
        AddFinding(findings, 0, 0, kSeverityError, u"open", u"cannot read standard input: %s",
                   reason);
    } else {
        AddFinding(findings, 0, 0, kSeverityError, u"open",
                   u"cannot copy standard input to a temporary file: %s", reason);
    }
    return false;
}

CheckStatus CheckStandardInput(FindingList* findings, CheckResult* result) {
    if (!findings || !result) {
        return kCheckFailed;
    }
    // Copied to a file and mapped, as the plug-in reads a pipe, never held in memory whole.
    static Spool spool;
    if (!SpoolStandardInput(&spool, findings, result)) {
        return kChecked;
    }
    CheckStatus status = kChecked;
    if (spool.size == 0) {
        AddFinding(findings, 0, 0, kSeverityError, u"empty",
                   u"the input is empty: the plug-in loads nothing from it");
    } else {
        status = CheckHelpFile(spool.path, findings, result);
    }
    RemoveSpool(&spool);
    return status;
}

void FreeCheckResultData(CheckResultData* result) {
    for (uint32_t i = 0; i < result->count; ++i) {
        free(result->functions[i].syntax);
        free(result->functions[i].info);
    }
    free(result->functions);
}

void ReleaseCheckResult(CheckResult* result) {
    if (result) {
        *result = CheckResult{};
    }
}

void FreeHelpBytesData(HelpBytesData* bytes) {
    free(bytes->data);
}

const CheckedEntry* FindCheckedFunction(const CheckResult* result, const char16_t* name) {
    if (!result || !name) {
        return nullptr;
    }
    const CheckedEntry* begin = result->functions;
    const CheckedEntry* end = begin + result->count;
    const CheckedEntry* found =
        std::lower_bound(begin, end, name, [](const CheckedEntry& e, const char16_t* n) {
            return CompareHelpNames(e.name, n) < 0;
        });
    return found != end && CompareHelpNames(found->name, name) == 0 ? found : nullptr;
}
