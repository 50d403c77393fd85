// HintbarBench: times the plug-in DLL as a host drives it, under the Windows heap and a real
// status-bar window: "hbar /Q /L" of generated help files, "hbar /Z" of the largest table, and
// "[" at the end of a line, the first of the line (which also saves the bar's text) and a
// later one. It loads the DLL of its own bitness from its own directory, as the host does.
//
//   HintbarBench.exe [--quick]
//
// Prints "# HintbarBench x86" (or x64), then one line per case: its name, the median in
// seconds and the number of runs. tools/bench_summary.py reads these lines.
#include "bench/help_files.h"
#include "host/hostshell/host_control.h"
#include "host/win/host_window.h"
#include "host/win/plugin_loader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool g_quick = false; // fewer runs, to see that every case works

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

void Report(const std::string& name, const std::vector<double>& times) {
    printf("%s %.9f %zu\n", name.c_str(), Median(times), times.size());
    fflush(stdout);
}

std::wstring ToWide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

// Runs the command with a writable copy of its arguments, as the host passes them.
int RunHbar(const Plugin& plugin, const std::wstring& arguments) {
    std::vector<wchar_t> line(arguments.begin(), arguments.end());
    line.push_back(0);
    int result = plugin.hbar(reinterpret_cast<char16_t*>(line.data()));
    HostClearCaptured();
    return result;
}

// "hbar /Q /L" of the generated file of that size and encoding.
std::wstring LoadCommand(int functions, BenchEncoding encoding) {
    return L"/Q /L \"" + ToWide(Wide(HelpFilePath(functions, encoding))) + L"\"";
}

// A name the file defines: the one on the entry line nearest its middle.
std::wstring NameInFile(const std::string& utf8) {
    size_t at = utf8.find("\n@", utf8.size() / 2);
    size_t open = at == std::string::npos ? at : utf8.find('[', at);
    if (open == std::string::npos) {
        return L"";
    }
    return ToWide(Wide(utf8.substr(at + 2, open - at - 2)));
}

// One case's times, gathered over the whole run.
struct LoadCase {
    int functions;
    BenchEncoding encoding;
    std::vector<double> loads;
    std::vector<double> unloads;
};

// Loads into an empty table each time, so that a run times the load alone; the unloads
// between runs are timed on their own for the largest file.
bool TimeLoads(const Plugin& plugin, LoadCase* c, int runs) {
    std::wstring load = LoadCommand(c->functions, c->encoding);
    for (int i = 0; i < runs; ++i) {
        double start = Now();
        int result = RunHbar(plugin, load);
        c->loads.push_back(Now() - start);
        if (result != 0) {
            fprintf(stderr, "HintbarBench: hbar %ls returned %d\n", load.c_str(), result);
            return false;
        }
        start = Now();
        RunHbar(plugin, L"/Q /Z");
        c->unloads.push_back(Now() - start);
    }
    return true;
}

// Presses "[" at the end of "echo %@NAME": with first, each press begins a new line (the
// boundary event comes before it, untimed), else every press follows one on the same line.
bool TimeOpenBracket(const Plugin& plugin, const HostWindow& window, const std::wstring& name,
                     bool first, int runs, const char* report) {
    std::wstring text = L"echo %@" + name;
    std::vector<wchar_t> line(text.begin(), text.end());
    line.push_back(0);
    KeyEvent press = {};
    press.key = L'[';
    KeyEvent boundary = {};
    std::vector<double> times;
    plugin.key(&boundary);
    for (int i = 0; i < runs; ++i) {
        if (first) {
            plugin.key(&boundary);
        }
        PumpMessages();
        press.line = reinterpret_cast<char16_t*>(line.data());
        press.cursor = press.line + text.size();
        double start = Now();
        plugin.key(&press);
        times.push_back(Now() - start);
    }
    // A press that showed nothing timed nothing worth having.
    bool shown = StatusBarText(window) != kIdleStatusText;
    plugin.key(&boundary);
    PumpMessages();
    if (!shown) {
        fprintf(stderr, "HintbarBench: \"[\" after %ls showed no help\n", name.c_str());
        return false;
    }
    Report(report, times);
    return true;
}

// Live help serves only a host whose console window is hidden: hide one made for this
// process alone, as the host program does.
void HideOwnConsole() {
    HWND console = GetConsoleWindow();
    DWORD processes[2];
    if (console && IsWindowVisible(console) && GetConsoleProcessList(processes, 2) == 1) {
        ShowWindow(console, SW_HIDE);
    }
}

// The window's visibility, polled until it is as wanted or a second has passed; the seconds
// taken, or a negative number when it never was.
double AwaitHelpWindow(bool visible, double since) {
    while (Now() - since < 1.0) {
        HWND help = FindWindowW(L"HintbarHelpWindow", nullptr);
        if ((help && IsWindowVisible(help)) == visible) {
            return Now() - since;
        }
        PumpMessages();
    }
    return -1;
}

// The first "[" of a line with help in the window beside the line, as in a terminal (the
// console hidden, a host that names no window of its own): how long the key call takes, and
// how long until the window shows the help.
bool TimeHelpWindow(const Plugin& plugin, const HostWindow& window, const std::wstring& name,
                    int runs) {
    SetEnvironmentVariableW(L"HintbarConsole", L"window");
    HostSetHwndAnswer(u"");
    SetForegroundWindow(window.main);
    std::wstring text = L"echo %@" + name;
    std::vector<wchar_t> line(text.begin(), text.end());
    line.push_back(0);
    KeyEvent press = {};
    press.key = L'[';
    KeyEvent boundary = {};
    std::vector<double> calls;
    std::vector<double> shown;
    bool ok = true;
    for (int i = 0; i < runs && ok; ++i) {
        plugin.key(&boundary);
        ok = AwaitHelpWindow(false, Now()) >= 0;
        press.line = reinterpret_cast<char16_t*>(line.data());
        press.cursor = press.line + text.size();
        double start = Now();
        plugin.key(&press);
        calls.push_back(Now() - start);
        double seen = AwaitHelpWindow(true, start);
        ok = ok && seen >= 0;
        shown.push_back(seen);
    }
    plugin.key(&boundary);
    SetEnvironmentVariableW(L"HintbarConsole", nullptr);
    HostSetHwndAnswer(nullptr);
    if (!ok) {
        fprintf(stderr, "HintbarBench: the help window did not show or hide in time\n");
        return false;
    }
    Report("open-bracket/window", calls);
    Report("help-window/shown", shown);
    return true;
}

// The first program to run in a Wine prefix starts Wine's own services, which go on working
// in the background for a while; loads timed then share the processor with them, and took
// some 40% longer than the same loads a second later. Load and unload for a second first.
void WarmUp(const Plugin& plugin) {
    std::wstring load = LoadCommand(10000, BenchEncoding::Utf8);
    for (double start = Now(); Now() - start < (g_quick ? 0.1 : 1.0);) {
        RunHbar(plugin, load);
        RunHbar(plugin, L"/Q /Z");
    }
}

int Run(const Plugin& plugin, const HostWindow& window) {
    const BenchEncoding encodings[] = {BenchEncoding::Utf8, BenchEncoding::Utf16LE,
                                       BenchEncoding::Ansi};
    WarmUp(plugin);
    std::vector<LoadCase> cases;
    for (int functions : {10000, 100000}) {
        for (BenchEncoding encoding : encodings) {
            cases.push_back(LoadCase{functions, encoding, {}, {}});
        }
    }
    // The cases take turns, a few loads each, for ten rounds: a stretch of other work on the
    // machine then weighs on every case alike, instead of on whichever case it fell on.
    int rounds = g_quick ? 1 : 10;
    for (int round = 0; round < rounds; ++round) {
        for (LoadCase& c : cases) {
            int runs = g_quick ? 1 : c.functions == 10000 ? 20 : 2;
            if (!TimeLoads(plugin, &c, runs)) {
                return 1;
            }
        }
    }
    for (const LoadCase& c : cases) {
        std::string name = std::to_string(c.functions) + "/" + EncodingName(c.encoding);
        Report("load/" + name, c.loads);
        if (c.functions == 100000 && c.encoding == BenchEncoding::Utf8) {
            Report("unload/" + name, c.unloads);
        }
    }
    std::string big = MakeHelpFile(100000, BenchEncoding::Utf8);
    std::wstring name = NameInFile(big);
    std::wstring load = LoadCommand(100000, BenchEncoding::Utf8);
    if (name.empty() || RunHbar(plugin, load) != 0) {
        fprintf(stderr, "HintbarBench: the table for \"[\" did not load\n");
        return 1;
    }
    int presses = g_quick ? 3 : 201;
    bool ok = TimeOpenBracket(plugin, window, name, true, presses, "open-bracket/first") &&
              TimeOpenBracket(plugin, window, name, false, presses, "open-bracket/later");
    // Every key reads the console window's state, and a host has a console window, hidden (in
    // a terminal, the stand-in): under Wine that query costs some 0.2-0.4 ms a call when there
    // is one. The help window is timed beside the status bar with one, as a host has it.
    if (!GetConsoleWindow()) {
        FreeConsole();
        AllocConsole();
    }
    HideOwnConsole();
    if (!GetConsoleWindow()) {
        fprintf(stderr, "HintbarBench: no console window of its own (error %lu)\n", GetLastError());
        RunHbar(plugin, L"/Q /Z");
        return 1;
    }
    ok = ok && TimeOpenBracket(plugin, window, name, true, presses, "open-bracket/console") &&
         TimeHelpWindow(plugin, window, name, g_quick ? 3 : 101);
    RunHbar(plugin, L"/Q /Z");
    return ok ? 0 : 1;
}

std::wstring OwnDirectory() {
    std::vector<wchar_t> path(32768);
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring self(path.data(), n < path.size() ? n : 0);
    return self.substr(0, self.rfind(L'\\') + 1);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--quick") == 0) {
            g_quick = true;
        } else {
            fprintf(stderr, "usage: HintbarBench [--quick]\n");
            return 2;
        }
    }
    HideOwnConsole();
    SetEnvironmentVariableW(L"NoLoadMsg", L"1");
    HostWindow window;
    if (!CreateHostWindow(&window, kIdleStatusText)) {
        fprintf(stderr, "HintbarBench: cannot create the main window (error %lu)\n",
                GetLastError());
        return 2;
    }
    HostSetMainWindow(window.main);
    HostSetIdleText(reinterpret_cast<const char16_t*>(kIdleStatusText));
    HostCaptureOutput(1); // the start-up load and the commands say nothing worth timing
    Plugin plugin;
    if (!LoadPlugin((OwnDirectory() + kPluginFileName).c_str(), &plugin)) {
        DestroyHostWindow(&window);
        return 2;
    }
    plugin.initializePlugin();
    HostClearCaptured();
    PumpMessages();
    printf("# HintbarBench %s\n", sizeof(void*) == 8 ? "x64" : "x86");
    int result = Run(plugin, window);
    plugin.shutdownPlugin(0);
    UnloadPlugin(&plugin);
    HostSetMainWindow(nullptr);
    DestroyHostWindow(&window);
    RemoveHelpFiles();
    return result;
}
