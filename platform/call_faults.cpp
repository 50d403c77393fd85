// Failures of system calls and of allocations on demand, and counts of what is open, so that
// tests can take every failure path of the callers and see every leak. Built into the test
// builds' platform only.
#include "platform/call_faults.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"

namespace {
struct PendingFailure {
    bool armed;
    int skip;       // successful calls still to let through
    uint32_t error; // the last error of the failing call
};
PendingFailure g_pending[kPlatformCallKindCount];

long g_allocations = 0;
long g_failAt = 0; // absolute allocation number that is to fail; 0 for none
long g_counts[kCountedKinds];
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

bool PlatformAllocationFails() {
    ++g_allocations;
    if (g_failAt != 0 && g_allocations == g_failAt) {
        g_failAt = 0;
        return true;
    }
    return false;
}

void PlatformFailAllocationAt(long n) {
    g_failAt = n > 0 ? g_allocations + n : 0;
}
long PlatformAllocationCount() {
    return g_allocations;
}
long PlatformLiveAllocations() {
    return g_counts[kCountedBlocks];
}

void PlatformCount(PlatformCounted what, int change) {
    g_counts[what] += change;
}
long PlatformCounter(PlatformCounted what) {
    return g_counts[what];
}
