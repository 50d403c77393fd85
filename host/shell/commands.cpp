#include "host/shell/commands.h"

#include "base/text16.h"
#include "host/hostshell/expand.h"
#include "host/hostshell/host_control.h"
#include "interface/host_services.h"
#include "platform/platform.h"
#include "platform/utf8.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The batch file that runs and its line, for the shell's own messages; no name: none runs.
struct BatchPlace {
    const char* name; // the full path, as %_batchname gives it
    int line;
};
BatchPlace g_batch = {nullptr, 0};

// An error of the shell's own on standard error. In a batch file it names the file and the
// line first, as the plug-in's messages do, so that a user can find the line at fault.
__attribute__((format(printf, 1, 2))) void Complain(const char* format, ...) {
    if (g_batch.name) {
        fprintf(stderr, "%s [%d]  ", g_batch.name, g_batch.line);
    }
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsCommand(const char* name, size_t length, const char* command) {
    if (strlen(command) != length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        char c = (name[i] >= 'A' && name[i] <= 'Z') ? static_cast<char>(name[i] + 32) : name[i];
        if (c != command[i]) {
            return false;
        }
    }
    return true;
}

int Echo(const char* text) {
    // The host's expansion works in a buffer of this size, like the plug-in's.
    char16_t buffer[kExpandUnits];
    Utf8ToUtf16(text, buffer);
    ExpandVariables(buffer, 1);
    Printf(u"%s\n", buffer);
    return 0;
}

// "set NAME=VALUE" sets a variable of the process, as the host's own set command does (an empty
// value removes it); "set" alone is not a listing here.
int Set(const char* text) {
    const char* equals = strchr(text, '=');
    if (!equals || equals == text) {
        Complain("Syntax: set NAME=VALUE\n");
        return 1;
    }
    std::string name(text, static_cast<size_t>(equals - text));
    char16_t* wideName = Utf8ToUtf16Alloc(name.c_str());
    char16_t* wideValue = Utf8ToUtf16Alloc(equals + 1);
    bool ok = wideName && wideValue &&
              PlatformSetEnvironmentVariable(wideName, wideValue[0] ? wideValue : nullptr);
    free(wideName);
    free(wideValue);
    return ok ? 0 : 1;
}

// "title TEXT" sets the console window's title, as the host's own title command does; with the
// host in its own window there is no console title to set.
int Title(const char* text) {
    char16_t* title = Utf8ToUtf16Alloc(text);
    bool ok = title && PlatformSetConsoleTitle(title);
    free(title);
    return ok ? 0 : 1;
}

int RunPluginCommand(CommandProc run, const char* arguments) {
    char16_t* line = Utf8ToUtf16Alloc(arguments);
    if (!line) {
        Complain("hintbar-shell: out of memory\n");
        return 1;
    }
    int result = run(line);
    free(line);
    return result;
}

} // namespace

CommandOutcome RunCommandLine(const PluginModule* module, const char* line) {
    CommandOutcome outcome{0, false, false};
    while (IsBlank(*line)) {
        ++line;
    }
    size_t length = 0;
    while (line[length] && !IsBlank(line[length])) {
        ++length;
    }
    if (length == 0) {
        return outcome;
    }
    const char* arguments = line + length;
    while (IsBlank(*arguments)) {
        ++arguments;
    }
    char name[kCommandNameBytes];
    snprintf(name, sizeof name, "%.*s", static_cast<int>(length), line);
    CommandProc run = length < sizeof name ? FindPluginCommand(module, name) : nullptr;
    if (IsCommand(line, length, "exit")) {
        outcome.exit = true;
    } else if (IsCommand(line, length, "echo")) {
        outcome.result = Echo(arguments);
    } else if (IsCommand(line, length, "set")) {
        outcome.result = Set(arguments);
    } else if (IsCommand(line, length, "title")) {
        outcome.result = Title(arguments);
    } else if (IsCommand(line, length, "rem")) {
        // a comment
    } else if (run) {
        outcome.result = RunPluginCommand(run, arguments);
    } else if (length < sizeof name && IsDeclinedCommand(module, name)) {
        // A plug-in declines to load in a transient shell, as in any host of its kind.
        Complain("\"%s\" is the plug-in's command, and the plug-in is not loaded in a transient "
                 "shell (-c).\nRun it in the interactive shell or from a batch file.\n",
                 name);
        outcome.result = kUnknownCommand;
    } else {
        Complain("Unknown command: \"%.*s\"\n", static_cast<int>(length), line);
        outcome.result = kUnknownCommand;
    }
    fflush(stderr);
    outcome.ran = !outcome.exit;
    if (outcome.ran) {
        HostSetLastResult(outcome.result);
    }
    return outcome;
}

FILE* OpenBatchFile(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file) {
        fprintf(stderr, "hintbar-shell: cannot read %s: %s\n", path, strerror(errno));
    }
    return file;
}

int RunBatchFile(const PluginModule* module, const char* path, FILE* file) {
    // The batch name the host reports is the file's full path.
    char* full = realpath(path, nullptr);
    g_batch.name = full ? full : path;
    char16_t* name = Utf8ToUtf16Alloc(g_batch.name);
    int result = 0;
    char* text = nullptr;
    size_t capacity = 0;
    ssize_t n;
    for (int number = 1; (n = getline(&text, &capacity, file)) >= 0; ++number) {
        while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r')) {
            text[--n] = 0;
        }
        const char* start = text;
        if (number == 1 && strncmp(start, "\xEF\xBB\xBF", 3) == 0) {
            start += 3; // byte-order mark
        }
        g_batch.line = number;
        HostSetBatch(name ? name : u"batch", number);
        CommandOutcome outcome = RunCommandLine(module, start);
        if (outcome.exit) {
            break;
        }
        if (outcome.ran) {
            result = outcome.result;
        }
    }
    HostSetBatch(nullptr, 0);
    g_batch = {nullptr, 0};
    free(text);
    free(name);
    free(full);
    fclose(file);
    return result;
}
