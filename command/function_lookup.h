// hbar /F: a function's help on demand, printed rather than shown on the status bar.
#pragma once

#include <cstddef>

// The part of a pattern that is compared with names: without "@" or "%@" before it and "["
// after it.
struct PatternCore {
    const char16_t* start;
    size_t length;
};
[[nodiscard]] PatternCore CoreOfPattern(const char16_t* pattern);

// True when the stored (upper-case) name matches the pattern as the user typed it: a leading
// "@" or "%@" and a trailing "[" are ignored, case does not matter, "*" matches any run of
// characters and "?" any one.
[[nodiscard]] bool FunctionMatches(const char16_t* name, const char16_t* pattern);

// Prints the help of the one function that matches, or the syntax lines of several and how
// many matched. False when no help is loaded or nothing matched, after saying so on standard
// error.
[[nodiscard]] bool ShowMatchingHelp(const char16_t* pattern);
