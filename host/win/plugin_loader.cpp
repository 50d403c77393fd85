// Loading the plug-in as a host does: LoadLibraryW, then each export by its plain name.
#include "host/win/plugin_loader.h"

#include "host/common/plugin_machine.h"

#include <cstdio>

namespace {

// A DLL of the other bitness fails to load with a bare "bad format"; its headers tell which
// plug-in this host needs instead.
bool OfTheOtherBitness(const wchar_t* path) {
    unsigned char head[4096];
    size_t size = 0;
    FILE* file = _wfopen(path, L"rb");
    if (file) {
        size = fread(head, 1, sizeof head, file);
        fclose(file);
    }
    char wrong[160];
    if (!WrongModuleMachine(ModuleMachineOf(head, size), wrong, sizeof wrong)) {
        return false;
    }
    fprintf(stderr, "HintbarHost: cannot load %ls: %s (%ls)\n", path, wrong, kPluginFileName);
    return true;
}
template <typename F> bool Find(HMODULE module, const char* name, F* out) {
    *out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!*out) {
        fprintf(stderr, "HintbarHost: the plug-in has no export %s\n", name);
        return false;
    }
    return true;
}
} // namespace

bool LoadPlugin(const wchar_t* path, Plugin* plugin) {
    *plugin = Plugin{};
    if (OfTheOtherBitness(path)) {
        return false;
    }
    plugin->module = LoadLibraryW(path);
    if (!plugin->module) {
        fprintf(stderr, "HintbarHost: cannot load %ls (error %lu)\n", path, GetLastError());
        return false;
    }
    HMODULE m = plugin->module;
    bool ok = Find(m, "GetPluginInfo", &plugin->getPluginInfo) &
              Find(m, "InitializePlugin", &plugin->initializePlugin) &
              Find(m, "ShutdownPlugin", &plugin->shutdownPlugin) &
              Find(m, "Usage", &plugin->usage) & Find(m, "Help", &plugin->help) &
              Find(m, "hbar", &plugin->hbar) & Find(m, "key", &plugin->key);
    if (!ok) {
        UnloadPlugin(plugin);
    }
    return ok;
}

void UnloadPlugin(Plugin* plugin) {
    if (plugin->module) {
        FreeLibrary(plugin->module);
    }
    *plugin = Plugin{};
}
