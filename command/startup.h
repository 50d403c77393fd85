// Loading the help at start-up and releasing it at shutdown, and the helpers for finding
// Hintbar.txt that the hbar command shares.
#pragma once

#include <cstdint>
#include <span>

extern const char16_t kDataFileName[]; // "Hintbar.txt"

// The host's initialisation: declines (1) in a transient shell or a pipe, otherwise loads the
// first help file found and says how it went (0).
int LoadHelpAtStartup();
// The host's shutdown, once the table is released: says how many functions went, if any.
void ReportShutdown(uint32_t released);

void LoadDefaultHelpFile();
// Appends "\" unless the path is empty or ends in "/", "\" or ":", then "Hintbar.txt".
// The path is cut, never overrun, at the end of its buffer.
void AppendDataFileName(std::span<char16_t> path);
// True for an existing file that is neither a directory nor a device.
bool IsPlainFile(const char16_t* path);

// How "hbar /L" takes a file name: path (at least kPathUnits units) gets the host's full name, a
// directory completed with Hintbar.txt. kHelpNameBad when the host makes no full name of it
// (path empty), kHelpNameNotFound when the path is no plain file.
enum : int { kHelpNameOk, kHelpNameBad, kHelpNameNotFound };
[[nodiscard]] int ResolveHelpFileName(const char16_t* name, std::span<char16_t> path);
