// hintbar-check --fix and --diff: each file named mended in place, or the mending shown as a
// diff, with the findings left after it reported.
#pragma once

#include "checker/options.h"

// Returns the exit status.
int RunFixes(const CheckOptions& options);
