// Hooks for tests: counting and failing the platform's heap blocks and system calls, and
// counting what is open, so that every failure path can be taken and every leak seen. They
// exist only in the platform that test programs link (HB_TESTING); the plug-in never calls
// them, and a shipped binary that did would not link.
#pragma once

#include "platform/call_faults.h"

#include <cstdint>

// After PlatformFailAllocationAt(n), the n-th allocation from then on (1-based)
// fails, once; 0 turns failing off. The counters run from the start of the process.
void PlatformFailAllocationAt(long n);
long PlatformAllocationCount(); // allocations made (successful or not)
long PlatformLiveAllocations(); // blocks allocated and not yet freed

// Fault injection: the call of the chosen kind (call_faults.h) after `skip` successful ones
// fails once, with the chosen Windows error number as its last error.
void PlatformFailNextCall(PlatformCallKind kind, uint32_t error, int skip = 0);
void PlatformClearCallFailures();

// Files and mappings open through these helpers, and views mapped through them and not yet
// unmapped: tests compare them before and after.
long PlatformOpenHandles();
long PlatformMappedViews();
// The system's own count of the process's handles: open descriptors on Linux, the process's
// entries in the system's handle table on Windows (Wine answers GetProcessHandleCount with 0).
long PlatformProcessHandles();

// Closes the help window and waits up to the milliseconds for its thread to end; true when no
// thread is left. A test program calls it before it exits: a thread that the exit kills while it
// makes or tears down its window can leave a lock held that the exit then waits for (Wine).
bool PlatformEndHelpWindow(int milliseconds);
