// The host's main window and its status bar, a child of class "XTPStatusBar" along the
// window's bottom edge.
#pragma once

#include <windows.h>

#include <string>

// What the status bar says while the host is idle.
constexpr wchar_t kIdleStatusText[] = L"Ready";

struct HostWindow {
    HWND main;
    HWND statusBar;
};

bool CreateHostWindow(HostWindow* window, const wchar_t* statusText);
void DestroyHostWindow(HostWindow* window);
// Lets the windows paint and answer whatever is waiting for them.
void PumpMessages();
std::wstring StatusBarText(const HostWindow& window);
// Shows the command line being edited in the main window, after a prompt.
void ShowCommandLine(const HostWindow& window, const wchar_t* line);
