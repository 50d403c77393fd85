// What machine a plug-in module is built for, read from the headers at the start of its file,
// so that a host can name a module of the wrong kind before its loader is asked to map it.
#pragma once

#include <cstddef>

enum ModuleMachine {
    kMachineUnknown, // not a module, or one for a machine no host here runs on
    kMachineWindows32,
    kMachineWindows64,
    kMachineLinux32,
    kMachineLinux64,
};

// The machine of the module whose file starts with these bytes; a Windows image needs its
// headers within them (the first 4,096 bytes hold them in any image a linker makes).
ModuleMachine ModuleMachineOf(const unsigned char* head, size_t size);
// The kind of module this very program loads.
ModuleMachine OwnModuleMachine();
// Whether a module of this machine cannot be loaded here. When so, writes what is wrong and
// what is needed into message, e.g. "it is a 64-bit DLL; this host is 32-bit and needs a
// 32-bit plug-in". An unknown machine is left to the loader, whose error says more.
bool WrongModuleMachine(ModuleMachine machine, char* message, size_t size);
