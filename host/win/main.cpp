// HintbarHost: a host program for the plug-in. It shows a main window with a status bar,
// loads the plug-in of its own bitness (Hintbar-x86.dll or Hintbar-x64.dll) as a host does,
// and runs a script of typed keys and commands (script.h) from a file or standard input.
//
//   HintbarHost.exe [--plugin PATH] [SCRIPT]    (--help says more)
#include "host/hostshell/host_control.h"
#include "host/win/host_window.h"
#include "host/win/plugin_loader.h"
#include "host/win/script.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::wstring OwnPath() {
    wchar_t path[32768];
    DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    return std::wstring(path, n < 32768 ? n : 0);
}

std::wstring Widen(const char* text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
    out.resize(wcslen(out.c_str()));
    return out;
}

// Live help serves only a host whose console window is hidden, as under the host's own
// window: hide a console that was made for this process alone, and say so otherwise.
void KeepConsoleOutOfTheWay() {
    HWND console = GetConsoleWindow();
    if (!console || !IsWindowVisible(console)) {
        return;
    }
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1) {
        ShowWindow(console, SW_HIDE);
    } else {
        WriteOut(L"note: the console window is visible, so live help stays off\n");
    }
}

void Usage(FILE* stream) {
    fprintf(stream,
            "usage: HintbarHost [--plugin PATH] [SCRIPT | -]\n"
            "Shows a main window with a status bar, loads the plug-in as a host does (--plugin:\n"
            "this DLL; by default %ls beside this program) and runs the steps of\n"
            "SCRIPT, or of standard input when SCRIPT is \"-\" or absent; then exits.\n\n"
            "%s\n"
            "Exit status: 0; 1 when a step was not understood; 2 when the script, the window or\n"
            "the plug-in could not be had.\n",
            kPluginFileName, kScriptHelp);
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::wstring self = OwnPath();
    std::wstring pluginPath = self.substr(0, self.rfind(L'\\') + 1) + kPluginFileName;
    const char* scriptPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) {
            pluginPath = Widen(argv[++i]);
        } else if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0 ||
                   strcmp(argv[i], "/?") == 0) {
            Usage(stdout);
            return 0;
        } else if (argv[i][0] == '-' && argv[i][1]) {
            fprintf(stderr, "HintbarHost: %s %s\n", argv[i],
                    strcmp(argv[i], "--plugin") == 0 ? "needs a path" : "is no option");
            fprintf(stderr, "usage: HintbarHost [--plugin PATH] [SCRIPT | -]; --help says more\n");
            return 2;
        } else if (!scriptPath) {
            scriptPath = argv[i];
        } else {
            fprintf(stderr, "HintbarHost: one script at a time; also given: %s\n", argv[i]);
            fprintf(stderr, "usage: HintbarHost [--plugin PATH] [SCRIPT | -]; --help says more\n");
            return 2;
        }
    }
    FILE* input = stdin;
    if (scriptPath && strcmp(scriptPath, "-") != 0) {
        input = fopen(scriptPath, "rb");
        if (!input) {
            fprintf(stderr, "HintbarHost: cannot open %s\n", scriptPath);
            return 2;
        }
    }

    KeepConsoleOutOfTheWay();
    HostWindow window;
    if (!CreateHostWindow(&window, kIdleStatusText)) {
        fprintf(stderr, "HintbarHost: cannot create the main window (error %lu)\n", GetLastError());
        return 2;
    }
    HostSetCommandSpec(reinterpret_cast<const char16_t*>(self.c_str()));
    HostSetMainWindow(window.main);
    HostSetIdleText(reinterpret_cast<const char16_t*>(kIdleStatusText));

    Plugin plugin;
    if (!LoadPlugin(pluginPath.c_str(), &plugin)) {
        DestroyHostWindow(&window);
        return 2;
    }
    PluginInfo* info = plugin.getPluginInfo();
    if (info) {
        auto* name = reinterpret_cast<const wchar_t*>(info->name);
        auto* implements = reinterpret_cast<const wchar_t*>(info->implements);
        std::wstring line = L"plug-in: " + std::wstring(name ? name : L"?") + L" " +
                            std::to_wstring(info->major) + L"." + std::to_wstring(info->minor) +
                            L"." + std::to_wstring(info->build) + L" implements " +
                            std::wstring(implements ? implements : L"") + L"\n";
        WriteOut(line.c_str());
    }
    int initialized = plugin.initializePlugin();
    if (initialized != 0) {
        WriteOut((L"InitializePlugin returned " + std::to_wstring(initialized) + L"\n").c_str());
    }

    static HostSession session; // the command line buffer is large
    session.plugin = &plugin;
    session.window = &window;
    PumpMessages();
    PrintStatus(session);
    int unknown = RunScript(&session, input);

    plugin.shutdownPlugin(0);
    UnloadPlugin(&plugin);
    HostSetMainWindow(nullptr);
    DestroyHostWindow(&window);
    if (input != stdin) {
        fclose(input);
    }
    if (unknown > 0) {
        // The "?" lines may have scrolled away: the exit status is explained once more, last.
        fprintf(stderr,
                "HintbarHost: %d step%s not understood (\"? not a step\" above), so the exit "
                "status is 1; HintbarHost --help lists the steps\n",
                unknown, unknown == 1 ? " was" : "s were");
        return 1;
    }
    return 0;
}
