#include "platform/platform.h"
#include "tests/differential/plugin_module.h"

#include <dlfcn.h>

#include <cstdio>

CommandProc LoadPluginCommand(const char* path) {
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        return nullptr;
    }
    auto hbar = reinterpret_cast<CommandProc>(dlsym(module, "hbar"));
    if (!hbar) {
        fprintf(stderr, "%s exports no hbar\n", path);
    }
    return hbar;
}

// The module and this program share the platform library, and with it the code page.
bool UsePluginCodePage(uint32_t codePage) {
    PlatformSetAnsiCodePage(codePage);
    return true;
}
