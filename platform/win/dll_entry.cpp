// The DLL entry only records the module handle and forwards it; loading waits for the host's
// call of InitializePlugin.
#include "plugin/plugin.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        OnModuleAttach(instance);
    }
    return TRUE;
}
