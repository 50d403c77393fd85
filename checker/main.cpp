// hintbar-check: reads help files as the Hintbar plug-in does and tells their authors what
// the plug-in will make of each line.
#include "base/format16.h"
#include "base/limits.h"
#include "base/product.h"
#include "base/function_name.h"
#include "base/text16.h"
#include "checker/file_check.h"
#include "checker/fix_run.h"
#include "checker/options.h"
#include "checker/report.h"
#include "checker/show.h"
#include "command/function_lookup.h"
#include "platform/platform.h"

#include <cstdlib>

namespace {

constexpr size_t kVisibleUnits = 16 * 8192; // the status bar's text with every unit shown

char16_t g_path[kPathUnits]; // the file a name stands for

// The check of one name: "-" is standard input.
CheckStatus CheckOne(const char16_t* name, FindingList* findings, CheckResult* result) {
    if (Str16Equal(name, u"-")) {
        Str16Copy(g_path, u"-");
        return CheckStandardInput(findings, result);
    }
    return CheckNamedHelpFile(name, g_path, findings, result);
}

// Whether a message names a function that the pattern matches, as "@NAME" (any case) with the
// whole name: "@1A1" is no mention of "1a".
bool Mentions(const char16_t* message, const char16_t* pattern) {
    for (const char16_t* p = message; *p; ++p) {
        if (*p != u'@') {
            continue;
        }
        char16_t name[kNameUnits];
        size_t length = 0;
        while (length + 1 < kNameUnits && IsFunctionNameUnit(p[1 + length])) {
            name[length] = UpperAscii(p[1 + length]);
            ++length;
        }
        name[length] = 0;
        if (length > 0 && !IsFunctionNameUnit(p[1 + length]) && FunctionMatches(name, pattern)) {
            return true;
        }
    }
    return false;
}

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

// Why a file gives no function that the pattern matches: what keeps the file from loading,
// or the lines that meant to define one, or that no line does. As JSON strings, or to
// standard error. name: the pattern's core, upper case, as the messages quote it.
void ExplainMissing(const FindingList& findings, const char16_t* pattern, const char16_t* name,
                    bool json) {
    static char16_t text[kMessageUnits + 64];
    bool said = false;
    for (uint32_t i = 0; i < findings.count; ++i) {
        const Finding& f = findings.items[i];
        bool fileWide = f.line == 0 && f.severity == kSeverityError;
        if (!fileWide && !(f.severity != kSeverityNote && Mentions(f.message, pattern))) {
            continue;
        }
        if (f.line) {
            Format16(text, u"line %u: %s", f.line, f.message);
        } else {
            Str16Copy(text, f.message);
        }
        EmitCause(text, json, !said);
        said = true;
    }
    if (!said) {
        Format16(text, u"no line defines @%s", name);
        EmitCause(text, json, true);
    }
}

// The core of a pattern as "hbar /F" reads it, upper case, as the messages quote it.
void UpperPatternCore(const char16_t* pattern, char16_t* core, size_t capacity) {
    PatternCore found = CoreOfPattern(pattern);
    size_t length = found.length < capacity ? found.length : capacity - 1;
    if (length < found.length && length > 0 && IsHighSurrogate(found.start[length - 1])) {
        --length; // a cut never leaves half a pair
    }
    for (size_t i = 0; i < length; ++i) {
        core[i] = found.start[i];
    }
    core[length] = 0;
    Str16UpperAscii(core);
}

// One function's text: as JSON, or shown, under a line that names it when a pattern matches
// several.
void ShowEntry(const CheckedEntry& entry, bool json, bool named, bool first, char16_t* visible) {
    if (json) {
        Emit(first ? u"\n  {\"file\": \"" : u",\n  {\"file\": \"");
        EmitJsonText(g_path);
        Emit(u"\", \"function\": \"");
        EmitJsonText(entry.name);
        EmitFormatted(u"\", \"line\": %u, \"text\": \"", entry.line);
        EmitJsonText(StatusBarText(&entry));
        Emit(u"\"}");
        return;
    }
    if (named) {
        EmitFormatted(u"@%s, line %u:\n", entry.name, entry.line);
    }
    ShowHelpText(&entry, visible, kVisibleUnits);
    Emit(visible);
}

// The status-bar text of each function that the pattern (written as "hbar /F" takes it)
// matches, from each file; as JSON with --json. 0 when every file has one.
int Show(const CheckOptions& options) {
    const char16_t* pattern = options.show;
    static char16_t name[kMessageUnits];
    UpperPatternCore(pattern, name, kMessageUnits);
    auto* visible = static_cast<char16_t*>(malloc(kVisibleUnits * sizeof(char16_t)));
    if (!visible) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        EmitError(u"hintbar-check: out of memory\n");
        return kExitTrouble;
    }
    bool json = options.report.format == kFormatJson;
    int status = kExitClean;
    bool first = true;
    if (json) {
        Emit(u"{\"files\": [");
    }
    for (int i = 0; i < options.fileCount; ++i) {
        FindingList findings;
        CheckResult result;
        if (CheckOne(options.files[i], &findings, &result) != kChecked) {
            EmitError(u"hintbar-check: out of memory\n"); // GCOVR_EXCL_LINE
            status = kExitTrouble;                        // GCOVR_EXCL_LINE
        }
        uint32_t matches = 0;
        for (uint32_t k = 0; k < result.count; ++k) {
            matches += FunctionMatches(result.functions[k].name, pattern);
        }
        if (!json && matches > 0 && options.fileCount > 1) {
            EmitFormatted(u"%s:\n", g_path);
        }
        for (uint32_t k = 0; k < result.count; ++k) {
            if (FunctionMatches(result.functions[k].name, pattern)) {
                ShowEntry(result.functions[k], json, matches > 1, first, visible);
                first = false;
            }
        }
        if (matches == 0 && json) {
            Emit(first ? u"\n  {\"file\": \"" : u",\n  {\"file\": \"");
            first = false;
            EmitJsonText(g_path);
            Emit(u"\", \"function\": \"");
            EmitJsonText(name);
            Emit(u"\", \"text\": null, \"why\": [");
            ExplainMissing(findings, pattern, name, true);
            Emit(u"]}");
        } else if (matches == 0) {
            static char16_t text[kPathUnits + kMessageUnits];
            Format16(text, u"%s: the plug-in loads no function @%s from this file:\n", g_path,
                     name);
            EmitError(text);
            ExplainMissing(findings, pattern, name, false);
        }
        if (matches == 0) {
            status = result.unreadable ? kExitTrouble
                                       : (status == kExitTrouble ? status : kExitFindings);
        }
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
        FindingList findings;
        // The machine formats list every finding; the others list a number of each code.
        findings.keepAll =
            options.report.format == kFormatJson || options.report.format == kFormatSarif;
        findings.optIn = options.codes & CodesOffByDefault();
        CheckResult result;
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
        Str16Copy({line, cut + 1}, p);
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
    } else if (parsed == kOptionsListCodes) {
        WriteCodeList(options.report.format);
    } else if (parsed == kOptionsBad) {
        EmitError(u"hintbar-check: ");
        EmitError(problem);
        EmitError(u"\nTry \"hintbar-check --help\".\n");
        status = kExitTrouble;
    } else {
        if (options.codePage) {
            PlatformSetAnsiCodePage(options.codePage);
        }
        if (options.show) {
            status = Show(options);
        } else if (options.fix || options.diff) {
            status = RunFixes(options);
        } else {
            status = Check(options);
        }
    }
    if (OutputFailed()) {
        EmitError(u"hintbar-check: the report could not be written\n");
        status = kExitTrouble;
    }
    free(options.files);
    free(arguments);
    return status;
}
