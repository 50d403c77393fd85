#include "tests/differential/plugin_module.h"

#include <windows.h>

#include <cstdio>

CommandProc LoadPluginCommand(const char* path) {
    HMODULE module = LoadLibraryA(path);
    if (!module) {
        fprintf(stderr, "cannot load %s (error %lu)\n", path, GetLastError());
        return nullptr;
    }
    auto hbar =
        reinterpret_cast<CommandProc>(reinterpret_cast<void*>(GetProcAddress(module, "hbar")));
    if (!hbar) {
        fprintf(stderr, "%s exports no hbar\n", path);
    }
    return hbar;
}

// The DLL asks the system, and Wine answers from the locale it runs in (LC_ALL).
bool UsePluginCodePage(uint32_t codePage) {
    if (GetACP() == codePage) {
        return true;
    }
    fprintf(stderr, "the system's ANSI code page is %u, not %u: set LC_ALL to a locale of it\n",
            GetACP(), codePage);
    return false;
}
