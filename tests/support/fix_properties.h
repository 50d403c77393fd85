// What --fix promises about any help file, checked from outside the fixing code: shared by the
// --fix fuzz target and the checker's suites.
#pragma once

#include "checker/codes.h"

#include <string>

// Mends bytes with the fixes of codes and checks the promises: no selected fix left undone
// unless a fix is said to be left out, never fewer functions, no new warning or error, every
// line that no fix touched kept byte for byte, a second --fix that changes nothing, and a diff
// that, applied strictly (in order, hunks that neither overlap nor would have merged), gives
// the mended bytes. Returns what was broken, or an empty string. mended, when given, gets the
// mended bytes (empty when nothing was mended).
std::string FixPropertyViolation(const std::string& bytes, CodeSet codes,
                                 std::string* mended = nullptr);
// Applies a unified diff of one file to before as "git apply" does, refusing hunks out of
// order or overlapping, context that does not match and counts that do not add up; also
// hunks closer than diff would have left them. False, with why, when refused.
bool ApplyDiffStrictly(const std::string& before, const std::string& diff, std::string* after,
                       std::string* why);
