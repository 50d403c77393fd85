// A file's findings: it is opened and read by the plug-in's own text input, each line is
// looked at, and then the names are merged by the loader's rule: the last line wins.
#include "checker/file_check.h"

#include "checker/encoding_note.h"
#include "helptable/help_table.h"
#include "textinput/encoding.h"
#include "textinput/text_lines.h"
#include "textinput/text_source.h"

#include <algorithm>
#include <cstdlib>

namespace {

char16_t g_line[kLineUnits];

int Append(CheckResult* result, const CheckedEntry& entry) {
    if (result->count == result->capacity) {
        uint32_t grown = result->capacity ? result->capacity * 2 : 256;
        auto* bigger =
            static_cast<CheckedEntry*>(realloc(result->functions, grown * sizeof(CheckedEntry)));
        if (!bigger) {
            return -1;
        }
        result->functions = bigger;
        result->capacity = grown;
    }
    result->functions[result->count++] = entry;
    return 0;
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
        entries[kept++] = winner;
        i = last + 1;
    }
    result->count = kept;
}

} // namespace

int CheckHelpFile(const char16_t* path, FindingList* findings, CheckResult* result) {
    if (!path || !findings || !result) {
        return -1;
    }
    TextSource source = {};
    SourceOpenResult opened = OpenTextSource(&source, path);
    if (opened.outcome == SourceOpen::Empty) {
        AddFinding(findings, 0, 0, kSeverityError, u"empty",
                   u"the file is empty: the plug-in loads nothing from it");
        return 0;
    }
    if (opened.outcome == SourceOpen::MissingName) {
        AddFinding(findings, 0, 0, kSeverityError, u"open", u"no file name");
        return 0;
    }
    if (opened.outcome != SourceOpen::Opened) {
        char16_t reason[kMessageUnits];
        DescribeError(reason, opened.error);
        AddFinding(findings, 0, 0, kSeverityError, u"open", u"cannot open the file: %s", reason);
        return 0;
    }

    // The encoding is found again on a copy, to learn what decided it.
    TextSource copy = source;
    EncodingVerdict verdict;
    DetectEncodingExplained(&copy, &verdict);
    EncodingNoteInput note = {&source, &verdict, 0};

    int status = 0;
    uint32_t entryLines = 0;
    TextLineReport report = {};
    while (ReadTextLineReported(&source, g_line, &report) == LineRead::Line) {
        if (verdict.reason == kEncodingByNotUtf8 && report.start <= verdict.offset) {
            note.offsetLine = report.number;
        }
        CheckedEntry entry;
        int checked = CheckLine(&source, g_line, &report, findings, &entry);
        if (checked < 0 || (checked > 0 && Append(result, entry) != 0)) {
            if (checked > 0) {
                free(entry.syntax);
                free(entry.info);
            }
            status = -1;
            break;
        }
        entryLines += checked > 0;
    }
    AddEncodingNote(&note, findings);
    CloseTextSource(&source);
    if (entryLines == 0) {
        AddFinding(findings, 0, 0, kSeverityError, u"no-entries",
                   u"no line of the file is an entry: the plug-in loads nothing from it");
    }
    MergeNames(result, findings);
    return status;
}

void ReleaseCheckResult(CheckResult* result) {
    if (!result) {
        return;
    }
    for (uint32_t i = 0; i < result->count; ++i) {
        free(result->functions[i].syntax);
        free(result->functions[i].info);
    }
    free(result->functions);
    *result = CheckResult{};
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
