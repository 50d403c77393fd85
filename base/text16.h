// UTF-16 text helpers with the same meaning on both flavours. The C library's wide-character
// functions are not used: wchar_t is 32 bits on Linux.
#pragma once

// Surrogates come with the text: a cut must never leave the first half of a pair at its end.
#include "platform/unicode.h"

#include <cstddef>
#include <cstdint>
#include <span>

[[nodiscard]] size_t Str16Len(const char16_t* text);
// Copies as much of source as fits with a terminator (nothing into an empty buffer). Returns
// the number of units copied.
size_t Str16Copy(std::span<char16_t> dest, const char16_t* source);
// Appends as much of source as fits, keeping a terminator. Returns the new length.
size_t Str16Append(std::span<char16_t> dest, const char16_t* source);
[[nodiscard]] int Str16Compare(const char16_t* a, const char16_t* b); // ordinal: -1, 0, 1
// Ordinal comparison with a-z folded to A-Z.
[[nodiscard]] int Str16CompareNoCase(const char16_t* a, const char16_t* b);
[[nodiscard]] bool Str16Equal(const char16_t* a, const char16_t* b);

[[nodiscard]] inline char16_t UpperAscii(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 32) : unit;
}
// Upper-cases a-z in place; returns the text.
char16_t* Str16UpperAscii(char16_t* text);

// Character classes of the plug-in: below U+0100 by fixed rules, above by the system's
// Unicode typing. ASCII, by far the most common case, is decided inline.
// The no-break space, and the system's spaces above U+00FF.
[[nodiscard]] bool IsSpaceAbove7F(char16_t unit);
// U+00C0-U+00FF but the multiplication and division signs, and the system's letters above.
[[nodiscard]] bool IsLetterAbove7F(char16_t unit);
// Superscript one, two and three, and the system's digits.
[[nodiscard]] bool IsDigitAbove7F(char16_t unit);

// Tab to carriage return, space, and the spaces above.
[[nodiscard]] inline bool IsSpaceUnit(char16_t unit) {
    return unit < 0x80 ? (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 : IsSpaceAbove7F(unit);
}
[[nodiscard]] inline bool IsLetterUnit(char16_t unit) {
    return unit < 0x80 ? static_cast<unsigned>((unit | 0x20) - u'a') < 26u : IsLetterAbove7F(unit);
}
[[nodiscard]] inline bool IsDigitUnit(char16_t unit) {
    return unit < 0x80 ? unit >= u'0' && unit <= u'9' : IsDigitAbove7F(unit);
}
[[nodiscard]] bool IsUpperUnit(char16_t unit);
[[nodiscard]] bool IsLowerUnit(char16_t unit);
