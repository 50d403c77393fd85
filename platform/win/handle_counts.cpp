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

// GetProcessHandleCount would do, but Wine answers it with 0; the system's handle table is
// answered by both.
long PlatformProcessHandles() {
    auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) {
        return -1;
    }
    for (ULONG bytes = 1u << 16; bytes < (1u << 28); bytes *= 2) {
        auto* table = static_cast<HandleTable*>(malloc(bytes));
        if (!table) {
            return -1;
        }
        ULONG needed = 0;
        LONG status = query(kSystemExtendedHandleInformation, table, bytes, &needed);
        if (status == kStatusInfoLengthMismatch) {
            free(table);
            continue;
        }
        long count = -1;
        if (status == 0) {
            count = 0;
            DWORD self = GetCurrentProcessId();
            for (ULONG_PTR i = 0; i < table->count; ++i) {
                count += table->entries[i].processId == self;
            }
        }
        free(table);
        return count;
    }
    return -1;
}
