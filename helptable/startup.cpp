// Start-up load and shutdown: built with the loader.
#include "plugin/plugin.h"

extern "C" int HB_STDCALL InitializePlugin(void) { return 0; }
extern "C" int HB_STDCALL ShutdownPlugin(int /*endProcess*/) { return 0; }
