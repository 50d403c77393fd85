// The reference host's own controls over its services library, for the host programs and the
// tests: the values its variables expand to, where output goes, and its window.
#pragma once

#include "interface/calling_conventions.h"

extern "C" {
// Output capture: while on, what the services write is kept instead of written, one text for
// standard output and one for standard error.
void HB_CDECL HostCaptureOutput(int on);
const char16_t* HB_CDECL HostCapturedOutput(void);
const char16_t* HB_CDECL HostCapturedErrors(void);
void HB_CDECL HostClearCaptured(void);

// A running batch file (null name: none) and its current line.
void HB_CDECL HostSetBatch(const char16_t* name, int line);
// The host executable's full path, which %_cmdspec gives.
void HB_CDECL HostSetCommandSpec(const char16_t* path);
void HB_CDECL HostSetTransient(int on);
void HB_CDECL HostSetPipe(int on);
// The result of the last command, which %_? (or %?) gives; 0 until a command has run.
void HB_CDECL HostSetLastResult(int result);

// Confines QueryTrueName to one directory tree: names outside it come back empty, as names
// that are not valid do. Null lifts the confinement. For fuzzing the command safely.
void HB_CDECL HostSetRootDirectory(const char16_t* directory);

// While on, "HWND" and QueryTrueName fill the whole buffer they are promised with digits and
// letters and no terminator, as a careless host might: the plug-in must end the text itself.
void HB_CDECL HostSetFillBuffers(int on);

// The main window whose handle "HWND" gives, and whose descendant of class "XTPStatusBar"
// "USAGE" writes to. A null window leaves "HWND" unanswered.
void HB_CDECL HostSetMainWindow(void* window);
// Makes "HWND" answer this text instead of the handle (null: back to the handle).
void HB_CDECL HostSetHwndAnswer(const char16_t* answer);
// What the status bar says while nothing else is to be shown: "USAGE" without a text (null
// or empty) shows it. Null: none, and such a request empties the bar.
void HB_CDECL HostSetIdleText(const char16_t* text);
// Called after "USAGE" has set the status bar's text, with that text (never null).
typedef void(HB_CDECL* HostStatusListener)(const char16_t* text);
void HB_CDECL HostSetStatusListener(HostStatusListener listener);
// The status bar window found under the main window, or null.
void* HB_CDECL HostStatusBar(void);
}
