// The unified diff of a file and its mended bytes, as "diff -u" writes it and "patch" applies
// it. Lines are split at each LF byte, as those tools split them, whatever the encoding:
// applied byte for byte, the diff gives exactly the mended file.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes gathered on the C heap.
struct ByteBuffer {
    uint8_t* data;
    size_t size;
    size_t capacity;
    bool failed; // memory ran out: some bytes are missing
};

void AppendBytes(ByteBuffer* out, const void* bytes, size_t size);
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
