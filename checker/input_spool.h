// Standard input copied to a temporary file, as the plug-in copies a pipe, so that reading it
// costs no more memory than reading a file: it goes through a small buffer and is mapped
// afterwards, never held whole.
#pragma once

#include "base/limits.h"

#include <cstdint>
#include <span>

// The largest file the plug-in loads: its size must fit in 32 bits.
constexpr uint64_t kLargestHelpFile = 0xFFFFFFFFu;

// Reads what fits into buffer, the count read in done; true on success, and a success with 0
// bytes at the end. PlatformReadStandardInput is one.
using InputReader = bool (*)(std::span<uint8_t> buffer, uint32_t* done);

struct Spool {
    char16_t path[kPathUnits]; // the temporary file while it exists, or empty
    uint64_t size;             // bytes copied
    int32_t error;             // why the copy failed: kErrorFileTooLarge past the limit, or
                               // the system's number from the read or the write
    bool reading;              // the read failed, not the copy
};

// Copies what read gives to its end into a new file of the temporary directory. False when
// it fails or gives more than limit bytes; no temporary file is left then.
bool SpoolInput(InputReader read, uint64_t limit, Spool* spool);
// Deletes the temporary file, if there is one.
void RemoveSpool(Spool* spool);
