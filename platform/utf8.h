// Conversions between UTF-16 and UTF-8.
#pragma once

#include <cstddef>
#include <span>

// UTF-16 to UTF-8 into a byte buffer, always terminated (an empty buffer gets nothing). A text
// that does not fit is cut before the first character whose bytes would not fit, never inside
// one. Lone surrogates become U+FFFD. Returns the number of bytes written, terminator not
// counted.
size_t Utf16ToUtf8(const char16_t* source, std::span<char> buffer);
// The same for the first units units of source (a NUL among them ends the text early), for
// callers that know the length: runs of ASCII then go four units at a time.
size_t Utf16ToUtf8Units(const char16_t* source, size_t units, std::span<char> buffer);
// UTF-8 to UTF-16, always terminated, cut at a character boundary when it does not fit; what
// does not decode becomes U+FFFD as DecodeUtf8 (platform/unicode.h) tells, as in help files,
// and code points above U+FFFF become surrogate pairs. Returns the units written, terminator
// not counted.
size_t Utf8ToUtf16(const char* source, std::span<char16_t> buffer);

// Whole-text conversions on the C heap (malloc), for the host and tools, not the plug-in;
// the caller frees the result. Null on a null source or no memory.
[[nodiscard]] char* Utf16ToUtf8Alloc(const char16_t* source);
[[nodiscard]] char16_t* Utf8ToUtf16Alloc(const char* source);
