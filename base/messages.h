// The wording of counts in messages.
#pragma once

#include <cstdint>

// How a word is written: with exactly one capital and no small letter, all in capitals (two or
// more), or otherwise (no letters, some small, or none capital).
enum : int { kCaseOther, kCaseOneCapital, kCaseAllCapitals };
[[nodiscard]] int ClassifyCase(const char16_t* text);
// The noun for a count of 1; otherwise its English plural in a static buffer of
// 1,024 units, which lasts until the next call. A noun too long for its plural to fit the buffer
// is returned unchanged.
[[nodiscard]] const char16_t* Pluralize(uint64_t count, const char16_t* noun);
