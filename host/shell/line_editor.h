// The command-line editor: GNU readline. Every printable key and Backspace are handed to the
// plug-in's keystroke handlers before they change the line; any other change of the line or of
// the cursor is handed over after it, as key 0 with the line as it then stands.
#pragma once

#include "host/shell/plugin_module.h"

// Sets up readline; keys are routed to the module's handlers (the module may be empty).
void LineEditorStart(const PluginModule* module);
// Reads one line (malloc'd, the caller frees it), or null at the end of input or when a
// terminating signal came.
char* LineEditorRead(const char* prompt);
// Called when the line being edited is dropped (Ctrl-C): set by the shell to begin a new line.
typedef void (*LineAbandonedHook)(void);
void LineEditorSetAbandonedHook(LineAbandonedHook hook);
// Called after each key has been handed to the plug-in, before it changes the line.
typedef void (*KeyHandledHook)(void);
void LineEditorSetKeyHook(KeyHandledHook hook);
void LineEditorStop();
// True once SIGTERM or SIGHUP has come: the shell should leave.
bool LineEditorTerminated();
