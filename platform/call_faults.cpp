// Failures of file calls on demand, so that tests can take every failure path of the callers.
#include "platform/call_faults.h"
#include "platform/files.h"

namespace {
struct PendingFailure {
    bool armed;
    int skip;       // successful calls still to let through
    uint32_t error; // the last error of the failing call
};
PendingFailure g_pending[kPlatformCallKindCount];
} // namespace

void PlatformFailNextCall(PlatformCallKind kind, uint32_t error, int skip) {
    if (kind < 0 || kind >= kPlatformCallKindCount) {
        return;
    }
    g_pending[kind] = PendingFailure{true, skip > 0 ? skip : 0, error};
}

void PlatformClearCallFailures() {
    for (PendingFailure& p : g_pending) {
        p = PendingFailure{};
    }
}

bool PlatformCallFails(PlatformCallKind kind) {
    if (kind < 0 || kind >= kPlatformCallKindCount || !g_pending[kind].armed) {
        return false;
    }
    PendingFailure& p = g_pending[kind];
    if (p.skip > 0) {
        --p.skip;
        return false;
    }
    p.armed = false;
    PlatformSetLastError(p.error);
    return true;
}
