// Lines in UTF-8 straight from the bytes, where nothing in them needs the general reader.
#include "textinput/utf8_lines.h"

#include "platform/invariants.h"
#include "platform/unicode.h"
#include "textinput/ascii_words.h"
#include "textinput/encoding.h"

#include <cstring>

namespace {

constexpr int32_t kNextLine = 0x85; // U+0085 ends a line on its own
// The most units a line may hold and still be read whole.
constexpr uint32_t kMostUnits = kLineUnits - 1;

Utf8Line Other() {
    return {Utf8LineRead::Other, nullptr, 0};
}

// A line of single bytes: where it ends (at its LF, or with the data) and where the next one
// begins, or that it does not pass.
struct ByteLine {
    bool passes;
    uint32_t end;
    uint32_t next;
};
constexpr ByteLine kFails = {false, 0, 0};

// The end of a line at a LF or a CR: a CR passes only right before a LF, as part of the break.
ByteLine EndAt(const TextSource& s, uint32_t at) {
    if (s.data[at] == '\n') {
        return {true, at, at + 1};
    }
    if (at + 1 < s.size && s.data[at + 1] == '\n') {
        return {true, at, at + 2};
    }
    return kFails;
}

// One walk over a line of single bytes finds its end and checks it, runs of ASCII a word at
// a time. A UTF-8 line passes as it lies when every sequence in it is well-formed and none is
// a NUL, a CR other than the break's or U+0085: then the general reader would decode it to
// exactly these characters. An ANSI line (kAnsi) goes through its code page's table into out
// as it is walked, at most three bytes a unit.
template <bool kAnsi>
ByteLine WalkByteLine(const TextSource& s, uint32_t from, std::span<char> out, uint32_t* written) {
    if (kAnsi && out.size() < kUtf8LineBytes) {
        return kFails;
    }
    int table = s.ansiTable >= 0 && s.ansiTable < kAnsiTableCount ? s.ansiTable : 0;
    const char16_t* high = kAnsiTables[table];
    const uint8_t* p = s.data;
    const uint32_t size = s.size;
    char* o = out.data();
    uint32_t n = 0;
    uint32_t i = from;
    while (i < size) {
        if (i - from > kMostUnits) {
            return kFails;
        }
        // A word that would take the line past its most units goes byte by byte, so that the
        // test above fails the line before it is written: out holds three bytes a unit, no more.
        if (size - i >= 8 && i - from + 8 <= kMostUnits) {
            uint64_t word;
            memcpy(&word, p + i, sizeof word);
            if (!ByteNeedsCare(word)) {
                if constexpr (kAnsi) {
                    memcpy(o + n, &word, sizeof word);
                    n += 8;
                }
                i += 8;
                continue;
            }
        }
        uint8_t b = p[i];
        if (b == '\n' || b == '\r') {
            *written = n;
            return EndAt(s, i);
        }
        if (b == 0) {
            return kFails;
        }
        if constexpr (kAnsi) {
            char16_t unit = b < 0x80 ? b : high[b - 0x80];
            // No code page's table holds either today; a new table that did must not pass.
            if (HB_NEVER(unit == kNextLine || IsSurrogate(unit))) {
                return kFails;
            }
            n += EncodeUtf8(unit, std::span<char>(o + n, 3));
            ++i;
        } else if (b < 0x80) {
            ++i;
        } else {
            Utf8Char c = DecodeUtf8(std::span<const uint8_t>(p + i, size - i));
            if (c.kind != Utf8Kind::Character || c.value == kNextLine) {
                return kFails;
            }
            i += c.length;
        }
    }
    *written = n;
    return size - from > kMostUnits ? kFails : ByteLine{true, size, size};
}

Utf8Line ReadByteLine(TextSource* s, std::span<char> out) {
    uint32_t from = s->position;
    uint32_t written = 0;
    bool utf8 = s->encoding == Encoding::Utf8;
    ByteLine line = utf8 ? WalkByteLine<false>(*s, from, out, &written)
                         : WalkByteLine<true>(*s, from, out, &written);
    if (!line.passes) {
        return Other();
    }
    s->position = line.next;
    if (utf8) {
        return {Utf8LineRead::Line, reinterpret_cast<const char*>(s->data + from), line.end - from};
    }
    return {Utf8LineRead::Line, out.data(), written};
}

// UTF-16LE, unit by unit, with runs of four ASCII units a word at a time. A lone surrogate,
// a NUL, a CR not before a LF, U+0085, a line too long or an odd byte at the end is Other.
Utf8Line ReadUtf16Line(TextSource* s, std::span<char> out) {
    if (out.size() < kUtf8LineBytes) {
        return Other();
    }
    const uint8_t* d = s->data;
    const uint32_t size = s->size;
    auto unitAt = [d](uint32_t at) { return static_cast<char16_t>(d[at] | d[at + 1] << 8); };
    char* o = out.data();
    uint32_t pos = s->position;
    uint32_t units = 0;
    uint32_t n = 0;
    for (;;) {
        while (size - pos >= 8 && units + 4 <= kMostUnits) {
            uint64_t word;
            memcpy(&word, d + pos, sizeof word);
            if (UnitNeedsCare(word)) {
                break;
            }
            uint32_t four = UnitsAsBytes(word);
            memcpy(o + n, &four, sizeof four);
            n += 4;
            units += 4;
            pos += 8;
        }
        if (size - pos < 2) {
            if (size - pos == 1) {
                return Other();
            }
            break;
        }
        char16_t unit = unitAt(pos);
        if (unit == '\n') {
            pos += 2;
            break;
        }
        if (unit == '\r') {
            if (size - pos >= 4 && unitAt(pos + 2) == '\n') {
                pos += 4;
                break;
            }
            return Other();
        }
        if (unit == 0 || unit == kNextLine || IsLowSurrogate(unit)) {
            return Other();
        }
        if (IsHighSurrogate(unit)) {
            char16_t low = size - pos >= 4 ? unitAt(pos + 2) : char16_t{0};
            if (!IsLowSurrogate(low) || units + 2 > kMostUnits) {
                return Other();
            }
            n += EncodeUtf8(CombineSurrogates(unit, low), std::span<char>(o + n, 4));
            units += 2;
            pos += 4;
            continue;
        }
        if (units + 1 > kMostUnits) {
            return Other();
        }
        n += EncodeUtf8(unit, std::span<char>(o + n, 3));
        ++units;
        pos += 2;
    }
    s->position = pos;
    return {Utf8LineRead::Line, o, n};
}

} // namespace

Utf8Line ReadLineAsUtf8(TextSource* source, std::span<char> buffer) {
    if (!source || !source->data) {
        return Other();
    }
    if (source->position >= source->size) {
        return {Utf8LineRead::NoMore, nullptr, 0};
    }
    switch (source->encoding) {
    case Encoding::Utf8:
    case Encoding::Ansi:
        return ReadByteLine(source, buffer);
    case Encoding::Utf16LE:
        return ReadUtf16Line(source, buffer);
    default:
        return Other();
    }
}
