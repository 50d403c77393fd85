#include "host/common/plugin_machine.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

uint32_t Read16(const unsigned char* p) {
    return static_cast<uint32_t>(p[0] | p[1] << 8);
}
uint32_t Read32(const unsigned char* p) {
    return Read16(p) | Read16(p + 2) << 16;
}

int BitsOf(ModuleMachine machine) {
    return machine == kMachineWindows32 || machine == kMachineLinux32 ? 32 : 64;
}
bool IsWindows(ModuleMachine machine) {
    return machine == kMachineWindows32 || machine == kMachineWindows64;
}

} // namespace

ModuleMachine ModuleMachineOf(const unsigned char* head, size_t size) {
    if (size >= 5 && head[0] == 0x7F && memcmp(head + 1, "ELF", 3) == 0) {
        return head[4] == 1 ? kMachineLinux32 : head[4] == 2 ? kMachineLinux64 : kMachineUnknown;
    }
    if (size < 0x40 || head[0] != 'M' || head[1] != 'Z') {
        return kMachineUnknown;
    }
    // The DOS header's last field gives where the PE signature and the file header are.
    uint32_t pe = Read32(head + 0x3C);
    if (pe > size || size - pe < 6 || memcmp(head + pe, "PE\0\0", 4) != 0) {
        return kMachineUnknown;
    }
    switch (Read16(head + pe + 4)) {
    case 0x014C: // i386
        return kMachineWindows32;
    case 0x8664: // AMD64
        return kMachineWindows64;
    default:
        return kMachineUnknown;
    }
}

ModuleMachine OwnModuleMachine() {
#if defined(_WIN32)
    return sizeof(void*) == 8 ? kMachineWindows64 : kMachineWindows32;
#else
    return sizeof(void*) == 8 ? kMachineLinux64 : kMachineLinux32;
#endif
}

bool WrongModuleMachine(ModuleMachine machine, char* message, size_t size) {
    ModuleMachine own = OwnModuleMachine();
    if (machine == kMachineUnknown || machine == own) {
        return false;
    }
    const char* self = IsWindows(own) ? "host" : "shell";
    if (IsWindows(machine) != IsWindows(own)) {
        snprintf(message, size, "it is a %d-bit %s; this %s loads %d-bit %s plug-ins",
                 BitsOf(machine), IsWindows(machine) ? "Windows DLL" : "Linux module", self,
                 BitsOf(own), IsWindows(own) ? "Windows" : "Linux");
    } else {
        snprintf(message, size, "it is a %d-bit %s; this %s is %d-bit and needs a %d-bit plug-in",
                 BitsOf(machine), IsWindows(machine) ? "DLL" : "module", self, BitsOf(own),
                 BitsOf(own));
    }
    return true;
}
