// Loading the plug-in as a host does: LoadLibraryW, then each export by its plain name.
#include "host/win/plugin_abi.h"

#include <cstdio>

namespace {
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
