// Loading the help when the host starts the plug-in, and saying what went when it stops it:
// the policy of where to look and when to keep quiet, with its messages.
#pragma once

#include <cstdint>

// The host's initialisation: declines (1) in a transient shell or a pipe, otherwise loads the
// first help file found and says how it went (0).
int LoadHelpAtStartup();
// The host's shutdown, once the table is released: says how many functions went, if any.
void ReportShutdown(uint32_t released);
