// Live help on the status bar of the host's window: the presenter that carries out a bracket
// decision there, and the copy of the status bar's own text that it puts back.
#pragma once

#include "livehelp/help_decision.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

// Shows the decision's help (saving the status bar's text first, once per line) or puts the
// saved text back, through the host's "USAGE" request.
void PresentOnStatusBar(const HelpDecision& decision);
// True once help was shown (and a capture made or tried) on the current command line.
bool StatusSavedThisLine();
// The status bar's text from before the first help of the current line, or null.
const char16_t* SavedStatusText();

// Captures the status bar's text into the saved copy; a failure before the status bar's text
// is read keeps the old copy.
void SaveStatusText();
void ReleaseSavedStatusText();
// A new command line begins, or the plug-in stops: the saved text and the flag both go.
void ForgetStatusLine();
// The tests' seam: the line's state as an earlier capture would have left it (text may be
// null for a capture that found nothing).
void SeedStatusLine(const char16_t* savedText, bool savedThisLine);

int HB_STDCALL FindStatusBarProc(void* window, intptr_t slot);
// The window that the host's "HWND" answer names, as the bits of a handle of pointerBytes
// (4 or 8) bytes; 0 when the text names none. A 32-bit host's answer is read as an unsigned
// 32-bit number; a 64-bit host's in any form it may print a sign-extended 32-bit handle in.
uint64_t WindowHandleFromText(const char16_t* text, size_t pointerBytes);
