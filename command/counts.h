// Counts worded for messages, in static buffers of 1,024 units that last until the next call
// of the same function.
#pragma once

#include <cstdint>

[[nodiscard]] const char16_t* FormatCount(uint64_t count); // "1,234 functions"
[[nodiscard]] const char16_t*
FormatByteCount(uint64_t count); // "    1,234 bytes", number in 9 columns
