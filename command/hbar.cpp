// The hbar command: checks all of its arguments first, then unloads, loads and reports, in
// that order whatever the order of the arguments.
#include "command/hbar.h"

#include "base/limits.h"
#include "base/messages.h"
#include "command/counts.h"
#include "base/product.h"
#include "base/text16.h"
#include "command/arguments.h"
#include "command/error_messages.h"
#include "command/function_lookup.h"
#include "command/help_status.h"
#include "helptable/help_file_name.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "base/host.h"
#include "livehelp/help_line.h"
#include "platform/platform.h"

#include <optional>
#include <span>

// The lines for /A, /F and /S stand among the older ones in the order of their letters; /Z and
// /?? come last, so that a user who knows only /? finds how to unload and the version. The
// usage line begins as it always has, since hosts show the help from "HBAR /I" on.
const char16_t kCommandHelp[] =
    u"Reload the Hintbar data file, or display info.\n\n"
    u"HBAR /I /L:filename /Q /A:filename /F:pattern /S /Z\r\n\n"
    u"\t/A:\tadd a help file to the loaded help\n"
    u"\t/F:\tshow a function's help (* and ? match any characters)\n"
    u"\t/I\tshow detailed memory usage\n\t/L:\treload the data file\n\t/Q\tquietly\n"
    u"\t/S\tshow the help files loaded and where help shows\n"
    u"\t/Z\tunload the help\n"
    u"\t/??\tshow this help and the version\n\n"
    u"If you load help text with /L, the text from the file will\n"
    u"replace all currently loaded help text.\n"
    u"A file added with /A keeps the loaded help text; its functions\n"
    u"replace those of the same name.\n"
    u"A name that begins with \"/\" is quoted after a colon: /L:\"/path/Hintbar.txt\"\n";

namespace {

// What the arguments asked for.
struct HbarRun {
    bool info;                 // "/I": the memory report
    bool quiet;                // "/Q"
    bool unload;               // "/Z"
    bool status;               // "/S": the files loaded and where help shows
    bool countLine;            // the "in memory" line, unless another option has its own output
    char16_t path[kPathUnits]; // canonical path of the file to load; empty: none
    const char16_t* pattern;   // "/F": the pattern as typed (the last one given); null: none
    const char16_t* added[MAX_ARGS]; // "/A": the names as typed, in the order given
    int32_t addedCount;
};

// The canonical path of each file to add is found again when it is added: one buffer serves
// them all, rather than one full path per argument.
char16_t g_addPath[kPathUnits];

void ReportError(const char16_t* format, const char16_t* text) {
    WriteErrorPrefix();
    HostPrintTo(ErrorHandle(), format, text);
}

HbarResult Fail(HbarResult result, const char16_t* format, const char16_t* text) {
    ReportError(format, text);
    return result;
}

bool IsOption(const char16_t* arg, const char16_t* option) {
    return Str16CompareNoCase(arg, option) == 0;
}

// Checks the file named by name into path, as every option that takes a help file does;
// shownHolder is the argument that holds it, upper-cased, as shown when the name does not
// resolve. Done when the file is there; otherwise the command's result for the failure.
HbarResult CheckFile(HbarRun& run, const char16_t* name, const char16_t* shownHolder,
                     std::span<char16_t, kPathUnits> path) {
    HelpFileName resolved = ResolveHelpFileName(name, path);
    if (resolved == HelpFileName::Bad) {
        return Fail(HbarResult::BadArgument, u"Bad filename: \"%s\"\r\n", shownHolder);
    }
    if (resolved == HelpFileName::NotFound) {
        return Fail(HbarResult::FileNotFound, u"File not found: \"%s\"\r\n", path.data());
    }
    run.countLine = false;
    return HbarResult::Done;
}

// Whether an argument is one of the command's options as written, rather than a name that
// begins with "/" (a path such as /home/me, which the tokenizer splits at each "/").
bool LooksLikeOption(const char16_t* arg) {
    for (const char16_t* bare : {u"/I", u"/Q", u"/S", u"/Z", u"/?", u"/??"}) {
        if (IsOption(arg, bare)) {
            return true;
        }
    }
    char16_t letter = UpperAscii(arg[1]);
    bool takesValue = letter == u'L' || letter == u'A' || letter == u'F';
    return takesValue && (!arg[2] || arg[2] == u':' || arg[2] == u'=');
}

// The value of an option that takes one, as "/L name" or joined as "/Lname", "/L:name" or
// "/L=name". Advances k past a separate value. Null, after the usage error, when it is missing.
const char16_t* OptionValue(int32_t& k, const char16_t* missing) {
    const char16_t* arg = CommandArguments().pointers[k];
    if (!arg[2]) {
        if (k + 1 >= CommandArguments().count || CommandArguments().pointers[k + 1][0] == u'/') {
            ReportError(missing, CommandArguments().upper[k]);
            // A name that begins with "/" read as options: say how to write it.
            if (k + 1 < CommandArguments().count &&
                !LooksLikeOption(CommandArguments().pointers[k + 1])) {
                HostPrintTo(ErrorHandle(),
                            u"A name that begins with \"/\" must be quoted after a colon, as in "
                            u"%s:\"/path/name\".\r\n",
                            CommandArguments().upper[k]);
            }
            return nullptr;
        }
        return CommandArguments().pointers[++k];
    }
    const char16_t* value = arg + 2;
    if (*value == u':' || *value == u'=') {
        ++value;
    }
    if (!*value) {
        ReportError(missing, CommandArguments().upper[k]);
        return nullptr;
    }
    return value;
}

// Walks the arguments. Nothing to go on with the effects, or the command's result.
std::optional<HbarResult> ParseArguments(HbarRun& run) {
    for (int32_t k = 0; k < CommandArguments().count; ++k) {
        const char16_t* arg = CommandArguments().pointers[k];
        char16_t letter = arg[0] == u'/' ? UpperAscii(arg[1]) : 0;
        if (Str16Equal(arg, u"/?") || Str16Equal(arg, u"/??")) {
            HostPuts(kCommandHelp);
            if (arg[2] == u'?') {
                HostPrint(u"\r\n\t\t\t\t%s  %u.%u.%u.%u (%s)\r\n", kPluginName, kVersionMajor,
                          kVersionMinor, kVersionBuild, kVersionRevision, kMachineName);
            }
            return HbarResult::Done;
        }
        if (IsOption(arg, u"/I")) {
            run.info = true;
            run.countLine = false;
        } else if (letter == u'L' || letter == u'A') {
            // A separate name is checked and shown as its own argument; a joined one as the
            // whole argument, option and all.
            const char16_t* name = OptionValue(k, u"Missing filename: \"%s\"\r\n");
            if (!name) {
                return HbarResult::BadArgument;
            }
            const char16_t* shownHolder = CommandArguments().upper[k];
            std::span<char16_t, kPathUnits> path{letter == u'L' ? run.path : g_addPath};
            HbarResult checked = CheckFile(run, name, shownHolder, path);
            if (checked != HbarResult::Done) {
                return checked;
            }
            if (letter == u'A') {
                run.added[run.addedCount++] = name;
            }
        } else if (letter == u'F') {
            const char16_t* pattern = OptionValue(k, u"Missing pattern: \"%s\"\r\n");
            if (!pattern) {
                return HbarResult::BadArgument;
            }
            run.pattern = pattern;
            run.countLine = false;
        } else if (IsOption(arg, u"/Q")) {
            run.quiet = true;
        } else if (IsOption(arg, u"/S")) {
            run.status = true;
            run.countLine = false;
        } else if (IsOption(arg, u"/Z")) {
            run.unload = true;
            run.countLine = false;
        } else if (arg[0] == u'/') {
            return Fail(HbarResult::BadArgument, u"Unknown option: \"%s\"\r\n",
                        CommandArguments().upper[k]);
        } else {
            return Fail(HbarResult::BadArgument, u"Syntax error: \"%s\"\r\n",
                        CommandArguments().upper[k]);
        }
    }
    return std::nullopt;
}

void Unload(bool quiet) {
    if (!HelpTableRoot()) {
        if (!quiet) {
            HostPrint(u"Nothing to unload.\r\n");
        }
        return;
    }
    uint32_t released = UnloadHelp();
    HelpTableWent(); // help that shows came from the table that went
    if (!quiet) {
        HostPrint(u"\u2022  %s deleted.\r\n", FormatCount(released));
    }
}

// Each line is printed before the next figure is worded: the wording buffers are shared.
void ReportMemory() {
    HelpTableTotals totals = {};
    if (HelpTableRoot()) {
        MeasureHelpTree(HelpTableRoot(), &totals);
    }
    uint32_t total = totals.nodeBytes + totals.nameBytes + totals.syntaxBytes + totals.infoBytes;
    HostPrint(u"\r\nFound %s:\r\n\r\n", FormatCount(totals.nodes));
    HostPrint(u"Node structures:  %s\r\n", FormatByteCount(totals.nodeBytes));
    HostPrint(u"Function names:   %s\r\n", FormatByteCount(totals.nameBytes));
    HostPrint(u"Function syntax:  %s\r\n", FormatByteCount(totals.syntaxBytes));
    HostPrint(u"Additional info:  %s\r\n", FormatByteCount(totals.infoBytes));
    HostPrint(u"\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015"
              u"\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015"
              u"\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\r\n");
    HostPrint(u"TOTAL:            %s\r\n", FormatByteCount(total));
}

} // namespace

HbarResult RunHbar(const char16_t* line) {
    if (!line) {
        return HbarResult::BadArgument;
    }
    HbarRun run = {};
    run.countLine = true;
    // An overflow has been reported by the tokenizer; carrying on as if no argument had been
    // given would report success for a command that was not understood.
    if (SplitArguments(line) < 0) {
        return HbarResult::BadArgument;
    }
    std::optional<HbarResult> parsed = ParseArguments(run);
    if (parsed) {
        return *parsed;
    }
    // The table changes only once each new tree is complete: a failed load or add keeps the
    // table as it was.
    if (run.unload) {
        Unload(run.quiet);
    }
    if (run.path[0]) {
        HelpLoadResult loaded = LoadHelpTable(run.path, run.path);
        ReportLoadFailure(loaded);
        if (loaded.outcome == HelpLoad::Loaded && !run.quiet) {
            HostPrint(u"Loaded %s from \"%s\".\r\n", FormatCount(loaded.functions), run.path);
        }
    }
    for (int32_t k = 0; k < run.addedCount; ++k) {
        (void)ResolveHelpFileName(run.added[k], g_addPath); // checked before any change
        HelpLoadResult added = AddHelpFile(g_addPath);
        ReportLoadFailure(added);
        if (added.outcome == HelpLoad::Loaded && !run.quiet) {
            HostPrint(u"Added %s from \"%s\".\r\n", FormatCount(added.functions), g_addPath);
        }
    }
    HbarResult found =
        run.pattern && !ShowMatchingHelp(run.pattern) ? HbarResult::NoHelpFound : HbarResult::Done;
    if (run.info) {
        ReportMemory();
    }
    if (run.status) {
        ReportHelpStatus();
    }
    if (run.countLine) {
        HostPrint(u"%s in memory.\r\n", FormatCount(HelpTableCount()));
    }
    return found;
}
