#include "host/shell/plugin_module.h"

#include "base/text16.h"
#include "host/common/plugin_machine.h"
#include "platform/utf8.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

FILE* g_keyLog = nullptr; // where the keys handed over are written; null: nowhere

void LogKey(int32_t key, const char16_t* line, const char16_t* cursor) {
    if (!line) {
        fprintf(g_keyLog, "key=%d line=null\n", key);
    } else {
        char* text = Utf16ToUtf8Alloc(line);
        fprintf(g_keyLog, "key=%d cursor=%d line=%s\n", key, static_cast<int>(cursor - line),
                text ? text : "");
        free(text);
    }
    fflush(g_keyLog); // read while the shell runs
}

void* Lookup(PluginModule* module, const char* name, bool required, char* error,
             size_t errorBytes) {
    void* address = dlsym(module->handle, name);
    if (!address && required) {
        snprintf(error, errorBytes, "the plug-in does not export %s", name);
    }
    return address;
}

bool EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        char y = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (x != y) {
            return false;
        }
    }
    return *a == *b;
}

// Binds one name of the implemented-names list: "*name" is a keystroke handler, a plain
// name a command. Returns false with a message when the export is missing.
bool BindName(PluginModule* module, const char* name, char* error, size_t errorBytes) {
    bool isKeyHandler = name[0] == '*';
    const char* exportName = isKeyHandler ? name + 1 : name;
    if (!*exportName) {
        return true;
    }
    void* address = Lookup(module, exportName, true, error, errorBytes);
    if (!address) {
        return false;
    }
    if (isKeyHandler) {
        if (module->keyHandlerCount < kMaxKeyHandlers) {
            module->keyHandlers[module->keyHandlerCount++] = reinterpret_cast<KeyProc>(address);
        }
    } else if (module->commandCount < kMaxPluginCommands) {
        PluginCommand& command = module->commands[module->commandCount++];
        snprintf(command.name, sizeof command.name, "%s", exportName);
        command.run = reinterpret_cast<CommandProc>(address);
    }
    return true;
}

bool BindImplementedNames(PluginModule* module, const char16_t* list, char* error,
                          size_t errorBytes) {
    char* names = Utf16ToUtf8Alloc(list ? list : u"");
    if (!names) {
        snprintf(error, errorBytes, "out of memory");
        return false;
    }
    bool ok = true;
    char* rest = names;
    while (ok && rest) {
        char* comma = strchr(rest, ',');
        if (comma) {
            *comma = 0;
        }
        while (*rest == ' ') {
            ++rest;
        }
        char* end = rest + strlen(rest);
        while (end > rest && end[-1] == ' ') {
            *--end = 0;
        }
        ok = strlen(rest) < kCommandNameBytes ? BindName(module, rest, error, errorBytes) : true;
        rest = comma ? comma + 1 : nullptr;
    }
    free(names);
    return ok;
}

// dlopen's word for a module of the other bitness or a Windows DLL is "wrong ELF class" or
// "invalid ELF header"; the file's headers tell what it is and what this shell needs.
bool OfAnotherMachine(const char* path, char* error, size_t errorBytes) {
    unsigned char head[4096];
    size_t size = 0;
    FILE* file = fopen(path, "rb");
    if (file) {
        size = fread(head, 1, sizeof head, file);
        fclose(file);
    }
    return WrongModuleMachine(ModuleMachineOf(head, size), error, errorBytes);
}

} // namespace

int LoadPlugin(const char* path, PluginModule* module, char* error, size_t errorBytes) {
    *module = PluginModule{};
    if (OfAnotherMachine(path, error, errorBytes)) {
        return -1;
    }
    module->handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module->handle) {
        snprintf(error, errorBytes, "%s", dlerror());
        return -1;
    }
    module->getPluginInfo = reinterpret_cast<GetPluginInfoProc>(
        Lookup(module, "GetPluginInfo", true, error, errorBytes));
    module->initializePlugin = reinterpret_cast<InitializePluginProc>(
        Lookup(module, "InitializePlugin", true, error, errorBytes));
    module->shutdownPlugin = reinterpret_cast<ShutdownPluginProc>(
        Lookup(module, "ShutdownPlugin", true, error, errorBytes));
    module->usage = reinterpret_cast<UsageProc>(Lookup(module, "Usage", false, error, errorBytes));
    module->help = reinterpret_cast<HelpProc>(Lookup(module, "Help", false, error, errorBytes));
    bool ok = module->getPluginInfo && module->initializePlugin && module->shutdownPlugin;
    PluginInfo* info = ok ? module->getPluginInfo() : nullptr;
    if (ok && !info) {
        snprintf(error, errorBytes, "GetPluginInfo gave no identity record");
        ok = false;
    }
    if (ok) {
        ok = BindImplementedNames(module, info->implements, error, errorBytes);
    }
    if (!ok) {
        dlclose(module->handle);
        *module = PluginModule{};
        return -1;
    }
    return 0;
}

int StartPlugin(PluginModule* module) {
    if (!module->handle) {
        return -1;
    }
    int result = module->initializePlugin();
    if (result == 0) {
        module->initialized = true;
        return result;
    }
    PluginModule names = *module;
    UnloadPlugin(module);
    for (int i = 0; i < names.commandCount; ++i) {
        module->commands[i] = PluginCommand{};
        snprintf(module->commands[i].name, sizeof module->commands[i].name, "%s",
                 names.commands[i].name);
    }
    module->commandCount = names.commandCount;
    module->declined = true;
    return result;
}

void UnloadPlugin(PluginModule* module) {
    if (module->initialized) {
        module->shutdownPlugin(0);
    }
    if (module->handle) {
        dlclose(module->handle);
    }
    *module = PluginModule{};
}

CommandProc FindPluginCommand(const PluginModule* module, const char* name) {
    for (int i = 0; !module->declined && i < module->commandCount; ++i) {
        if (EqualNoCase(module->commands[i].name, name)) {
            return module->commands[i].run;
        }
    }
    return nullptr;
}

bool IsDeclinedCommand(const PluginModule* module, const char* name) {
    for (int i = 0; module->declined && i < module->commandCount; ++i) {
        if (EqualNoCase(module->commands[i].name, name)) {
            return true;
        }
    }
    return false;
}

void SendPluginKey(const PluginModule* module, int32_t key, char16_t* line, char16_t* cursor) {
    if (g_keyLog && module->keyHandlerCount > 0) {
        LogKey(key, line, cursor);
    }
    for (int i = 0; i < module->keyHandlerCount; ++i) {
        KeyEvent event{};
        event.key = key;
        event.line = line;
        event.cursor = cursor;
        module->keyHandlers[i](&event);
    }
}

bool OpenKeyLog(const char* path) {
    CloseKeyLog();
    g_keyLog = fopen(path, "a");
    return g_keyLog != nullptr;
}

void CloseKeyLog() {
    if (g_keyLog) {
        fclose(g_keyLog);
        g_keyLog = nullptr;
    }
}
