// Writing a mended file back. The new bytes go to a new file beside the old one, which then
// takes the old one's place in one step: a reader sees the old file or the new one, never a
// part. The file keeps its permissions (on Windows its attributes). On any failure the old
// file is as it was and no new file is left behind.
#pragma once

#include <cstdint>

enum class ReplaceFailure : uint8_t {
    None,
    ReadOnly, // the file is read-only
    Links,    // the file has other names, which would keep the old bytes
    Changed,  // the file no longer holds the bytes that were read and mended
    Folder,   // the new file could not be made in the folder: error says why
    System,   // a call failed: error says why
};
struct ReplaceResult {
    ReplaceFailure failure;
    uint32_t error;         // System and Folder: the system's error number
    const char16_t* target; // the file put in place of the old one, whose folder takes it
};

// Puts bytes in the place of the file at path, whose bytes must still be `read` (readSize).
ReplaceResult ReplaceFileBytes(const char16_t* path, const uint8_t* read, uint32_t readSize,
                               const uint8_t* bytes, uint32_t size);
