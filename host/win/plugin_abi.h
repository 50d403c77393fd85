// The plug-in's binary interface as the host sees it: the records it exchanges with the
// plug-in and the seven exports it looks up by name. UTF-16 wchar_t; __stdcall on x86, the one
// calling convention on x64.
#pragma once

#include <windows.h>

#include <cstddef>

// Natural alignment: nine 32-bit fields on x86; six pointers and three 32-bit numbers on x64.
struct PluginInfo {
    wchar_t* name;
    wchar_t* author;
    wchar_t* email;
    wchar_t* web;
    wchar_t* description;
    wchar_t* implements;
    unsigned major, minor, build;
};

// Seven 32-bit fields on x86; on x64 the two pointers follow four bytes of padding.
struct KeyEvent {
    int key;
    int reserved[4];
    wchar_t* line;
    wchar_t* cursor;
};

// The size or offset of each field for this host's bitness: x86, x64.
constexpr size_t HostAbiLayout(size_t x86, size_t x64) {
    return sizeof(void*) == 4 ? x86 : x64;
}
static_assert(sizeof(PluginInfo) == HostAbiLayout(36, 64));
static_assert(offsetof(PluginInfo, author) == HostAbiLayout(4, 8));
static_assert(offsetof(PluginInfo, email) == HostAbiLayout(8, 16));
static_assert(offsetof(PluginInfo, web) == HostAbiLayout(12, 24));
static_assert(offsetof(PluginInfo, description) == HostAbiLayout(16, 32));
static_assert(offsetof(PluginInfo, implements) == HostAbiLayout(20, 40));
static_assert(offsetof(PluginInfo, major) == HostAbiLayout(24, 48));
static_assert(offsetof(PluginInfo, minor) == HostAbiLayout(28, 52));
static_assert(offsetof(PluginInfo, build) == HostAbiLayout(32, 56));
static_assert(sizeof(KeyEvent) == HostAbiLayout(28, 40));
static_assert(offsetof(KeyEvent, reserved) == 4);
static_assert(offsetof(KeyEvent, line) == HostAbiLayout(20, 24));
static_assert(offsetof(KeyEvent, cursor) == HostAbiLayout(24, 32));

// The plug-in module of this host's bitness.
#if defined(_WIN64)
constexpr wchar_t kPluginFileName[] = L"Hintbar-x64.dll";
#else
constexpr wchar_t kPluginFileName[] = L"Hintbar-x86.dll";
#endif

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

// Loads the DLL and looks up all seven exports; writes what is wrong to stderr and returns
// false when the DLL is missing, is built for the other bitness, or lacks an export.
bool LoadPlugin(const wchar_t* path, Plugin* plugin);
void UnloadPlugin(Plugin* plugin);
