// The status-bar text of a help entry, and the copy of what the status bar showed before.
#pragma once

#include "helptable/help_table.h"
#include "platform/platform.h"

#include <cstdint>

constexpr int kHelpTextUnits = 8192;

// The status bar's text from before the first help of the current line, or null; owned here.
extern char16_t* SavedStatusText;
// 1 once a capture has been made (or tried) on the current command line.
extern int32_t StatusSavedThisLine;

int ComposeHelpText(const HelpNode* node, char16_t* text); // text: 8,192 units
int SaveStatusText();
int ReleaseSavedStatusText();
int HB_STDCALL FindStatusBarProc(void* window, intptr_t slot);
int ReplaceChar(char16_t* text, char16_t replacement, char16_t target);
