// The unified diff of a file and its mended bytes, as "diff -u" writes it and "patch" applies
// it. Lines are split at each LF byte, as those tools split them, whatever the encoding:
// applied byte for byte, the diff gives exactly the mended file.
#pragma once

#include "checker/grow.h"

#include <cstddef>
#include <cstdint>

struct ByteBufferData {
    uint8_t* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
    bool failed = false; // memory ran out: some bytes are missing
};

void FreeByteBufferData(ByteBufferData* buffer);
// Bytes gathered on the C heap, freed when the buffer goes.
using ByteBuffer = Owned<ByteBufferData, FreeByteBufferData>;

void AppendBytes(ByteBuffer* out, const void* bytes, size_t size);
// Frees the bytes now, leaving the buffer empty.
void ReleaseBytes(ByteBuffer* out);

// Appends the diff that turns before into after, with three lines of context around each
// change; nothing when they are the same. name is the file's name as DiffFileName gives it:
// the headers say "a/" and "b/" before it, as "git apply" and "patch -p1" expect.
void AppendUnifiedDiff(const char16_t* name, const uint8_t* before, uint32_t beforeSize,
                       const uint8_t* after, uint32_t afterSize, ByteBuffer* out);

// A file name made plain for a diff, by its text alone: "/" between folders (and the system's
// own separator taken as one), no "." and no empty folder, ".." taking away the folder before
// it, and no separator at the start. False, with a name cut short, when it does not fit in
// kPathUnits units.
bool PlainFileName(const char16_t* path, char16_t* name);
