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

// A code page's bytes 0x80-0xFF as UTF-8, so that a byte is one lookup and one store: the
// form's bytes from the lowest, and its length in the top byte; 0 for a character the fast
// reader must not pass. No code page's table holds U+0085 or a surrogate today; a new table
// that did would send its lines to the general reader.
struct AnsiUtf8Forms {
    uint32_t forms[kAnsiTableCount][128];
};

AnsiUtf8Forms MakeAnsiUtf8Forms() {
    AnsiUtf8Forms made = {};
    for (int t = 0; t < kAnsiTableCount; ++t) {
        for (int b = 0; b < 128; ++b) {
            char16_t unit = kAnsiTables[t][b];
            // No code page's table holds either today; a new table that did must not pass.
            if (HB_NEVER(unit == kNextLine || IsSurrogate(unit))) {
                continue;
            }
            uint8_t bytes[4] = {};
            uint32_t length = EncodeUtf8(unit, std::span<uint8_t>(bytes, 3));
            made.forms[t][b] =
                bytes[0] | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | length << 24;
        }
    }
    return made;
}

const uint32_t* AnsiUtf8Table(int32_t table) {
    static const AnsiUtf8Forms kForms = MakeAnsiUtf8Forms();
    return kForms.forms[table >= 0 && table < kAnsiTableCount ? table : 0];
}

// Whether p (with a byte after it) begins a UTF-8 sequence of two bytes that passes as it
// lies: U+0080 to U+07FF, bar U+0085. The common case beyond ASCII, without the decoder.
inline bool PassingPair(const uint8_t* p) {
    return p[0] >= 0xC2 && p[0] <= 0xDF && (p[1] & 0xC0) == 0x80 && !(p[0] == 0xC2 && p[1] == 0x85);
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
    const uint32_t* high = kAnsi ? AnsiUtf8Table(s.ansiTable) : nullptr;
    const uint8_t* p = s.data;
    const uint32_t size = s.size;
    // Words are read while they end within the data and within the line's most units, so
    // that the test below fails a line too long before it is written: out holds three bytes a
    // unit, no more.
    const uint32_t wordEnd = from + (size - from < kMostUnits ? size - from : kMostUnits);
    char* o = out.data();
    uint32_t n = 0;
    uint32_t i = from;
    while (i < size) {
        if (i - from > kMostUnits) {
            return kFails;
        }
        if (wordEnd - i >= 8) {
            uint64_t word;
            memcpy(&word, p + i, sizeof word);
            if constexpr (kAnsi) {
                memcpy(o + n, &word, sizeof word); // the plain bytes among them are kept
            }
            uint64_t marks = BytesNeedingCare(word);
            uint32_t plain = marks ? PlainBytes(marks) : 8;
            n += kAnsi ? plain : 0;
            i += plain;
            if (plain == 8) {
                continue;
            }
        }
        uint8_t b = p[i];
        if (b < 0x80) {
            if (b == '\n' || b == '\r') {
                *written = n;
                return EndAt(s, i);
            }
            if (b == 0) {
                return kFails;
            }
            if constexpr (kAnsi) {
                o[n++] = static_cast<char>(b);
            }
            ++i;
        } else if constexpr (kAnsi) {
            // Its unit would be beyond the most a line holds: the line fails, unwritten.
            uint32_t form = high[b - 0x80];
            if (i - from >= kMostUnits || form == 0) { // GCOVR_EXCL_BR_LINE
                return kFails;
            }
            memcpy(o + n, &form, sizeof form);
            n += form >> 24;
            ++i;
        } else if (size - i >= 2 && PassingPair(p + i)) {
            i += 2;
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
        // Four units a word while all are plain; a word with another stops at that unit.
        while (size - pos >= 8 && units + 4 <= kMostUnits) {
            uint64_t word;
            memcpy(&word, d + pos, sizeof word);
            uint32_t four = UnitsAsBytes(word);
            memcpy(o + n, &four, sizeof four); // the plain units among them are kept
            uint64_t marks = UnitsNeedingCare(word);
            uint32_t plain = marks ? PlainUnits(marks) : 4;
            n += plain;
            units += plain;
            pos += 2 * plain;
            if (plain < 4) {
                break;
            }
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
