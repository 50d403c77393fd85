// The status-bar text of a help entry, and the copy of what the status bar showed before.
#pragma once

#include "helptable/help_table.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

// The status bar's text from before the first help of the current line, or null; owned here.
extern char16_t* SavedStatusText;
// 1 once a capture has been made (or tried) on the current command line.
extern int32_t StatusSavedThisLine;

int ComposeHelpText(const HelpNode* node, char16_t* text); // text: 8,192 units
int SaveStatusText();
int ReleaseSavedStatusText();
// Captures the status bar's text unless this line has captured (or tried) already.
void SaveStatusTextOncePerLine();
// A new command line begins, or the plug-in stops: the saved text and the flag both go.
void ForgetStatusLine();
int HB_STDCALL FindStatusBarProc(void* window, intptr_t slot);
// The window that the host's "HWND" answer names, as the bits of a handle of pointerBytes
// (4 or 8) bytes; 0 when the text names none. A 32-bit host's answer is read as an unsigned
// 32-bit number; a 64-bit host's in any form it may print a sign-extended 32-bit handle in.
uint64_t WindowHandleFromText(const char16_t* text, size_t pointerBytes);
// Replaces every target unit of the text by the replacement; the number replaced, or -1.
int ReplaceChar(char16_t* text, char16_t target, char16_t replacement);
