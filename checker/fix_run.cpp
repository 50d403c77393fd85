// Each file is read whole as the plug-in reads it, mended in memory, proved, and only then
// written back (or shown as a diff). Standard input with --fix gives its mended text on
// standard output, so the report goes to standard error.
#include "checker/fix_run.h"

#include "base/format16.h"
#include "base/text16.h"
#include "checker/file_check.h"
#include "checker/file_replace.h"
#include "checker/file_system.h"
#include "checker/fix_apply.h"
#include "checker/unified_diff.h"
#include "platform/platform.h"
#include "textinput/text_source.h"

#include <cstdlib>

namespace {

char16_t g_path[kPathUnits]; // the file a name stands for
char16_t g_diffName[kPathUnits];
char16_t g_text[kPathUnits + 2 * kMessageUnits];

// One line on standard error about a file.
void Tell(const char16_t* file, const char16_t* format, const char16_t* text) {
    char16_t message[2 * kMessageUnits];
    Format16(message, format, text);
    Format16(g_text, u"hintbar-check: %s: %s\n", file, message);
    EmitError(g_text);
}

// The fixes left out of a file, and why.
void TellLeftOut(const char16_t* file, const FixOutcome& out) {
    for (uint32_t i = 0; i < out.leftOutCount && i < kLeftOutKept; ++i) {
        const LeftOutFix& left = out.leftOut[i];
        char16_t message[kMessageUnits];
        Format16(message, u"the fix of line %u [%s] is left out: %s", left.line,
                 kCheckCodes[left.code].name, left.why);
        Tell(file, u"%s", message);
    }
    if (out.leftOutCount > kLeftOutKept) {
        char16_t message[kMessageUnits];
        Format16(message, u"%u more fixes are left out", out.leftOutCount - kLeftOutKept);
        Tell(file, u"%s", message);
    }
}

const char16_t* ReplaceProblem(const ReplaceResult& r, char16_t* text) {
    switch (r.failure) {
    case ReplaceFailure::ReadOnly:
        return u"the file is read-only";
    case ReplaceFailure::Links:
        return u"the file has other names (hard links), which would keep the old text";
    case ReplaceFailure::Changed:
        return u"the file changed while it was checked";
    default:
        break;
    }
    char16_t why[kMessageUnits];
    DescribeError(why, static_cast<int32_t>(r.error));
    if (r.failure != ReplaceFailure::Folder) {
        Str16Copy({text, kMessageUnits}, why);
        return text;
    }
    // The folder is the one at fault, not the file, which may well be writable: say which.
    static char16_t folder[kPathUnits];
    Str16Copy(folder, r.target);
    size_t end = Str16Len(folder);
    while (end > 0 && folder[end - 1] != u'/' && folder[end - 1] != kPathSeparator) {
        --end;
    }
    end -= end > 1 && folder[end - 2] != u':'; // "/" and "C:\\" stay roots
    Str16Copy({folder + end, kPathUnits - end}, end ? u"" : u".");
    Format16({text, kMessageUnits}, u"the mended file cannot be made in its folder, \"%s\": %s",
             folder, why);
    return text;
}

struct Run {
    const CheckOptions* options;
    int status;
    uint32_t wouldFix; // --diff: findings a fix would mend, and the files they are in
    uint32_t filesToFix;
    bool outputFailed;
    uint32_t statistics[64]; // findings left of each code, over all files
};

void Worse(Run* run, int status) {
    if (status == kExitTrouble || run->status == kExitClean) {
        run->status = status;
    }
}

// The bytes of a name: standard input copied and read, or the file as "hbar /L" takes it.
// Findings are marked incomplete when memory ran out.
void Read(const char16_t* name, FindingList* findings, CheckResult* result, HelpBytes* bytes) {
    if (!Str16Equal(name, u"-")) {
        if (ReadNamedHelpFile(name, g_path, findings, result, bytes) != kChecked) {
            findings->incomplete = true; // GCOVR_EXCL_LINE: out of memory
        }
        return;
    }
    Str16Copy(g_path, u"-");
    static Spool spool;
    if (!SpoolStandardInput(&spool, findings, result)) {
        return;
    }
    if (spool.size == 0) {
        AddFinding(findings, 0, 0, kSeverityError, u"empty",
                   u"the input is empty: the plug-in loads nothing from it");
    } else if (ReadHelpFile(spool.path, findings, result, bytes) != kChecked) {
        findings->incomplete = true; // GCOVR_EXCL_LINE: out of memory
    }
    RemoveSpool(&spool);
}

// The report of one file after --fix, and what it does to the exit status.
void Report(Run* run, FindingList* findings, const CheckResult& result) {
    const CheckOptions& options = *run->options;
    DropFindings(findings, options.codes, nullptr, nullptr, 0);
    WriteFileReport(&options.report, g_path, findings, result.count);
    for (int code = 0; code < kCheckCodeCount; ++code) {
        run->statistics[code] += findings->byCode[code];
    }
    uint32_t failing = 0;
    for (int32_t severity = options.failOn; severity <= kSeverityError; ++severity) {
        failing += findings->tally[severity];
    }
    if (result.unreadable || findings->incomplete) {
        Worse(run, kExitTrouble);
    } else if (failing > 0) {
        Worse(run, kExitFindings);
    }
}

void FixOne(Run* run, const char16_t* name) {
    const CheckOptions& options = *run->options;
    bool input = Str16Equal(name, u"-");
    FindingList findings;
    findings.keepAll = true;
    CheckResult result;
    HelpBytes bytes;
    Read(name, &findings, &result, &bytes);
    if (!bytes.data) {
        // Not read, or empty: nothing to mend, and nothing is touched.
        if (options.diff) {
            for (uint32_t i = 0; i < findings.count && result.unreadable; ++i) {
                Tell(g_path, u"%s", findings.items[i].message);
            }
            if (findings.incomplete) { // GCOVR_EXCL_BR_LINE: out of memory
                Tell(g_path, u"%s", u"out of memory: nothing fixed"); // GCOVR_EXCL_LINE
            }
            bool trouble = result.unreadable || findings.incomplete;
            Worse(run, trouble ? kExitTrouble : kExitClean);
        } else {
            Report(run, &findings, result);
        }
        return;
    }
    ReleaseFindings(&findings);
    ReleaseCheckResult(&result);
    FixOutcome out;
    if (FixHelpBytes(bytes.data, bytes.size, options.codes, &out) != kFixDone) {
        Tell(g_path, u"%s", u"out of memory: nothing fixed");
        Worse(run, kExitTrouble);
        return;
    }
    TellLeftOut(g_path, out);
    bool trouble = out.refused;
    if (out.refused) {
        Tell(g_path, u"nothing fixed: %s", out.why);
    } else if (out.data && bytes.pipe && !input && !options.diff) {
        Tell(g_path, u"%s", u"nothing fixed: it is a pipe, and --fix writes back only to files");
        trouble = true;
    }
    if (options.diff) {
        if (out.data) {
            ByteBuffer diff;
            if (!DiffFileName(g_path, g_diffName)) {
                Str16Copy(g_diffName, g_path);
            }
            AppendUnifiedDiff(g_diffName, bytes.data, bytes.size, out.data, out.size, &diff);
            run->outputFailed =
                run->outputFailed || diff.failed || !WriteStandardOutputBytes(diff.data, diff.size);
            // Lines are cut at each byte 0A, which in these forms is half a character or less.
            Encoding encoding = out.result.encoding;
            if (encoding != Encoding::Ansi && encoding != Encoding::Utf8) {
                Tell(g_path,
                     u"the file is %s: its diff is of the bytes, cut into lines at each byte 0A, "
                     u"not of the text; \"git apply\" and \"patch -p1\" apply it all the same",
                     FormOf(encoding).name);
            }
            run->wouldFix += out.fixed;
            ++run->filesToFix;
        }
        Worse(run, trouble ? kExitTrouble : kExitClean);
    } else {
        bool written = false;
        if (input) {
            // What came in goes out, mended or not.
            const uint8_t* text = out.data && !trouble ? out.data : bytes.data;
            uint32_t size = out.data && !trouble ? out.size : bytes.size;
            run->outputFailed = run->outputFailed || !WriteStandardOutputBytes(text, size);
            written = out.data && !trouble;
        } else if (out.data && !trouble) {
            ReplaceResult replaced =
                ReplaceFileBytes(g_path, bytes.data, bytes.size, out.data, out.size);
            char16_t reason[kMessageUnits];
            if (replaced.failure != ReplaceFailure::None) {
                Tell(g_path, u"not written, and left as it was: %s",
                     ReplaceProblem(replaced, reason));
                trouble = true;
            }
            written = !trouble;
        }
        // The fixes are proved without the codes that are off by default: a file with such
        // codes selected is read again for its report.
        CodeSet optIn = options.codes & CodesOffByDefault();
        if (written && !optIn) {
            out.findings.fixed = out.fixed;
            Report(run, &out.findings, out.result);
        } else {
            // The report of the file as it stands.
            FindingList now;
            now.keepAll = true;
            now.optIn = optIn;
            CheckResult was;
            if (CheckHelpBytes(written ? out.data : bytes.data, written ? out.size : bytes.size,
                               nullptr, &now, &was) != kChecked) {
                now.incomplete = true; // GCOVR_EXCL_LINE: out of memory
            }
            now.fixed = written ? out.fixed : 0;
            Report(run, &now, was);
        }
        if (trouble) {
            Worse(run, kExitTrouble);
        }
    }
}

} // namespace

int RunFixes(const CheckOptions& options) {
    static Run run;
    run = Run{&options, kExitClean, 0, 0, false, {}};
    for (int i = 0; options.fix && i < options.fileCount; ++i) {
        if (Str16Equal(options.files[i], u"-")) {
            SendReportToError(); // standard output carries the mended text
        }
    }
    if (options.fix) {
        BeginReport(&options.report);
    }
    for (int i = 0; i < options.fileCount; ++i) {
        FixOne(&run, options.files[i]);
    }
    if (options.fix) {
        EndReport(&options.report, options.statistics ? run.statistics : nullptr);
    } else if (run.wouldFix > 0) {
        Format16({g_text, kMessageUnits}, u"hintbar-check: --fix would mend %u %s in %u %s\n",
                 run.wouldFix, run.wouldFix == 1 ? u"finding" : u"findings", run.filesToFix,
                 run.filesToFix == 1 ? u"file" : u"files");
        EmitError(g_text);
        Worse(&run, kExitFindings);
    }
    if (run.outputFailed) {
        EmitError(options.diff ? u"hintbar-check: the diff could not be written\n"
                               : u"hintbar-check: the mended text could not be written\n");
        run.status = kExitTrouble;
    }
    return run.status;
}
