// The calls of the platform's helpers to the system that a test can make fail, and the test
// builds' count of what those helpers open. Only test programs link a platform built with
// HB_TESTING; in the platform that every shipped binary links, nothing fails on demand and
// nothing is counted.
#pragma once

// The call of each kind is the system call (or calls) named beside it. Opening an existing
// file is an open; kCreateNew and kCreateAlways are a create. The Linux stand-ins take the
// file kinds up to kPlatformCallDelete; the rest are calls of the Windows helpers alone.
enum PlatformCallKind {
    kPlatformCallOpen,          // CreateFileW on an existing file
    kPlatformCallCreate,        // CreateFileW making a file
    kPlatformCallRead,          // ReadFile
    kPlatformCallWrite,         // WriteFile
    kPlatformCallFlush,         // FlushFileBuffers
    kPlatformCallFileInfo,      // the file's attributes and times (GetFileInformationByHandleEx)
    kPlatformCallMapping,       // CreateFileMappingW
    kPlatformCallView,          // MapViewOfFile
    kPlatformCallDelete,        // DeleteFileW
    kPlatformCallFileSize,      // the file's size (GetFileInformationByHandleEx)
    kPlatformCallSeek,          // SetFilePointer
    kPlatformCallAttributes,    // GetFileAttributesW
    kPlatformCallTempPath,      // GetTempPathW
    kPlatformCallEnvironment,   // GetEnvironmentVariableW, SetEnvironmentVariableW
    kPlatformCallModuleName,    // GetModuleFileNameW
    kPlatformCallErrorText,     // FormatMessageW
    kPlatformCallCharType,      // GetStringTypeW
    kPlatformCallStdHandle,     // GetStdHandle
    kPlatformCallConsoleMode,   // GetConsoleMode
    kPlatformCallConsoleWindow, // GetConsoleWindow
    kPlatformCallConsoleTitle,  // GetConsoleTitleW, SetConsoleTitleW
    kPlatformCallWindowEnum,    // EnumChildWindows
    kPlatformCallWindowClass,   // RealGetWindowClassW
    kPlatformCallWindowText,    // SendMessageW(WM_GETTEXT)
    kPlatformCallForeground,    // GetForegroundWindow
    kPlatformCallMessageBox,    // MessageBoxW
    kPlatformCallArguments,     // CommandLineToArgvW
    kPlatformCallStdWrite,      // writing standard output or error (WriteConsoleW, WriteFile)
    kPlatformCallStdRead,       // ReadFile on standard input
    kPlatformCallHelpThread,    // the help window's thread: CreateEventW, GetModuleHandleExW,
                                // CreateThread
    kPlatformCallHelpWindow,    // the help window itself, on its thread: RegisterClassExW,
                                // CreateWindowExW
    kPlatformCallHelpPlace,     // what it is placed and drawn by, on its thread: the console's
                                // screen buffer, GetMonitorInfoW, SystemParametersInfoW
    kPlatformCallKindCount
};

// What the test builds count, so that a test can see each one left behind.
enum PlatformCounted { kCountedBlocks, kCountedHandles, kCountedViews, kCountedKinds };

#if defined(HB_TESTING)
// Consumes a pending failure of this kind: true (with the last error set) when the call is to
// fail now.
bool PlatformCallFails(PlatformCallKind kind);
// Whether the heap block now being allocated is to be refused.
bool PlatformAllocationFails();
// Heap blocks, handles and views: +1 for one made, -1 for one released.
void PlatformCount(PlatformCounted what, int change);
long PlatformCounter(PlatformCounted what);
#else
// Macros rather than inline functions, so that no build of the product, an unoptimised one
// included, holds so much as their names.
#define PlatformCallFails(kind) (static_cast<void>(kind), false)
#define PlatformAllocationFails() false
#define PlatformCount(what, change) static_cast<void>(0)
#endif
