// hintbar-check: reads help files as the Hintbar plug-in does and tells their authors what
// the plug-in will make of each line.
#include "base/format16.h"
#include "base/host_services.h"
#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "checker/file_check.h"
#include "checker/options.h"
#include "checker/report.h"
#include "checker/show.h"
#include "helptable/startup.h"
#include "platform/platform.h"

#include <cstdlib>

namespace {

constexpr size_t kVisibleUnits = 16 * 8192; // the status bar's text with every unit shown

// The file a name stands for, as "hbar /L" takes it: a directory stands for its Hintbar.txt.
const char16_t* HelpFileOf(const char16_t* name) {
    static char16_t path[kPathUnits];
    if (!QueryIsDirectory(name) || Str16Len(name) >= kPathUnits) {
        return name;
    }
    Str16Copy(path, kPathUnits, name);
    AppendDataFileName(path);
    return path;
}

// The status-bar text of the function that the name (written with or without "@" and "[")
// stands for, from each file. 0 when every file has it, 2 otherwise.
int Show(const CheckOptions& options) {
    char16_t name[64];
    const char16_t* given = options.show[0] == u'@' ? options.show + 1 : options.show;
    Str16Copy(name, 64, given);
    size_t length = Str16Len(name);
    if (length > 0 && name[length - 1] == u'[') {
        name[length - 1] = 0;
    }
    Str16UpperAscii(name);
    auto* visible = static_cast<char16_t*>(malloc(kVisibleUnits * sizeof(char16_t)));
    if (!visible) {
        EmitError(u"hintbar-check: out of memory\n");
        return 2;
    }
    int status = 0;
    for (int i = 0; i < options.fileCount; ++i) {
        const char16_t* file = HelpFileOf(options.files[i]);
        FindingList findings = {};
        CheckResult result = {};
        CheckHelpFile(file, &findings, &result);
        const CheckedEntry* entry = FindCheckedFunction(&result, name);
        if (entry) {
            if (options.fileCount > 1) {
                EmitFormatted(u"%s:\n", file);
            }
            ShowHelpText(entry, visible, kVisibleUnits);
            Emit(visible);
        } else {
            static char16_t text[kPathUnits + kMessageUnits];
            Format16(text, kPathUnits + kMessageUnits,
                     u"%s: error: the plug-in loads no function @%s from this file "
                     u"[show]\n",
                     file, name);
            EmitError(text);
            status = 2;
        }
        ReleaseCheckResult(&result);
        ReleaseFindings(&findings);
    }
    FlushOutput();
    free(visible);
    return status;
}

int Check(const CheckOptions& options) {
    int status = 0;
    BeginReport(&options.report);
    for (int i = 0; i < options.fileCount; ++i) {
        const char16_t* file = HelpFileOf(options.files[i]);
        FindingList findings = {};
        CheckResult result = {};
        if (CheckHelpFile(file, &findings, &result) != 0) {
            findings.incomplete = true;
        }
        SortFindings(&findings);
        WriteFileReport(&options.report, file, &findings, result.count);
        if (findings.tally[kSeverityError] > 0 || findings.incomplete) {
            status = 2;
        } else if (findings.tally[kSeverityWarning] > 0 && status < 1) {
            status = 1;
        }
        ReleaseCheckResult(&result);
        ReleaseFindings(&findings);
    }
    EndReport(&options.report);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    int count = 0;
    char16_t** arguments = PlatformGetArguments(argc, argv, &count);
    if (!arguments) {
        EmitError(u"hintbar-check: out of memory\n");
        return 2;
    }
    CheckOptions options;
    char16_t problem[kMessageUnits];
    int parsed = ParseCheckOptions(count, arguments, &options, problem);
    int status = 0;
    if (parsed == kOptionsHelp) {
        Emit(kCheckUsage);
        FlushOutput();
    } else if (parsed == kOptionsVersion) {
        EmitFormatted(u"hintbar-check %u.%u.%u.%u\n", kVersionMajor, kVersionMinor, kVersionBuild,
                      kVersionRevision);
        FlushOutput();
    } else if (parsed == kOptionsBad) {
        EmitError(u"hintbar-check: ");
        EmitError(problem);
        EmitError(u"\nTry \"hintbar-check --help\".\n");
        status = 2;
    } else {
        if (options.codePage) {
            PlatformSetAnsiCodePage(options.codePage);
        }
        status = options.show ? Show(options) : Check(options);
    }
    free(options.files);
    free(arguments);
    return status;
}
