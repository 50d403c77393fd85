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
    u"a directory stands for its Hintbar.txt.\n"
    u"\n"
    u"  --json          one JSON record per finding: file, line, column, severity, code, message\n"
    u"  --quiet         errors only, and no summary\n"
    u"  --show NAME     the status-bar text of function NAME, with line breaks and tabs shown\n"
    u"  --codepage N    read ANSI text in code page N instead of the system's\n"
    u"  --help          this text\n"
    u"  --version       the version\n"
    u"\n"
    u"Exit status: 0 when clean, 1 when there are warnings and no errors, 2 for errors.\n";

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

} // namespace

int ParseCheckOptions(int count, char16_t** arguments, CheckOptions* options, char16_t* problem) {
    *options = CheckOptions{};
    problem[0] = 0;
    size_t slots = count > 0 ? static_cast<size_t>(count) : 0;
    options->files = static_cast<const char16_t**>(malloc(sizeof(char16_t*) * (slots + 1)));
    if (!options->files) {
        Str16Copy(problem, kMessageUnits, u"out of memory");
        return kOptionsBad;
    }
    bool optionsEnd = false;
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
            options->report.json = true;
        } else if (Str16Equal(arg, u"--quiet") || Str16Equal(arg, u"-q")) {
            options->report.quiet = true;
        } else if (IsOption(arg, u"--show")) {
            options->show = ValueOf(arg, 6, &i, count, arguments);
            if (!options->show || !*options->show) {
                Str16Copy(problem, kMessageUnits, u"--show needs the name of a function");
                return kOptionsBad;
            }
        } else if (IsOption(arg, u"--codepage")) {
            const char16_t* value = ValueOf(arg, 10, &i, count, arguments);
            if (!ParseCodePage(value, &options->codePage)) {
                Str16Copy(problem, kMessageUnits,
                          u"--codepage needs a code page number from 1 to 65535");
                return kOptionsBad;
            }
        } else {
            Format16(problem, kMessageUnits, u"unknown option \"%s\"", arg);
            return kOptionsBad;
        }
    }
    if (options->fileCount == 0) {
        Str16Copy(problem, kMessageUnits, u"no help file named");
        return kOptionsBad;
    }
    return kOptionsRun;
}
