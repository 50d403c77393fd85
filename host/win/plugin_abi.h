// The plug-in's binary interface as the host sees it: the records it exchanges with the
// plug-in and the seven exports it looks up by name. x86, __stdcall, UTF-16 wchar_t.
#pragma once

#include <windows.h>

struct PluginInfo { // nine 32-bit fields
    wchar_t* name;
    wchar_t* author;
    wchar_t* email;
    wchar_t* web;
    wchar_t* description;
    wchar_t* implements;
    unsigned major, minor, build;
};

struct KeyEvent { // seven 32-bit fields
    int key;
    int reserved[4];
    wchar_t* line;
    wchar_t* cursor;
};

typedef PluginInfo*(__stdcall* GetPluginInfoFn)(void);
typedef int(__stdcall* InitializePluginFn)(void);
typedef int(__stdcall* ShutdownPluginFn)(int endProcess);
typedef int(__stdcall* UsageFn)(const wchar_t* name, wchar_t* buffer);
typedef int(__stdcall* HelpFn)(const wchar_t* name);
typedef int(__stdcall* CommandFn)(wchar_t* line);
typedef int(__stdcall* KeyFn)(KeyEvent* event);

// The loaded plug-in and its exports.
struct Plugin {
    HMODULE module;
    GetPluginInfoFn getPluginInfo;
    InitializePluginFn initializePlugin;
    ShutdownPluginFn shutdownPlugin;
    UsageFn usage;
    HelpFn help;
    CommandFn hbar;
    KeyFn key;
};

// Loads the DLL and looks up all seven exports; writes the missing one's name to stderr and
// returns false when the DLL or an export is missing.
bool LoadPlugin(const wchar_t* path, Plugin* plugin);
void UnloadPlugin(Plugin* plugin);
