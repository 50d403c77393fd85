// The keystroke handler: built with live help.
#include "plugin/plugin.h"

extern "C" int HB_STDCALL key(KeyEvent* /*event*/) { return 0; }
