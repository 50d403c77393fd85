// Loading the help when the host starts the plug-in, and saying what went when it stops it:
// the policy of where to look and when to keep quiet, with its messages.
#pragma once

#include <cstdint>

// The host's initialisation: declines in a transient shell or a pipe, otherwise loads the first
// help file found and says how it went. The host sees the number: the export passes it on.
enum class StartupResult {
    Started = 0,  // with help or without it, the plug-in runs
    Declined = 1, // a transient shell or a pipe: the host does not keep the plug-in
};
[[nodiscard]] StartupResult LoadHelpAtStartup();
// The host's shutdown, once the table is released: says how many functions went, if any.
void ReportShutdown(uint32_t released);
