// The hbar command: checks all of its arguments first, then unloads, loads and reports, in
// that order whatever the order of the arguments.
#include "command/hbar.h"

#include "base/host_services.h"
#include "base/limits.h"
#include "base/messages.h"
#include "base/product.h"
#include "base/text16.h"
#include "command/arguments.h"
#include "helptable/help_loader.h"
#include "helptable/help_table.h"
#include "helptable/startup.h"
#include "platform/platform.h"

const char16_t kCommandHelp[] =
    u"Reload the Hintbar data file, or display info.\n\nHBAR /I /L:filename /Q\r\n\n"
    u"\t/I\tshow detailed memory usage  \n\t/L:\treload the data file\n\t/Q\tquietly\n\n"
    u"If you load help text with /L, the text from the file will \n"
    u"replace all currently loaded help text.\n";

namespace {

// What the arguments asked for.
struct HbarRun {
    bool info;                 // "/I": the memory report
    bool quiet;                // "/Q"
    bool unload;               // "/Z"
    bool countLine;            // the "in memory" line, unless /I, /Z or a good /L turned it off
    char16_t path[kPathUnits]; // canonical path of the file to load; empty: none
};

int Fail(int result, const char16_t* format, const char16_t* text) {
    WriteErrorPrefix();
    Qprintf(ErrorHandle(), format, text);
    return result;
}

bool IsOption(const char16_t* arg, const char16_t* option) {
    return Str16CompareNoCase(arg, option) == 0;
}

// Checks the file named by name; holder is the argument that holds it, shown upper-cased when
// the name does not resolve. Returns 0, or the command's result for a failure.
int CheckFile(HbarRun& run, const char16_t* name, char16_t* holder) {
    int resolved = ResolveHelpFileName(name, run.path);
    if (resolved == kHelpNameBad) {
        return Fail(1, u"Bad filename: \"%s\"\r\n", Str16UpperAscii(holder));
    }
    if (resolved == kHelpNameNotFound) {
        return Fail(2, u"File not found: \"%s\"\r\n", run.path);
    }
    run.countLine = false;
    return 0;
}

// Walks the arguments. Returns -1 to go on with the effects, or the command's result.
int ParseArguments(HbarRun& run) {
    for (int32_t k = 0; k < CommandArguments().count; ++k) {
        char16_t* arg = CommandArguments().pointers[k];
        if (Str16Equal(arg, u"/?") || Str16Equal(arg, u"/??")) {
            QPuts(kCommandHelp);
            if (arg[2] == u'?') {
                Printf(u"\r\n\t\t\t\t%s  %u.%u.%u.%u (%s)\r\n", kPluginName, kVersionMajor,
                       kVersionMinor, kVersionBuild, kVersionRevision, kMachineName);
            }
            return 0;
        }
        if (IsOption(arg, u"/I")) {
            run.info = true;
            run.countLine = false;
        } else if (IsOption(arg, u"/L")) {
            if (k + 1 >= CommandArguments().count ||
                CommandArguments().pointers[k + 1][0] == u'/') {
                return Fail(1, u"Missing filename: \"%s\"\r\n", u"/L");
            }
            ++k;
            if (int result = CheckFile(run, CommandArguments().pointers[k],
                                       CommandArguments().pointers[k])) {
                return result;
            }
        } else if (arg[0] == u'/' && UpperAscii(arg[1]) == u'L') {
            const char16_t* name = arg + 2;
            if (*name == u':' || *name == u'=') {
                ++name;
            }
            if (!*name) {
                return Fail(1, u"Missing filename: \"%s\"\r\n", Str16UpperAscii(arg));
            }
            if (int result = CheckFile(run, name, arg)) {
                return result;
            }
        } else if (IsOption(arg, u"/Q")) {
            run.quiet = true;
        } else if (IsOption(arg, u"/Z")) {
            run.unload = true;
            run.countLine = false;
        } else if (arg[0] == u'/') {
            return Fail(1, u"Unknown option: \"%s\"\r\n", Str16UpperAscii(arg));
        } else {
            return Fail(1, u"Syntax error: \"%s\"\r\n", Str16UpperAscii(arg));
        }
    }
    return -1;
}

void Unload(bool quiet) {
    if (!HelpTableRoot()) {
        if (!quiet) {
            Printf(u"Nothing to unload.\r\n");
        }
        return;
    }
    uint32_t released = UnloadHelpTable();
    if (!quiet) {
        Printf(u"\u2022  %s deleted.\r\n", FormatCount(released));
    }
}

// The table changes only once the new tree is complete; a failed load keeps the old one.
void Load(const char16_t* path, bool quiet) {
    uint32_t count = 0;
    HelpNode* tree = LoadHelpFile(&count, path, quiet ? 1 : 0);
    if (!tree) {
        return;
    }
    InstallHelpTable(tree, count);
}

// Each line is printed before the next figure is worded: the wording buffers are shared.
void ReportMemory() {
    HelpTableTotals totals = {};
    if (HelpTableRoot()) {
        MeasureHelpTree(HelpTableRoot(), &totals);
    }
    uint32_t total = totals.nodeBytes + totals.nameBytes + totals.syntaxBytes + totals.infoBytes;
    Printf(u"\r\nFound %s:\r\n\r\n", FormatCount(totals.nodes));
    Printf(u"Node structures:  %s\r\n", FormatByteCount(totals.nodeBytes));
    Printf(u"Function names:   %s\r\n", FormatByteCount(totals.nameBytes));
    Printf(u"Function syntax:  %s\r\n", FormatByteCount(totals.syntaxBytes));
    Printf(u"Additional info:  %s\r\n", FormatByteCount(totals.infoBytes));
    Printf(u"\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015"
           u"\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015"
           u"\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\r\n");
    Printf(u"TOTAL:            %s\r\n", FormatByteCount(total));
}

} // namespace

int RunHbar(const char16_t* line) {
    if (!line) {
        return 1;
    }
    HbarRun run = {};
    run.countLine = true;
    // An overflow has been reported by the tokenizer; carrying on as if no argument had been
    // given would report success for a command that was not understood.
    if (SplitArguments(line) < 0) {
        return 1;
    }
    int result = ParseArguments(run);
    if (result >= 0) {
        return result;
    }
    if (run.unload) {
        Unload(run.quiet);
    }
    if (run.path[0]) {
        Load(run.path, run.quiet);
    }
    if (run.info) {
        ReportMemory();
    } else if (run.countLine) {
        Printf(u"%s in memory.\r\n", FormatCount(HelpTableCount()));
    }
    return 0;
}
