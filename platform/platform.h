// The one place where Windows and Linux differ. Everything above this layer calls these
// helpers, each of which has the meaning of the Windows function named beside it; on Windows
// it is that function, on Linux a stand-in with the same behaviour.
#pragma once

// The Windows API's callbacks use the interface's own calling conventions.
#include "interface/calling_conventions.h"

#include <cstddef>
#include <cstdint>
#include <span>

// The separator put between a directory and a name: "\" on Windows, "/" on Linux. Windows
// file names ignore case; Linux ones do not.
#if defined(_WIN32)
constexpr char16_t kPathSeparator = u'\\';
constexpr bool kPathsIgnoreCase = true;
#else
constexpr char16_t kPathSeparator = u'/';
constexpr bool kPathsIgnoreCase = false;
#endif

// The machine the plug-in is built for, as its version line names it: x86 or x64 on Windows,
// the processor's usual name on Linux.
#if defined(_WIN64)
constexpr char16_t kMachineName[] = u"x64";
#elif defined(_WIN32)
constexpr char16_t kMachineName[] = u"x86";
#elif defined(__x86_64__)
constexpr char16_t kMachineName[] = u"x86_64";
#elif defined(__i386__)
constexpr char16_t kMachineName[] = u"i686";
#elif defined(__aarch64__)
constexpr char16_t kMachineName[] = u"aarch64";
#elif defined(__arm__)
constexpr char16_t kMachineName[] = u"arm";
#elif defined(__riscv) && __riscv_xlen == 64
constexpr char16_t kMachineName[] = u"riscv64";
#else
constexpr char16_t kMachineName[] = u"unknown";
#endif

// Windows error numbers the plug-in relies on, the same in both flavours.
enum : uint32_t {
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorNotEnoughMemory = 8,
    kErrorSharingViolation = 32,
    kErrorHandleEof = 38,
    kErrorFileExists = 80,
    kErrorInvalidParameter = 87,
    kErrorDiskFull = 112,
    kErrorInsufficientBuffer = 122,
    kErrorInvalidName = 123,
    kErrorFileTooLarge = 223,
    kErrorBrokenPipe = 109,
};

// Standard-device numbers of GetStdHandle.
enum : int { kStdInput = -10, kStdOutput = -11, kStdError = -12 };

// ---- memory (HeapAlloc / HeapFree) -------------------------------------------------------
// Every heap block of the plug-in goes through these two, so that tests can count blocks and
// make a chosen allocation fail.
[[nodiscard]] void* PlatformAlloc(size_t bytes);
void PlatformFree(void* block);

// ---- console and standard handles --------------------------------------------------------
[[nodiscard]] void* PlatformStdHandle(int which);                        // GetStdHandle
[[nodiscard]] bool PlatformGetConsoleMode(void* handle, uint32_t* mode); // GetConsoleMode
[[nodiscard]] bool PlatformConsoleWindowVisible(); // GetConsoleWindow && IsWindowVisible
// The process's console window (GetConsoleWindow, IsWindowVisible) and its class
// (RealGetWindowClassW, cut to fit with its terminator; empty when there is no window; not
// asked for when className is empty).
enum class PlatformConsoleWindow { Absent, Hidden, Visible };
[[nodiscard]] PlatformConsoleWindow PlatformConsoleWindowState(std::span<char16_t> className);
// GetConsoleTitleW: the title's length, cut to fit with its terminator; 0 when there is no
// console, no title or no room.
uint32_t PlatformGetConsoleTitle(std::span<char16_t> buffer);
bool PlatformSetConsoleTitle(const char16_t* title); // SetConsoleTitleW

// ---- process and environment -------------------------------------------------------------
// GetEnvironmentVariableW: the length copied (terminator not counted); when the value does
// not fit, the size needed and the buffer left empty; 0 when the variable is not set.
uint32_t PlatformGetEnvironmentVariable(const char16_t* name, std::span<char16_t> buffer);
// SetEnvironmentVariableW; a null value removes the variable.
bool PlatformSetEnvironmentVariable(const char16_t* name, const char16_t* value);
// GetModuleFileNameW: the length copied, cut to fit and always terminated.
uint32_t PlatformGetModuleFileName(void* module, std::span<char16_t> buffer);
[[nodiscard]] uint32_t PlatformGetCurrentProcessId();
[[nodiscard]] uint32_t PlatformGetLastError();
void PlatformSetLastError(uint32_t error);

// GetACP. A test or host may override the code page the plug-in sees; 0 restores the system's.
[[nodiscard]] uint32_t PlatformGetAnsiCodePage();
void PlatformSetAnsiCodePage(uint32_t codePage);

// FormatMessageW(FROM_SYSTEM | IGNORE_INSERTS | MAX_WIDTH_MASK): the system's one-line text for
// an error number; returns its length, or 0 when the system has none.
uint32_t PlatformFormatMessage(uint32_t error, std::span<char16_t> buffer);

// ---- character typing (GetStringTypeW, CT_CTYPE1) ----------------------------------------
enum : unsigned {
    kCharUpper = 0x001,
    kCharLower = 0x002,
    kCharDigit = 0x004,
    kCharSpace = 0x008,
    kCharAlpha = 0x100,
};
// The type-1 bits of one UTF-16 unit, as the system's Unicode tables give them.
[[nodiscard]] unsigned PlatformCharType(char16_t unit);

// ---- windows -----------------------------------------------------------------------------
// Window handles are opaque; on Linux they name windows of a small in-process model that the
// reference host builds (see window_model.h).
typedef int(HB_STDCALL* PlatformEnumProc)(void* window, intptr_t param);
int PlatformEnumChildWindows(void* parent, PlatformEnumProc proc, intptr_t param); // all levels
// RealGetWindowClassW: the class name's length, cut to fit with its terminator; 0 on failure.
uint32_t PlatformGetWindowClass(void* window, std::span<char16_t> buffer);
// SendMessageW(WM_GETTEXT): the length copied, cut to fit and always terminated.
uint32_t PlatformGetWindowText(void* window, std::span<char16_t> buffer);
[[nodiscard]] void* PlatformForegroundWindow(); // GetForegroundWindow
// MessageBoxW with one OK button; returns once the box is closed.
int PlatformMessageBox(void* owner, const char16_t* text, const char16_t* caption);

// ---- the help window ---------------------------------------------------------------------
// A small top-most window that shows help beside the line being typed, without ever taking the
// focus. A thread of the plug-in's own runs it, made the first time it is needed; these calls
// only hand that thread a copy of the request and never wait for it, but for the close.
enum HelpWindowAnchor {
    kHelpBesideCaret,       // a console window: just below the caret's row, or above it
    kHelpAlongTypingWindow, // a terminal: along the bottom edge of the window typed in
};
// Marks in the help window's text: what lies between them is emphasised in a way that does
// not rest on colour alone (bold), and the marks themselves are never drawn. Help that follows
// the typing marks the argument being typed and its own line with them.
constexpr char16_t kEmphasisStart = u'\x0E';
constexpr char16_t kEmphasisEnd = u'\x0F';
// Shows the text (a line feed breaks a line). False when the thread could not be made; the
// reason is then PlatformHelpWindowError's.
bool PlatformShowHelpWindow(const char16_t* text, HelpWindowAnchor anchor);
void PlatformHideHelpWindow();
// Ends the thread, and the window with it; waits for it a bounded time.
void PlatformCloseHelpWindow();
// The system's error number from the last attempt to make the window or its thread that
// failed, or 0 while the window works.
[[nodiscard]] uint32_t PlatformHelpWindowError();
// False when the last help could not show for want of room: the window typed in is too small
// for even one row of help, or neither side of the caret's row has room for one line of it.
[[nodiscard]] bool PlatformHelpWindowHasRoom();

// ---- the project's own console programs (not the plug-in) ---------------------------------
// The program's arguments in UTF-16, argument 0 included, in one block on the C heap that
// free() releases: argv read as UTF-8 on Linux, the process's own command line on Windows.
// Null when memory runs out.
[[nodiscard]] char16_t** PlatformGetArguments(int argc, char** argv, int* count);
// Writes text to standard output or standard error (kStdOutput, kStdError): to a console as
// its characters, to a file or a pipe as UTF-8. Line feeds are written as they are.
// False when some of it could not be written (a full disk, a closed pipe).
[[nodiscard]] bool PlatformWriteStandard(int which, const char16_t* text);
// ReadFile on standard input: up to bytes into buffer, the count read in done. False when the
// read fails; a success with 0 bytes is the end of the input.
[[nodiscard]] bool PlatformReadStandardInput(std::span<uint8_t> buffer, uint32_t* done);
