// Lines handed over in UTF-8, for a reader that keeps its texts in UTF-8: the common line of a
// UTF-8 file is passed through where it lies, and one of an ANSI or UTF-16LE file is
// transcoded once, rather than decoded to UTF-16 and encoded back.
#pragma once

#include "base/limits.h"
#include "textinput/text_source.h"

#include <cstdint>
#include <span>

enum class Utf8LineRead : uint8_t {
    Line,   // the next line: what ReadTextLine would give, in UTF-8, though it may be blank
    NoMore, // the end of the text
    Other,  // a line only ReadTextLine reads right; nothing was read
};
struct [[nodiscard]] Utf8Line {
    Utf8LineRead read;
    const char* text; // Line: its bytes, in the source's own data or in the buffer, unterminated
    uint32_t bytes;
};

// Large enough for the longest line passed: every unit of it three bytes.
constexpr size_t kUtf8LineBytes = 3 * static_cast<size_t>(kLineUnits);

// Passes a line only when ReadTextLine would keep every character of it as it stands: no NUL,
// no break but the LF (or CR LF, or LF CR) that ends it, nothing ill-formed, and short enough
// never to be cut. Everything else, and the forms other than UTF-8, ANSI and UTF-16LE, comes
// back as Other for ReadTextLine to read.
[[nodiscard]] Utf8Line ReadLineAsUtf8(TextSource* source, std::span<char> buffer);
