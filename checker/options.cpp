// Options in the forms people type: --json, --show NAME or --show=NAME, and "--" before a
// file whose name begins with a dash.
#include "checker/options.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/text16.h"

#include <cstdlib>

const char16_t kCheckUsage[] =
    u"usage: hintbar-check [OPTION]... FILE...\n"
    u"Reads each help file as the Hintbar plug-in does and reports, line by line, what the\n"
    u"plug-in passes over, replaces or cuts, and how many functions it loads. A FILE that is\n"
    u"a directory stands for its Hintbar.txt; \"-\" reads standard input.\n"
    u"\n"
    u"  --format FORMAT   text (the default), json, github (annotations) or sarif\n"
    u"  --json            the same as --format json\n"
    u"  --no-source       no source line and caret under each finding\n"
    u"  --quiet           errors only, no summary; says how many findings it hid\n"
    u"  --ignore CODES    leave out the findings of these codes (a list with commas)\n"
    u"  --select CODES    report only the findings of these codes; argument-line is\n"
    u"                    reported only when named here\n"
    u"  --fail-on LEVEL   error, warning (the default) or never: what makes the exit status 1\n"
    u"  --statistics      the number of findings of each code, after the report\n"
    u"  --fix             mend each file in place where a finding has a safe fix, keeping its\n"
    u"                    encoding, line ends and every other byte; \"-\" writes the mended\n"
    u"                    text to standard output and the report to standard error\n"
    u"  --diff            print what --fix would change as a unified diff, and change nothing;\n"
    u"                    \"git apply\" or \"patch -p1\" applies it in the folder it ran in\n"
    u"  --list-codes      the codes of the findings: severity, safe fix, what each means\n"
    u"  --explain CODE    what the plug-in does with such a line, and how to mend it\n"
    u"  --show NAME       the status-bar text of function NAME, with line breaks and tabs\n"
    u"                    shown and \"\u2190 argument N (name)\" after each argument's own\n"
    u"                    line; NAME as \"hbar /F\" takes it: @NAME[, %@NAME[, * and ?\n"
    u"  --codepage N      read ANSI text in code page N (1 to 65535) instead of the system's\n"
    u"  --help            this text\n"
    u"  --version         the version\n"
    u"\n"
    u"A line \"# hintbar-check: ignore CODE[,CODE]\" leaves out those findings on the next\n"
    u"line, and --fix leaves the line as it is. Columns count characters. Exit status: 0 when\n"
    u"clean, 1 for findings at or above --fail-on (with --fix, those left after it; with\n"
    u"--diff, when there is something to fix), 2 when a file or the report could not be read\n"
    u"or written, a fix could not be made safely, or for a usage error.\n"
    u"\n"
    u"Examples:\n"
    u"  hintbar-check Hintbar.txt           what the plug-in makes of each line\n"
    u"  hintbar-check --diff Hintbar.txt    what --fix would change, as a diff\n"
    u"  hintbar-check --fix Hintbar.txt     mend it in place\n"
    u"  hintbar-check --list-codes          the codes, and which --fix mends\n";

namespace {

// The value of an option given as "--name=value" or as the next argument.
const char16_t* ValueOf(const char16_t* arg, size_t nameLength, int* i, int count,
                        char16_t** arguments) {
    if (arg[nameLength] == u'=') {
        return arg + nameLength + 1;
    }
    if (arg[nameLength] == 0 && *i + 1 < count) {
        return arguments[++*i];
    }
    return nullptr;
}

bool IsOption(const char16_t* arg, const char16_t* name) {
    size_t n = Str16Len(name);
    for (size_t i = 0; i < n; ++i) {
        if (arg[i] != name[i]) {
            return false;
        }
    }
    return arg[n] == 0 || arg[n] == u'=';
}

bool ParseCodePage(const char16_t* text, uint32_t* codePage) {
    uint32_t value = 0;
    if (!text || !*text) {
        return false;
    }
    for (const char16_t* p = text; *p; ++p) {
        if (*p < u'0' || *p > u'9' || value > 6553) {
            return false;
        }
        value = value * 10 + static_cast<uint32_t>(*p - u'0');
    }
    if (value == 0 || value > 65535) {
        return false;
    }
    *codePage = value;
    return true;
}

struct Named {
    const char16_t* name;
    int value;
};

bool ParseNamed(const char16_t* text, const Named* table, size_t count, int* value) {
    for (size_t i = 0; text && i < count; ++i) {
        if (Str16Equal(text, table[i].name)) {
            *value = table[i].value;
            return true;
        }
    }
    return false;
}

const Named kFormats[] = {{u"text", kFormatText},
                          {u"json", kFormatJson},
                          {u"github", kFormatGithub},
                          {u"sarif", kFormatSarif}};
const Named kFailOn[] = {
    {u"error", kSeverityError}, {u"warning", kSeverityWarning}, {u"never", kFailOnNever}};

// An option that takes a value; kOptionsRun, or kOptionsBad with problem filled.
int ParseValued(const char16_t* arg, int* i, int count, char16_t** arguments, CheckOptions* options,
                char16_t* problem, bool* selected) {
    size_t nameLength = 0;
    while (arg[nameLength] && arg[nameLength] != u'=') {
        ++nameLength;
    }
    const char16_t* value = ValueOf(arg, nameLength, i, count, arguments);
    char16_t unknown[kMessageUnits];
    if (IsOption(arg, u"--show")) {
        options->show = value;
        if (value && *value) {
            return kOptionsRun;
        }
        Str16Copy({problem, kMessageUnits}, u"--show needs the name of a function");
    } else if (IsOption(arg, u"--codepage")) {
        if (ParseCodePage(value, &options->codePage)) {
            return kOptionsRun;
        }
        Str16Copy({problem, kMessageUnits}, u"--codepage needs a code page number from 1 to 65535");
    } else if (IsOption(arg, u"--format")) {
        if (ParseNamed(value, kFormats, 4, &options->report.format)) {
            return kOptionsRun;
        }
        Str16Copy({problem, kMessageUnits}, u"--format takes text, json, github or sarif");
    } else if (IsOption(arg, u"--fail-on")) {
        if (ParseNamed(value, kFailOn, 3, &options->failOn)) {
            return kOptionsRun;
        }
        Str16Copy({problem, kMessageUnits}, u"--fail-on takes error, warning or never");
    } else if (IsOption(arg, u"--explain")) {
        options->explain = value ? FindCheckCode(value, Str16Len(value)) : -1;
        if (options->explain >= 0) {
            return kOptionsExplain;
        }
        if (value && *value) {
            Format16({problem, kMessageUnits},
                     u"--explain needs a code, such as duplicate; \"%s\" is none", value);
        } else {
            Str16Copy({problem, kMessageUnits},
                      u"--explain needs a code, such as duplicate (see --list-codes)");
        }
    } else {
        bool ignore = IsOption(arg, u"--ignore");
        CodeSet set = 0;
        if (!ParseCodeList(value, &set, unknown)) {
            Format16({problem, kMessageUnits}, u"%s: \"%s\" is not a code (see --list-codes)",
                     ignore ? u"--ignore" : u"--select", unknown);
            return kOptionsBad;
        }
        // Every --select adds to the kept codes; every --ignore takes its codes away.
        if (ignore) {
            options->codes &= ~set;
        } else {
            options->codes = (*selected ? options->codes : 0) | set;
            *selected = true;
        }
        return kOptionsRun;
    }
    return kOptionsBad;
}

} // namespace

int ParseCheckOptions(int count, char16_t** arguments, CheckOptions* options, char16_t* problem) {
    *options = CheckOptions{};
    options->report.source = true;
    options->codes = kAllCodes & ~CodesOffByDefault();
    options->failOn = kSeverityWarning;
    options->explain = -1;
    problem[0] = 0;
    size_t slots = count > 0 ? static_cast<size_t>(count) : 0;
    options->files = static_cast<const char16_t**>(malloc(sizeof(char16_t*) * (slots + 1)));
    if (!options->files) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        Str16Copy({problem, kMessageUnits}, u"out of memory");
        return kOptionsBad;
    }
    bool optionsEnd = false;
    bool selected = false;
    bool listCodes = false;
    for (int i = 1; i < count; ++i) {
        const char16_t* arg = arguments[i];
        if (optionsEnd || arg[0] != u'-' || arg[1] == 0) {
            options->files[options->fileCount++] = arg;
        } else if (Str16Equal(arg, u"--")) {
            optionsEnd = true;
        } else if (Str16Equal(arg, u"--help") || Str16Equal(arg, u"-h")) {
            return kOptionsHelp;
        } else if (Str16Equal(arg, u"--version")) {
            return kOptionsVersion;
        } else if (Str16Equal(arg, u"--json")) {
            options->report.format = kFormatJson;
        } else if (Str16Equal(arg, u"--quiet") || Str16Equal(arg, u"-q")) {
            options->report.quiet = true;
        } else if (Str16Equal(arg, u"--no-source")) {
            options->report.source = false;
        } else if (Str16Equal(arg, u"--statistics")) {
            options->statistics = true;
        } else if (Str16Equal(arg, u"--fix")) {
            options->fix = true;
        } else if (Str16Equal(arg, u"--diff")) {
            options->diff = true;
        } else if (Str16Equal(arg, u"--list-codes")) {
            listCodes = true;
        } else if (IsOption(arg, u"--show") || IsOption(arg, u"--codepage") ||
                   IsOption(arg, u"--format") || IsOption(arg, u"--fail-on") ||
                   IsOption(arg, u"--explain") || IsOption(arg, u"--ignore") ||
                   IsOption(arg, u"--select")) {
            int parsed = ParseValued(arg, &i, count, arguments, options, problem, &selected);
            if (parsed != kOptionsRun) {
                return parsed;
            }
        } else {
            Format16({problem, kMessageUnits}, u"unknown option \"%s\"", arg);
            return kOptionsBad;
        }
    }
    options->report.failOn = options->failOn;
    options->report.fixRun = options->fix;
    int format = options->report.format;
    bool machine = format == kFormatSarif || format == kFormatGithub;
    const char16_t* clash = nullptr;
    if (listCodes) {
        clash = format == kFormatGithub ? u"--list-codes gives text, JSON or SARIF, not annotations"
                                        : nullptr;
    } else if (options->fix && options->diff) {
        clash = u"--fix and --diff exclude each other: --diff only shows what --fix does";
    } else if (options->show && (options->fix || options->diff)) {
        clash = u"--show changes nothing: it takes no --fix or --diff";
    } else if (options->show && machine) {
        clash = u"--show gives text or JSON: --format sarif and github have no form for it";
    } else if (options->diff && format != kFormatText) {
        clash = u"--diff prints a diff: it takes no --format";
    } else if (options->fileCount == 0) {
        clash = u"no help file named";
    }
    if (clash) {
        Str16Copy({problem, kMessageUnits}, clash);
        return kOptionsBad;
    }
    return listCodes ? kOptionsListCodes : kOptionsRun;
}
