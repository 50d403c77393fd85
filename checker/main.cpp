// hintbar-check: reads help files as the Hintbar plug-in does and tells their authors what
// the plug-in will make of each line.
#include "base/format16.h"
#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "checker/file_check.h"
#include "checker/options.h"
#include "checker/report.h"
#include "checker/show.h"
#include "platform/platform.h"

#include <cstdlib>

namespace {

constexpr size_t kVisibleUnits = 16 * 8192; // the status bar's text with every unit shown

char16_t g_path[kPathUnits]; // the file a name stands for

// The check of one name: "-" is standard input.
int CheckOne(const char16_t* name, FindingList* findings, CheckResult* result) {
    if (Str16Equal(name, u"-")) {
        Str16Copy(g_path, kPathUnits, u"-");
        return CheckStandardInput(findings, result);
    }
    return CheckNamedHelpFile(name, g_path, findings, result);
}

// Whether a name stands in a message as "@NAME" (any case), not as the start of a longer one.
bool Mentions(const char16_t* message, const char16_t* name) {
    size_t length = Str16Len(name);
    for (const char16_t* p = message; *p; ++p) {
        if (*p != u'@') {
            continue;
        }
        size_t i = 0;
        while (i < length && UpperAscii(p[1 + i]) == name[i]) {
            ++i;
        }
        char16_t next = p[1 + i];
        if (i == length && !IsLetterUnit(next) && !IsDigitUnit(next) && next != u'_' &&
            next != u'$') {
            return true;
        }
    }
    return false;
}

// Why a file gives no function of that name: what keeps the file from loading, or the lines
// that meant to define it, or that no line does. As JSON strings, or to standard error.
// One cause of a missing function: a string of the JSON list (first or after a comma), or an
// indented line on standard error.
void EmitCause(const char16_t* text, bool json, bool first) {
    if (json) {
        Emit(first ? u"\"" : u", \"");
        EmitJsonText(text);
        Emit(u"\"");
    } else {
        EmitError(u"  ");
        EmitError(text);
        EmitError(u"\n");
    }
}

void ExplainMissing(const FindingList& findings, const char16_t* name, bool json) {
    static char16_t text[kMessageUnits + 64];
    bool said = false;
    for (uint32_t i = 0; i < findings.count; ++i) {
        const Finding& f = findings.items[i];
        bool fileWide = f.line == 0 && f.severity == kSeverityError;
        if (!fileWide && !(f.severity != kSeverityNote && Mentions(f.message, name))) {
            continue;
        }
        if (f.line) {
            Format16(text, kMessageUnits + 64, u"line %u: %s", f.line, f.message);
        } else {
            Str16Copy(text, kMessageUnits + 64, f.message);
        }
        EmitCause(text, json, !said);
        said = true;
    }
    if (!said) {
        Format16(text, kMessageUnits + 64, u"no line defines @%s", name);
        EmitCause(text, json, true);
    }
}

// The status-bar text of the function that the name (written with or without "@" and "[")
// stands for, from each file; as JSON with --json. 0 when every file has it.
int Show(const CheckOptions& options) {
    char16_t name[kNameUnits + 2];
    const char16_t* given = options.show[0] == u'@' ? options.show + 1 : options.show;
    Str16Copy(name, kNameUnits + 2, given);
    size_t length = Str16Len(name);
    if (length > 0 && name[length - 1] == u'[') {
        name[length - 1] = 0;
    }
    Str16UpperAscii(name);
    auto* visible = static_cast<char16_t*>(malloc(kVisibleUnits * sizeof(char16_t)));
    if (!visible) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        EmitError(u"hintbar-check: out of memory\n");
        return kExitTrouble;
    }
    bool json = options.report.format == kFormatJson;
    int status = kExitClean;
    if (json) {
        Emit(u"{\"files\": [");
    }
    for (int i = 0; i < options.fileCount; ++i) {
        FindingList findings = {};
        CheckResult result = {};
        CheckOne(options.files[i], &findings, &result);
        const CheckedEntry* entry = FindCheckedFunction(&result, name);
        if (json) {
            Emit(i ? u",\n  {\"file\": \"" : u"\n  {\"file\": \"");
            EmitJsonText(g_path);
            Emit(u"\", \"function\": \"");
            EmitJsonText(name);
            if (entry) {
                EmitFormatted(u"\", \"line\": %u, \"text\": \"", entry->line);
                EmitJsonText(StatusBarText(entry));
                Emit(u"\"}");
            } else {
                Emit(u"\", \"text\": null, \"why\": [");
                ExplainMissing(findings, name, true);
                Emit(u"]}");
            }
        } else if (entry) {
            if (options.fileCount > 1) {
                EmitFormatted(u"%s:\n", g_path);
            }
            ShowHelpText(entry, visible, kVisibleUnits);
            Emit(visible);
        } else {
            static char16_t text[kPathUnits + kMessageUnits];
            Format16(text, kPathUnits + kMessageUnits,
                     u"%s: the plug-in loads no function @%s from this file:\n", g_path, name);
            EmitError(text);
            ExplainMissing(findings, name, false);
        }
        if (!entry) {
            status = result.unreadable ? kExitTrouble
                                       : (status == kExitTrouble ? status : kExitFindings);
        }
        ReleaseCheckResult(&result);
        ReleaseFindings(&findings);
    }
    if (json) {
        Emit(u"\n]}\n");
    }
    FlushOutput();
    free(visible);
    return status;
}

int Check(const CheckOptions& options) {
    int status = kExitClean;
    static uint32_t statistics[64];
    BeginReport(&options.report);
    for (int i = 0; i < options.fileCount; ++i) {
        FindingList findings = {};
        CheckResult result = {};
        // Fails only when memory runs out.
        if (CheckOne(options.files[i], &findings, &result) != 0) { // GCOVR_EXCL_BR_LINE
            findings.incomplete = true;
        }
        DropFindings(&findings, options.codes, nullptr, nullptr, 0);
        WriteFileReport(&options.report, g_path, &findings, result.count);
        for (int code = 0; code < kCheckCodeCount; ++code) {
            statistics[code] += findings.byCode[code];
        }
        uint32_t failing = 0;
        for (int32_t severity = options.failOn; severity <= kSeverityError; ++severity) {
            failing += findings.tally[severity];
        }
        if (result.unreadable || findings.incomplete) { // GCOVR_EXCL_BR_LINE: out of memory
            status = kExitTrouble;
        } else if (failing > 0 && status == kExitClean) {
            status = kExitFindings;
        }
        ReleaseCheckResult(&result);
        ReleaseFindings(&findings);
    }
    EndReport(&options.report, options.statistics ? statistics : nullptr);
    return status;
}

void Explain(int index) {
    const CheckCode& code = kCheckCodes[index];
    EmitFormatted(u"%s (%s): %s\n\n", code.name, SeverityName(code.severity), code.summary);
    // The paragraph broken into lines of at most 78 characters, at blanks.
    const char16_t* p = code.explanation;
    while (*p) {
        size_t length = Str16Len(p);
        size_t cut = length;
        if (length > 78) {
            cut = 78;
            // Every explanation has a blank in each stretch of 78 characters.
            while (cut > 0 && p[cut] != u' ') { // GCOVR_EXCL_BR_LINE
                --cut;
            }
            cut = cut ? cut : 78; // GCOVR_EXCL_BR_LINE
        }
        char16_t line[80];
        Str16Copy(line, cut + 1, p);
        EmitFormatted(u"%s\n", line);
        p += cut;
        while (*p == u' ') {
            ++p;
        }
    }
    FlushOutput();
}

} // namespace

int main(int argc, char** argv) {
    int count = 0;
    char16_t** arguments = PlatformGetArguments(argc, argv, &count);
    if (!arguments) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        EmitError(u"hintbar-check: out of memory\n");
        return kExitTrouble;
    }
    CheckOptions options;
    char16_t problem[kMessageUnits];
    int parsed = ParseCheckOptions(count, arguments, &options, problem);
    int status = kExitClean;
    if (parsed == kOptionsHelp) {
        Emit(kCheckUsage);
        FlushOutput();
    } else if (parsed == kOptionsVersion) {
        EmitFormatted(u"hintbar-check %u.%u.%u.%u\n", kVersionMajor, kVersionMinor, kVersionBuild,
                      kVersionRevision);
        FlushOutput();
    } else if (parsed == kOptionsExplain) {
        Explain(options.explain);
    } else if (parsed == kOptionsBad) {
        EmitError(u"hintbar-check: ");
        EmitError(problem);
        EmitError(u"\nTry \"hintbar-check --help\".\n");
        status = kExitTrouble;
    } else {
        if (options.codePage) {
            PlatformSetAnsiCodePage(options.codePage);
        }
        status = options.show ? Show(options) : Check(options);
    }
    if (OutputFailed()) {
        EmitError(u"hintbar-check: the report could not be written\n");
        status = kExitTrouble;
    }
    free(options.files);
    free(arguments);
    return status;
}
