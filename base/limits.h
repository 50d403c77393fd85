// Every fixed buffer of the plug-in, each named once. Sizes are UTF-16 units with the
// terminator, except where the name says bytes.
#pragma once

#include <cstddef>

constexpr int kNameUnits = 48;      // a function name: 47 units
constexpr int kSyntaxUnits = 1024;  // a syntax line
constexpr int kMessageUnits = 1024; // a message, a worded count, a window's text or class
constexpr int kLineUnits = 8192;    // a help file's line, a description, a composed help text
constexpr int kPathUnits = 32768;   // a path, as long as the system allows

// The help table keeps syntax lines and descriptions as UTF-8; these bound the copies.
constexpr size_t kSyntaxBytes = 2048;
constexpr size_t kInfoBytes = 16384;

static_assert(kNameUnits <= kSyntaxUnits, "a syntax line can hold its own name");
// A composed help text is a marker, the syntax line and "\r\n\n" before the description: the
// whole syntax line always fits, and only the description is ever cut.
static_assert(1 + (kSyntaxUnits - 1) + 3 < kLineUnits, "the syntax line fits a help text");
static_assert(kSyntaxBytes >= static_cast<size_t>(kSyntaxUnits), "ASCII syntax is never cut");
static_assert(kInfoBytes >= static_cast<size_t>(kLineUnits), "an ASCII description is never cut");
