// Finding a help file from the name a user gives: the hbar command, the start-up search and
// the checker take a name the same way.
#pragma once

#include <cstdint>
#include <span>

extern const char16_t kDataFileName[]; // "Hintbar.txt"

// Appends "\" unless the path is empty or ends in "/", "\" or ":", then "Hintbar.txt".
// The path is cut, never overrun, at the end of its buffer.
void AppendDataFileName(std::span<char16_t> path);
// True for an existing file that is neither a directory nor a device.
[[nodiscard]] bool IsPlainFile(const char16_t* path);

// How "hbar /L" takes a file name: path (at least kPathUnits units) gets the host's full name, a
// directory completed with Hintbar.txt. Bad when the host makes no full name of it (path
// empty), NotFound when the path is no plain file.
enum class [[nodiscard]] HelpFileName : uint8_t{Ok, Bad, NotFound};
[[nodiscard]] HelpFileName ResolveHelpFileName(const char16_t* name, std::span<char16_t> path);
