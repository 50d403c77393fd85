// Heap blocks of the plug-in, counted so that tests can prove a load or a failure leaks
// nothing, and failable on demand so that every allocation's failure path can be exercised.
#include "platform/platform.h"
#include "platform/test_hooks.h"

#include <cstdlib>

namespace {
long g_allocations = 0;
long g_live = 0;
long g_failAt = 0; // absolute allocation number that is to fail; 0 for none
} // namespace

void* PlatformAlloc(size_t bytes) {
    ++g_allocations;
    if (g_failAt != 0 && g_allocations == g_failAt) {
        g_failAt = 0;
        PlatformSetLastError(kErrorNotEnoughMemory);
        return nullptr;
    }
    void* block = malloc(bytes ? bytes : 1);
    if (block) {
        ++g_live;
    }
    return block;
}

void PlatformFree(void* block) {
    if (block) {
        --g_live;
        free(block);
    }
}

void PlatformFailAllocationAt(long n) {
    g_failAt = n > 0 ? g_allocations + n : 0;
}
long PlatformAllocationCount() {
    return g_allocations;
}
long PlatformLiveAllocations() {
    return g_live;
}
