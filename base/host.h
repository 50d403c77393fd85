// The one door to the host's services. Every call the plug-in makes to the host goes through
// these wrappers: each hands the host a buffer of the size its interface promises and ends
// whatever text the host wrote inside that buffer, so that no caller repeats the guard.
#pragma once

#include "base/limits.h"
#include "interface/host_services.h"

#include <span>

// The host's answer to "HWND": its main window's handle as decimal digits, or an empty text
// when it has no window. True when it named one.
inline bool AskHostWindow(std::span<char16_t, kMessageUnits> text) {
    text[0] = 0;
    HostIPC(u"HWND", text.data());
    text[kMessageUnits - 1] = 0;
    return text[0] != 0;
}

// Puts the text on the status bar of the host's window ("USAGE"). The host may write into the
// buffer it is given, so the text is the caller's own buffer, not a kept copy.
inline void ShowHostUsage(std::span<char16_t> text) {
    HostIPC(u"USAGE", text.data());
}
// "USAGE" with no text: the host shows what it shows when no help is given.
inline void ClearHostUsage() {
    HostIPC(u"USAGE", nullptr);
}

// Expands the host's variables and variable functions in the buffer, in place.
inline void ExpandHostVariables(std::span<char16_t> buffer) {
    ExpandVariables(buffer.data(), 1);
    buffer[buffer.size() - 1] = 0;
}

// The canonical full path of name, empty when the host finds the name not valid.
inline void HostTrueName(const char16_t* name, std::span<char16_t, kPathUnits> full) {
    full[0] = 0;
    QueryTrueName(name, full.data());
    full[kPathUnits - 1] = 0;
}

[[nodiscard]] inline bool HostIsDirectory(const char16_t* path) {
    return QueryIsDirectory(path) != 0;
}

// Printing: the host formats the values ("%s", "%u", "%d") and writes the text to standard
// output, to the handle given (the plug-in's standard error), or unchanged.
template <typename... Values> void HostPrint(const char16_t* format, Values... values) {
    Printf(format, values...);
}
template <typename... Values>
void HostPrintTo(void* handle, const char16_t* format, Values... values) {
    Qprintf(handle, format, values...);
}
inline void HostPuts(const char16_t* text) {
    QPuts(text);
}
