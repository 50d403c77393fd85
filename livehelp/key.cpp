// What each key typed on the host's command line means to live help.
#include "livehelp/keystroke.h"
#include "livehelp/status_bar.h"

int HandleKey(int32_t key, const char16_t* line, const char16_t* cursor) {
    if (key == 0 && !line) {
        // A new command line begins: its first help captures the status bar afresh.
        ForgetStatusLine();
    } else if (key == u'[') {
        HandleOpenBracket(line, cursor);
    } else if (key == u']') {
        HandleCloseBracket(line, cursor);
    }
    return 0;
}
