// The plug-in as this host loads it: LoadLibraryW, then each of the seven exports by its plain
// name, typed as the interface declares them.
#pragma once

#include "interface/plugin_abi.h"

#include <windows.h>

// The plug-in module of this host's bitness.
#if defined(_WIN64)
constexpr wchar_t kPluginFileName[] = L"Hintbar-x64.dll";
#else
constexpr wchar_t kPluginFileName[] = L"Hintbar-x86.dll";
#endif

// The loaded plug-in and its exports.
struct Plugin {
    HMODULE module;
    GetPluginInfoProc getPluginInfo;
    InitializePluginProc initializePlugin;
    ShutdownPluginProc shutdownPlugin;
    UsageProc usage;
    HelpProc help;
    CommandProc hbar;
    KeyProc key;
};

// Loads the DLL and looks up all seven exports; writes what is wrong to stderr and returns
// false when the DLL is missing, is built for the other bitness, or lacks an export.
bool LoadPlugin(const wchar_t* path, Plugin* plugin);
void UnloadPlugin(Plugin* plugin);
