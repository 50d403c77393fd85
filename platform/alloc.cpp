// Heap blocks of the plug-in. In test builds they are counted, so that tests can prove a load or
// a failure leaks nothing, and refused on demand, so that every allocation's failure path can
// be taken.
#include "platform/call_faults.h"
#include "platform/platform.h"

#include <cstdlib>

void* PlatformAlloc(size_t bytes) {
    if (PlatformAllocationFails()) {
        PlatformSetLastError(kErrorNotEnoughMemory);
        return nullptr;
    }
    void* block = malloc(bytes ? bytes : 1);
    if (block) {
        PlatformCount(kCountedBlocks, +1);
    }
    return block;
}

void PlatformFree(void* block) {
    if (block) {
        PlatformCount(kCountedBlocks, -1);
        free(block);
    }
}
