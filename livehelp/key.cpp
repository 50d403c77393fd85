// The keystroke handler the host calls for keys typed on its command line.
#include "livehelp/keystroke.h"
#include "livehelp/status_bar.h"

extern "C" int HB_STDCALL key(KeyEvent* event) {
    if (!event) {
        return 0;
    }
    if (event->key == 0 && !event->line) {
        // A new command line begins: its first help captures the status bar afresh.
        ReleaseSavedStatusText();
        StatusSavedThisLine = 0;
    } else if (event->key == u'[') {
        HandleOpenBracket(event);
    } else if (event->key == u']') {
        HandleCloseBracket(event);
    }
    return 0;
}
