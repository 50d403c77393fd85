// Branches that no input takes, marked where they stand rather than in coverage comments.
// HB_NEVER(x) is a condition that never holds, HB_ALWAYS(x) one that always holds; the code
// still handles the other outcome safely. Test builds check the claim and stop loudly when it
// fails; coverage builds take it as given, so that the side no input reaches is not counted
// as untested; what ships tests x as written.
#pragma once

#if defined(HB_COVERAGE)
#define HB_NEVER(x) ((void)(x), false)
#define HB_ALWAYS(x) ((void)(x), true)
#elif defined(HB_TESTING)
#include <cstdio>
#include <cstdlib>
inline bool HbClaim(bool holds, bool claimed, const char* file, int line) {
    if (holds != claimed) {
        std::fprintf(stderr, "%s:%d: a branch no input should take was taken\n", file, line);
        std::abort();
    }
    return holds;
}
#define HB_NEVER(x) HbClaim(static_cast<bool>(x), false, __FILE__, __LINE__)
#define HB_ALWAYS(x) HbClaim(static_cast<bool>(x), true, __FILE__, __LINE__)
#else
#define HB_NEVER(x) (static_cast<bool>(x))
#define HB_ALWAYS(x) (static_cast<bool>(x))
#endif
