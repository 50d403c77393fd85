// hintbar-shell: a terminal command processor that hosts the Hintbar plug-in the way the real
// host does, to try the plug-in on Linux and to drive it in end-to-end tests.
//
//   hintbar-shell [OPTIONS]              interactive, with a status bar
//   hintbar-shell [OPTIONS] FILE         runs FILE as a batch file
//   hintbar-shell [OPTIONS] -c COMMAND   a transient shell: one command, then exit
// OPTIONS: --plugin PATH (the module to load), --codepage N (the ANSI code page), --console
// (no status bar: the host runs in a visible console, whose title is the terminal's); --help
// and --version.
#include "base/text16.h"
#include "host/hostshell/host_control.h"
#include "host/shell/commands.h"
#include "host/shell/help_box.h"
#include "host/shell/line_editor.h"
#include "host/shell/plugin_module.h"
#include "host/shell/status_line.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "platform/window_model.h"

#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char16_t kDefaultStatus[] = u"Ready"; // what an idle host's status bar says
constexpr char kPrompt[] = "hintbar> ";

struct Options {
    const char* plugin; // null: Hintbar.so beside the executable
    const char* command;
    const char* script;
    uint32_t codePage; // 0: the system's default
    bool console;      // a visible console and no status bar
};

PluginModule g_plugin;
bool g_console = false;
void* g_mainWindow = nullptr;
void* g_statusBar = nullptr;

constexpr char kUsageLine[] =
    "usage: hintbar-shell [--plugin PATH] [--codepage N] [--console] [-c COMMAND | FILE]\n";

void Usage(FILE* stream) {
    fputs(kUsageLine, stream);
    fputs("  --plugin PATH  the plug-in module (default: Hintbar.so beside this program)\n"
          "  --codepage N   the ANSI code page, in which help files that are not Unicode are\n"
          "                 read (default 1252), as Windows' system setting gives it\n"
          "  --console      run as in a visible console window: no status bar; the console's\n"
          "                 title is the terminal's title (live help shows there with\n"
          "                 set HintbarConsole=title)\n"
          "  -c COMMAND     run one command in a transient shell, then exit; the plug-in\n"
          "                 does not load in a transient shell\n"
          "  FILE           run the lines of FILE as a batch file, then exit with the result\n"
          "                 of its last command\n"
          "  --help, --version\n"
          "Commands: hbar [options], echo TEXT, set NAME=VALUE, title TEXT, rem, exit.\n"
          "%_? expands to the result of the last command.\n"
          "Testing aid: with HB_SHELL_KEYLOG=PATH in the environment, each key handed to the\n"
          "plug-in is appended to PATH as \"key=K cursor=C line=TEXT\" (C counts UTF-16\n"
          "units), or \"key=0 line=null\" where a line begins.\n",
          stream);
}

// A command line the shell cannot take: what was wrong, then how it is used. Exit status 2.
int BadUsage(const char* what, const char* arg) {
    fprintf(stderr, "hintbar-shell: %s: %s\n", what, arg);
    fputs(kUsageLine, stderr);
    fputs("hintbar-shell --help describes the options.\n", stderr);
    return 2;
}

// A code page number, 1 to 65535; 0 when the text is none.
uint32_t ParseCodePage(const char* text) {
    char* end = nullptr;
    errno = 0;
    unsigned long value = strtoul(text, &end, 10);
    if (errno || end == text || *end || text[0] == '-' || value == 0 || value > 65535) {
        return 0;
    }
    return static_cast<uint32_t>(value);
}

// 0 to go on, otherwise the exit status (-1 for success after --help or --version).
int ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool valued = strcmp(arg, "--plugin") == 0 || strcmp(arg, "--codepage") == 0 ||
                      strcmp(arg, "-c") == 0;
        if (valued && i + 1 >= argc) {
            return BadUsage("a value must follow", arg);
        }
        if (strcmp(arg, "--plugin") == 0) {
            options->plugin = argv[++i];
        } else if (strncmp(arg, "--plugin=", 9) == 0) {
            options->plugin = arg + 9;
        } else if (strcmp(arg, "--codepage") == 0 || strncmp(arg, "--codepage=", 11) == 0) {
            const char* value = arg[10] == '=' ? arg + 11 : argv[++i];
            options->codePage = ParseCodePage(value);
            if (!options->codePage) {
                fprintf(stderr, "hintbar-shell: not a code page: %s\n", value);
                return 2;
            }
        } else if (strcmp(arg, "--console") == 0) {
            options->console = true;
        } else if (strcmp(arg, "-c") == 0) {
            options->command = argv[++i];
        } else if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
            Usage(stdout);
            return -1;
        } else if (strcmp(arg, "--version") == 0) {
            printf("hintbar-shell %s\n", HB_SHELL_VERSION);
            return -1;
        } else if (arg[0] == '-') {
            return BadUsage("unknown option", arg);
        } else if (options->script) {
            return BadUsage("one batch file at a time; also given", arg);
        } else {
            options->script = arg;
        }
    }
    if (options->command && options->script) {
        return BadUsage("-c COMMAND and FILE exclude each other; FILE", options->script);
    }
    return 0;
}

// The running program's full path; empty when the system does not say.
void ExecutablePath(char* path, size_t bytes) {
    ssize_t n = readlink("/proc/self/exe", path, bytes - 1);
    path[n > 0 ? n : 0] = 0;
}

void DefaultPluginPath(const char* executable, char* path, size_t bytes) {
    const char* slash = strrchr(executable, '/');
    int directory = slash ? static_cast<int>(slash - executable + 1) : 0;
    snprintf(path, bytes, "%.*sHintbar.so", directory, executable);
}

// Text in and out is UTF-8, whatever the environment's locale says.
void UseUtf8() {
    setlocale(LC_ALL, "");
    if (strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {
        setlocale(LC_CTYPE, "C.UTF-8");
    }
}

// The console's title is the terminal's: the xterm sequence that sets a window's title, which
// tmux takes as the pane's title.
void ShowConsoleTitle(const char16_t* title) {
    if (!isatty(STDOUT_FILENO)) {
        return; // output captured to a file or pipe has no title
    }
    char* text = Utf16ToUtf8Alloc(title);
    if (text) {
        printf("\033]2;%s\033\\", text);
        fflush(stdout);
        free(text);
    }
}

// The host's variables and windows, as the plug-in will ask for them.
void SetUpHost(const char* executable, bool transient) {
    char16_t* selfPath = Utf8ToUtf16Alloc(executable);
    HostSetCommandSpec(selfPath ? selfPath : u"");
    free(selfPath);
    HostSetBatch(nullptr, 0);
    HostSetTransient(transient ? 1 : 0);
    HostSetPipe(0);
    g_mainWindow = WindowModelCreate(nullptr, u"HintbarShell", u"Hintbar reference shell", true);
    // Output to a file or a pipe shows no status line, so the window has no status bar.
    if (isatty(STDOUT_FILENO)) {
        g_statusBar = WindowModelCreate(g_mainWindow, u"XTPStatusBar", kDefaultStatus, true);
    }
    if (g_console) {
        if (isatty(STDOUT_FILENO)) {
            fputs("\033[22;0t", stdout); // the terminal keeps its own title, to be put back
        }
        WindowModelSetConsole(kConsoleVisible);
        WindowModelSetConsoleTitleListener(ShowConsoleTitle);
        PlatformSetConsoleTitle(u"hintbar-shell");
    } else {
        WindowModelSetConsole(kConsoleAbsent); // the host runs in its own window
    }
    HostSetMainWindow(g_mainWindow);
    HostSetIdleText(kDefaultStatus);
}

void TearDownHost() {
    if (g_console) {
        HelpBoxStop();
        if (isatty(STDOUT_FILENO)) {
            fputs("\033[23;0t", stdout); // the terminal's own title comes back
            fflush(stdout);
        }
    }
    WindowModelSetConsoleTitleListener(nullptr);
    HostSetStatusListener(nullptr);
    HostSetIdleText(nullptr);
    HostSetMainWindow(nullptr);
    WindowModelDestroy(g_mainWindow);
    g_mainWindow = g_statusBar = nullptr;
}

void OnStatusText(const char16_t* text) {
    StatusLineShow(text);
}

// An idle host shows its default text; then the plug-in learns that a new line begins. The
// terminal may have changed size while a command ran.
void BeginLine() {
    if (!g_console) {
        StatusLineRefresh();
        WindowModelSetText(g_statusBar, kDefaultStatus);
        StatusLineShow(kDefaultStatus);
    }
    SendPluginKey(&g_plugin, 0, nullptr, nullptr);
    if (g_console) {
        HelpBoxSync();
    }
}

// In a console the help window may have changed with the key.
void AfterKey() {
    if (g_console) {
        HelpBoxSync();
    }
}

int RunInteractive() {
    bool bar = !g_console && StatusLineStart();
    if (bar) {
        StatusLineShow(kDefaultStatus);
    }
    if (bar) {
        HostSetStatusListener(OnStatusText);
    }
    LineEditorStart(&g_plugin);
    LineEditorSetAbandonedHook(BeginLine);
    LineEditorSetKeyHook(AfterKey);
    for (;;) {
        BeginLine();
        char* line = LineEditorRead(kPrompt);
        if (!line) {
            if (!LineEditorTerminated()) {
                fputs("\n", stdout); // end of input (Ctrl-D) leaves like exit
            }
            break;
        }
        if (g_console) {
            HelpBoxRefresh(false); // a resize among the keys may have gone unseen; hbar /S asks
        }
        CommandOutcome outcome = RunCommandLine(&g_plugin, line);
        free(line);
        AfterKey(); // a command (hbar /Z) may have hidden the help window
        if (outcome.exit || LineEditorTerminated()) {
            break;
        }
    }
    LineEditorStop();
    HostSetStatusListener(nullptr);
    if (bar) {
        StatusLineStop();
    }
    return 0; // each command's result has been seen; the session itself went well
}

} // namespace

int main(int argc, char** argv) {
    Options options{};
    int status = ParseOptions(argc, argv, &options);
    if (status != 0) {
        return status < 0 ? 0 : status;
    }
    // A batch file that cannot be read ends the run before the plug-in has said a word.
    FILE* batch = nullptr;
    if (options.script && !(batch = OpenBatchFile(options.script))) {
        return 2;
    }
    UseUtf8();
    g_console = options.console;
    char executable[PATH_MAX];
    ExecutablePath(executable, sizeof executable);
    char pluginPath[PATH_MAX];
    if (options.plugin) {
        snprintf(pluginPath, sizeof pluginPath, "%s", options.plugin);
    } else {
        DefaultPluginPath(executable, pluginPath, sizeof pluginPath);
    }

    if (options.codePage) {
        PlatformSetAnsiCodePage(options.codePage); // before the plug-in loads its help
    }
    SetUpHost(executable, options.command != nullptr);
    char error[512];
    if (LoadPlugin(pluginPath, &g_plugin, error, sizeof error) != 0) {
        fprintf(stderr, "hintbar-shell: cannot load %s: %s\n", pluginPath, error);
        TearDownHost();
        if (batch) {
            fclose(batch);
        }
        return 1;
    }
    // A plug-in that declines (as in a transient shell) is unloaded without a word.
    StartPlugin(&g_plugin);
    const char* keyLog = getenv("HB_SHELL_KEYLOG");
    if (keyLog && *keyLog && !OpenKeyLog(keyLog)) {
        fprintf(stderr, "hintbar-shell: cannot write the key log %s: %s\n", keyLog,
                strerror(errno));
    }

    int result;
    if (options.command) {
        CommandOutcome outcome = RunCommandLine(&g_plugin, options.command);
        result = outcome.result;
    } else if (options.script) {
        result = RunBatchFile(&g_plugin, options.script, batch);
    } else {
        result = RunInteractive();
    }
    fflush(stdout);
    CloseKeyLog();
    UnloadPlugin(&g_plugin);
    TearDownHost();
    return result;
}
