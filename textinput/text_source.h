// One open source of text: all its bytes in memory, read-only, with a read position.
#pragma once

#include <cstdint>

struct TextSource {
    const uint8_t* data; // the mapped view of the file or of its temporary copy
    char16_t* path;      // owned: the name given, then the canonical full name
    char16_t* tempPath;  // owned: the temporary copy of a pipe or device, or null
    void* file;          // the open file, or the temporary copy
    void* mapping;       // the read-only mapping
    int32_t error;       // last error number; survives clearing
    int32_t encoding;    // see encoding.h
    uint32_t size;       // bytes in data
    uint32_t position;   // offset of the next byte to decode
    uint32_t bomLength;  // 0, 2, 3 or 4
    uint32_t ansiCodePage;
    int32_t ansiTable;    // index of the single-byte table for ansiCodePage
    char16_t replacement; // U+FFFD
};

constexpr int32_t kErrorEmptyFile = -100;

// 0 when open and its encoding known; -1 for a missing or empty argument (nothing touched);
// otherwise the error number, with the record cleared.
int OpenTextSource(TextSource* source, const char16_t* name);
int CloseTextSource(TextSource* source);
// A source over bytes that the caller holds, such as a program's standard input read to its
// end: set up and its encoding found as OpenTextSource does, with nothing to close (clear the
// record instead of closing it). 0, kErrorEmptyFile for no bytes, or -1 for a missing argument.
int OpenTextBytes(TextSource* source, const uint8_t* data, uint32_t size);
int DescribeError(char16_t* text, int number);                 // text: 1,024 units
bool IsConsole(void* handle);                                  // also -10, -11, -12
int AppendPathName(char16_t* directory, const char16_t* name); // directory: 32,768 units
int AddDevicePrefix(char16_t* path);                           // path: 32,768 units
// A canonical name of the form Volume{ and a hexadecimal digit, which is opened through the
// device prefix.
bool IsVolumeName(const char16_t* name);
