// The few system calls the checker needs and the plug-in does not, so that they stay out of
// the plug-in's platform layer: what writing a mended file back and raw output take. One
// source for Linux and one for Windows, chosen by the build; errors are Windows numbers.
#pragma once

#include <cstddef>
#include <cstdint>

// The file that path names, through any symbolic links, into target (kPathUnits units).
// Returns 0, or the error.
uint32_t ResolveFileTarget(const char16_t* path, char16_t* target);
// How many names (hard links) the file has: a file replaced under one of them would leave
// the others with its old bytes. 0 when it cannot be told.
uint32_t FileLinkCount(const char16_t* path);
// Gives the file to what the file from has of its own beyond its bytes: its permissions and
// owner on Linux, its attributes on Windows. Returns 0, or the error.
uint32_t CopyFileMode(const char16_t* from, const char16_t* to);
// Puts the file from in the place of the file to, in one step, once from is on the disk.
// Returns 0, or the error.
uint32_t MoveFileReplacing(const char16_t* from, const char16_t* to);
// The name of the file at path in a diff: from the current folder, with "/" between folders,
// as "git apply" and "patch -p1" look for it there, for they refuse a name that climbs out of
// it or starts at the root. A file outside the current folder is named from the root of its
// file system (on Windows, of its drive): the diff applies there. Into name (kPathUnits
// units); false when it does not fit.
bool DiffFileName(const char16_t* path, char16_t* name);
// Writes bytes to standard output as they are, with no translation of line ends or text;
// false when some could not be written.
[[nodiscard]] bool WriteStandardOutputBytes(const uint8_t* bytes, size_t size);
