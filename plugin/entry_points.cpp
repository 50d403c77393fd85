// The exports the host calls while the plug-in runs. Each forwards to the subsystem that does
// the work, so that the plug-in's outer face stays in this one folder.
#include "command/hbar.h"
#include "command/startup.h"
#include "helptable/help_sources.h"
#include "livehelp/key.h"
#include "plugin/exports.h"

extern "C" int HB_STDCALL InitializePlugin(void) {
    return static_cast<int>(LoadHelpAtStartup());
}

extern "C" int HB_STDCALL ShutdownPlugin(int /*endProcess*/) {
    ReportShutdown(ResetPluginState());
    return 0;
}

extern "C" int HB_STDCALL key(KeyEvent* event) {
    if (!event) {
        return 0;
    }
    HandleKey(event->key, event->line, event->cursor);
    return 0; // the host goes on with the key whatever was shown
}

extern "C" int HB_STDCALL hbar(char16_t* line) {
    return static_cast<int>(RunHbar(line));
}

uint32_t ResetPluginState() {
    ShutDownLiveHelp();
    return UnloadHelp();
}
