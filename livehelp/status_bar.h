// Live help on the status bar of the host's window, through the host's "USAGE" request.
#pragma once

#include "livehelp/help_presenter.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

extern const HelpPresenter kStatusBarPresenter;

// Why the status bar shows no help: the host's window has none (asks the host). A terminal's
// report says so already.
[[nodiscard]] bool StatusBarProblem(HelpSituation situation, std::span<char16_t> why);

int HB_STDCALL FindStatusBarProc(void* window, intptr_t slot);
// The window that the host's "HWND" answer names, as the bits of a handle of pointerBytes
// (4 or 8) bytes; 0 when the text names none. A 32-bit host's answer is read as an unsigned
// 32-bit number; a 64-bit host's in any form it may print a sign-extended 32-bit handle in.
[[nodiscard]] uint64_t WindowHandleFromText(const char16_t* text, size_t pointerBytes);
