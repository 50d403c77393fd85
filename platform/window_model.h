// Linux only: the small window model that stands in for the host's windows. The reference
// host and the tests build windows here; the plug-in reaches them through platform.h alone.
// One copy lives in the process (the platform library is shared), so the host and the
// plug-in see the same windows.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <span>

void* WindowModelCreate(void* parent, const char16_t* className, const char16_t* text,
                        bool visible);
void WindowModelDestroy(void* window);                       // with all its descendants
bool WindowModelSetText(void* window, const char16_t* text); // true on success
void WindowModelSetForeground(void* window);

// The process's console window: absent, hidden or visible. The short names are the host's and
// the tests'.
using ConsoleWindowState = PlatformConsoleWindow;
constexpr ConsoleWindowState kConsoleAbsent = PlatformConsoleWindow::Absent;
constexpr ConsoleWindowState kConsoleHidden = PlatformConsoleWindow::Hidden;
constexpr ConsoleWindowState kConsoleVisible = PlatformConsoleWindow::Visible;
void WindowModelSetConsole(ConsoleWindowState state);
// The console window's class: a classic console's by default, a pseudo-console's stand-in's
// ("PseudoConsoleWindow") for a terminal. Null puts the default back.
void WindowModelSetConsoleClass(const char16_t* className);
// The console window's title, as a console program sets it; the listener, when set, hears
// every new title (the reference shell shows it as the terminal's title).
constexpr uint32_t kConsoleTitleUnits = 1024;
typedef void (*ConsoleTitleListener)(const char16_t* title);
void WindowModelSetConsoleTitleListener(ConsoleTitleListener listener);

// The help window as its thread last left it: true while it shows, with its text (cut to fit
// with its terminator), which is empty while it is hidden.
[[nodiscard]] bool WindowModelHelpWindow(std::span<char16_t> text);
// Waits until the help window's thread has carried out every request handed to it, or has
// ended; false when the milliseconds pass first.
bool WindowModelWaitHelpWindow(int milliseconds);
// The size in character cells of the terminal the host draws the help window in, as the
// host last saw it; 0 by 0, as at the start, when it draws in none (the window then counts as
// having room).
void WindowModelSetTerminalSize(int32_t rows, int32_t columns);
// Whether the help window's thread runs.
[[nodiscard]] bool WindowModelHelpWindowRunning();
#if defined(HB_TESTING)
// The next attempt to make the help window's thread fails with this error number.
void WindowModelFailHelpWindow(uint32_t error);
#endif

// Where PlatformMessageBox shows its box; by default the text goes to standard output.
typedef void (*MessageBoxHook)(const char16_t* text, const char16_t* caption);
void WindowModelSetMessageBoxHook(MessageBoxHook hook);
