// What each key typed on the host's command line means to live help.
#pragma once

#include "livehelp/help_place.h"

#include <cstdint>

// Where a key's help shows now: the facts read once, the host asked at most once a line, and
// only when the decision needs it.
[[nodiscard]] HelpWhere HelpPlaceOfKey();

// One key typed on the host's command line, with the line and the cursor the host passed.
// Nothing to answer: the host goes on with the key whatever was shown.
void HandleKey(int32_t key, const char16_t* line, const char16_t* cursor);
// The plug-in stops: the line ends wherever its help shows, and every place lets go of what it
// holds (the help window's thread ends).
void ShutDownLiveHelp();
