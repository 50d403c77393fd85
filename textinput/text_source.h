// One open source of text: all its bytes in memory, read-only, with a read position.
#pragma once

#include "textinput/encoding_forms.h"

#include <cstdint>
#include <span>

struct TextSource {
    const uint8_t* data; // the mapped view of the file or of its temporary copy
    char16_t* path;      // owned: the name given, then the canonical full name
    char16_t* tempPath;  // owned: the temporary copy of a pipe or device, or null
    void* file;          // the open file, or the temporary copy
    void* mapping;       // the read-only mapping
    int32_t error;       // last error number; survives clearing
    Encoding encoding;   // found by DetectEncoding
    uint32_t size;       // bytes in data
    uint32_t position;   // offset of the next byte to decode
    uint32_t bomLength;  // 0, 2, 3 or 4
    uint32_t ansiCodePage;
    int32_t ansiTable;    // index of the single-byte table for ansiCodePage
    char16_t replacement; // U+FFFD
};

// How an open ended. The record is left cleared unless it opened; a missing argument leaves it
// untouched.
enum class SourceOpen : uint8_t {
    Opened,      // open, its encoding known
    MissingName, // no record, or no name or an empty one
    Empty,       // the file holds no byte: nothing to read
    Failed,      // refused: `fault` says at which step
};
// The step at which an open failed, so that the user can be told in words of that step.
enum class SourceFault : uint8_t {
    None,
    Open,       // the file, named by `name`, could not be opened (or its name not copied)
    TempName,   // no temporary file for the copy of a pipe or device could be made
    CopyMemory, // no memory for that copy
    TempWrite,  // writing the copy failed; `name` is the temporary file's
    TooLarge,   // the file holds 4 GiB or more
    Mapping,    // the file could not be mapped
    View,       // the mapping could not be viewed
};
struct [[nodiscard]] SourceOpenResult {
    SourceOpen outcome;
    int32_t error;     // Failed: the system's error number, as the record's `error` keeps it
    SourceFault fault; // Failed: the step; None otherwise
    // Failed at Open or TempWrite: the file concerned, in a buffer of this subsystem that lasts
    // until the next open (the record's own copy is released with it); null otherwise.
    const char16_t* name;
};
// Whether a name was put into its buffer whole. One that does not fit is not cut, since a
// cut name could name another file: the buffer is left as it was.
enum class [[nodiscard]] NameFit : uint8_t{Fits, TooLong};

[[nodiscard]] SourceOpenResult OpenTextSource(TextSource* source, const char16_t* name);
void CloseTextSource(TextSource* source); // also on a cleared record; nothing for null
// A source over bytes that the caller holds, such as a program's standard input read to its
// end: set up and its encoding found as OpenTextSource does, with nothing to close (clear the
// record instead of closing it). Opened, Empty for no bytes, or MissingName for a missing
// argument.
[[nodiscard]] SourceOpenResult OpenTextBytes(TextSource* source, const uint8_t* data,
                                             uint32_t size);
// The system's text for an error number on one line, or "Error <number>" when it has none.
void DescribeError(std::span<char16_t> text, int32_t number);
[[nodiscard]] bool IsConsole(void* handle); // also -10, -11, -12
// Joins a name to a directory path with one separator where it needs one.
[[nodiscard]] NameFit AppendPathName(std::span<char16_t> directory, const char16_t* name);
[[nodiscard]] NameFit AddDevicePrefix(std::span<char16_t> path); // puts \\.\ before it
// A canonical name of the form Volume{ and a hexadecimal digit, which is opened through the
// device prefix.
[[nodiscard]] bool IsVolumeName(const char16_t* name);
