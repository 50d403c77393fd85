// Test builds only: what the file helpers hold open, and the system's own count of the
// process's handles, which also sees a handle opened behind the helpers' backs.
#include "platform/call_faults.h"
#include "platform/test_hooks.h"

#include <windows.h>

#include <cstdlib>

namespace {
// SystemExtendedHandleInformation: every handle of every process, each with its owner.
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTrace;
    USHORT objectType;
    ULONG attributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
typedef LONG(WINAPI* QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);
} // namespace

long PlatformOpenHandles() {
    return PlatformCounter(kCountedHandles);
}

long PlatformMappedViews() {
    return PlatformCounter(kCountedViews);
}

// The process's handles but its threads'. GetProcessHandleCount would count them all, but Wine
// answers it with 0; the system's handle table is answered by both. The system's thread pool
// starts a worker (and keeps its handle) whenever some call first needs one, so a thread
// handle says nothing of what a test left behind.
long PlatformProcessHandles() {
    auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    HANDLE thread = nullptr; // this thread's own handle, to learn the type number of threads
    if (!query || !DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(),
                                   &thread, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return -1;
    }
    long count = -1;
    for (ULONG bytes = 1u << 16; bytes < (1u << 28); bytes *= 2) {
        auto* table = static_cast<HandleTable*>(malloc(bytes));
        ULONG needed = 0;
        LONG status = table ? query(kSystemExtendedHandleInformation, table, bytes, &needed) : -1;
        if (status == 0) {
            DWORD self = GetCurrentProcessId();
            USHORT threadType = 0xFFFF;
            for (ULONG_PTR i = 0; i < table->count; ++i) {
                const HandleEntry& e = table->entries[i];
                if (e.processId == self && e.handle == reinterpret_cast<ULONG_PTR>(thread)) {
                    threadType = e.objectType;
                }
            }
            count = 0;
            for (ULONG_PTR i = 0; i < table->count; ++i) {
                const HandleEntry& e = table->entries[i];
                count += e.processId == self && e.objectType != threadType;
            }
        }
        free(table);
        if (status != kStatusInfoLengthMismatch) {
            break;
        }
    }
    CloseHandle(thread);
    return count;
}
