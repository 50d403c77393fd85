// Hooks for tests: counting and failing the platform's heap blocks and file calls, and counting
// what is open, so that every failure path can be taken and every leak seen. The plug-in
// itself never calls them.
#pragma once

#include <cstdint>

// After PlatformFailAllocationAt(n), the n-th allocation from then on (1-based)
// fails, once; 0 turns failing off. The counters run from the start of the process.
void PlatformFailAllocationAt(long n);
long PlatformAllocationCount(); // allocations made (successful or not)
long PlatformLiveAllocations(); // blocks allocated and not yet freed

// Fault injection: the call of the chosen kind after `skip` successful ones fails once, with
// the chosen Windows error number as its last error. Opening an existing file is an open;
// kCreateNew and kCreateAlways are a create.
enum PlatformCallKind {
    kPlatformCallOpen,
    kPlatformCallCreate,
    kPlatformCallRead,
    kPlatformCallWrite,
    kPlatformCallFlush,
    kPlatformCallFileInfo,
    kPlatformCallMapping,
    kPlatformCallView,
    kPlatformCallDelete,
    kPlatformCallKindCount
};
void PlatformFailNextCall(PlatformCallKind kind, uint32_t error, int skip = 0);
void PlatformClearCallFailures();

// Files and mappings open through these helpers, and views mapped through them and not yet
// unmapped: tests compare them before and after.
long PlatformOpenHandles();
long PlatformMappedViews();
// The system's own count of the process's handles: open descriptors on Linux,
// GetProcessHandleCount on Windows (which Wine answers with 0).
long PlatformProcessHandles();
