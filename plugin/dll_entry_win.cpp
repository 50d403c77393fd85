// The DLL entry only records the module handle; loading waits for the host's call of
// InitializePlugin.
#include "base/product.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        RecordModuleHandle(instance);
    }
    return TRUE;
}
