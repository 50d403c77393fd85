// Test builds only: what the file helpers hold open, and the system's own count of the
// process's handles of the kinds they open, which also sees one opened behind their backs.
#include "platform/call_faults.h"
#include "platform/test_hooks.h"

#include <windows.h>

#include <cstdlib>
#include <string_view>

namespace {
// SystemExtendedHandleInformation: every handle of every process, each with its owner.
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr ULONG kObjectTypeInformation = 2;
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
// The start of what NtQueryObject tells of a handle's type: the type's name.
struct TypeName {
    USHORT length; // bytes
    USHORT capacity;
    PWSTR text;
};
typedef LONG(WINAPI* QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);
typedef LONG(WINAPI* QueryObject)(HANDLE, ULONG, PVOID, ULONG, PULONG);

FARPROC NtFunction(const char* name) {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name);
}

// Whether handles of this type number are files (pipes among them) or sections (mappings),
// learnt from the handle at hand and kept: numbers stand for one type while the process runs.
bool OfCountedType(USHORT type, HANDLE handle) {
    static signed char counted[65536]; // 0: not asked yet, 1: counted, -1: not
    if (counted[type] == 0) {
        auto query =
            reinterpret_cast<QueryObject>(reinterpret_cast<void*>(NtFunction("NtQueryObject")));
        alignas(8) static char info[1024];
        ULONG got = 0;
        if (!query || query(handle, kObjectTypeInformation, info, sizeof info, &got) != 0) {
            return false;
        }
        const TypeName* name = reinterpret_cast<const TypeName*>(info);
        std::wstring_view kind(name->text, name->length / sizeof(wchar_t));
        counted[type] = (kind == L"File" || kind == L"Section") ? 1 : -1;
    }
    return counted[type] > 0;
}
} // namespace

long PlatformOpenHandles() {
    return PlatformCounter(kCountedHandles);
}

long PlatformMappedViews() {
    return PlatformCounter(kCountedViews);
}

// Only files and sections: the system and its thread pool open and close threads, events and
// keys of their own whenever some call first needs one, and a count of those would say nothing
// of what a test left behind. GetProcessHandleCount would count them all, and Wine answers it
// with 0; the system's handle table is answered by both.
long PlatformProcessHandles() {
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(NtFunction("NtQuerySystemInformation")));
    if (!query) {
        return -1;
    }
    for (ULONG bytes = 1u << 16; bytes < (1u << 28); bytes *= 2) {
        auto* table = static_cast<HandleTable*>(malloc(bytes));
        ULONG needed = 0;
        LONG status = table ? query(kSystemExtendedHandleInformation, table, bytes, &needed) : -1;
        long count = -1;
        if (status == 0) {
            count = 0;
            DWORD self = GetCurrentProcessId();
            for (ULONG_PTR i = 0; i < table->count; ++i) {
                const HandleEntry& e = table->entries[i];
                count += e.processId == self &&
                         OfCountedType(e.objectType, reinterpret_cast<HANDLE>(e.handle));
            }
        }
        free(table);
        if (status != kStatusInfoLengthMismatch) {
            return count;
        }
    }
    return -1;
}
