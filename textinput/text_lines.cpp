// Characters straight from the mapped bytes, and lines of them into the caller's buffer.
#include "textinput/text_lines.h"

#include "base/text16.h"
#include "platform/unicode.h"
#include "textinput/ascii_words.h"
#include "textinput/encoding.h"

#include <cstring>

namespace {
constexpr int kEnd = -1;

// One code unit of a multi-byte form, in its byte order.
uint32_t Unit(const uint8_t* p, uint32_t bytes, bool bigEndian) {
    uint32_t unit = 0;
    for (uint32_t i = 0; i < bytes; ++i) {
        unit |= uint32_t{p[i]} << (8 * (bigEndian ? bytes - 1 - i : i));
    }
    return unit;
}

DecodedChar DecodeUtf8Char(std::span<const uint8_t> bytes, char16_t replacement) {
    Utf8Char c = DecodeUtf8(bytes);
    switch (c.kind) {
    case Utf8Kind::Character:
        return {static_cast<int32_t>(c.value), c.length, CharKind::Character, 0};
    case Utf8Kind::Cut:
        return {replacement, c.length, CharKind::Cut, 0};
    case Utf8Kind::IllFormed:
        return {replacement, c.length, CharKind::IllFormed, 0};
    case Utf8Kind::Surrogate:
        return {replacement, c.length, CharKind::Surrogate, c.value};
    case Utf8Kind::BeyondLast:
        break;
    }
    return {replacement, c.length, CharKind::BeyondLast, c.value};
}
} // namespace

DecodedChar DecodeChar(const TextSource& source, uint32_t offset) {
    if (!source.data || offset >= source.size) {
        return {kEnd, 0, CharKind::End, 0};
    }
    const uint8_t* p = source.data + offset;
    uint32_t left = source.size - offset;
    const EncodingForm& form = FormOf(source.encoding);
    if (form.unitBytes > 1) {
        // UTF-16 passes every unit as it is, surrogates one at a time; UTF-32 passes any
        // value up to the last code point, surrogates included.
        if (left < form.unitBytes) {
            return {kEnd, 0, CharKind::End, 0};
        }
        uint32_t unit = Unit(p, form.unitBytes, form.bigEndian);
        auto v = static_cast<int32_t>(unit);
        if (unit > kLastCodePoint) {
            return {source.replacement, form.unitBytes, CharKind::BeyondLast, unit};
        }
        return {v, form.unitBytes, CharKind::Character, 0};
    }
    if (source.encoding == Encoding::Utf8) {
        return DecodeUtf8Char(std::span<const uint8_t>(p, left), source.replacement);
    }
    if (p[0] < 0x80) {
        return {p[0], 1, CharKind::Character, 0};
    }
    int table = source.ansiTable >= 0 && source.ansiTable < kAnsiTableCount ? source.ansiTable : 0;
    char16_t c = kAnsiTables[table][p[0] - 0x80];
    return {c, 1, c == 0xFFFD ? CharKind::IllFormed : CharKind::Character, 0};
}

int NextChar(TextSource* source) {
    if (!source) {
        return kEnd;
    }
    DecodedChar c = DecodeChar(*source, source->position);
    source->position += c.length;
    return c.value;
}

int PeekChar(TextSource* source) {
    if (!source) {
        return kEnd;
    }
    DecodedChar c = DecodeChar(*source, source->position);
    return c.kind == CharKind::Cut ? kEnd : c.value;
}

namespace {
// A unit of a block that ByteNeedsCare or UnitNeedsCare let through: 0x0E to 0x7F, so only a space
// is blank.
void Store(char16_t* line, int n, char16_t unit, bool* significant) {
    line[n] = unit;
    if (!*significant && unit != 0x20) {
        *significant = true;
    }
}

// The same for UTF-16LE: four units at a time while all are ASCII and none may end the line.
void CopyAsciiUnits(TextSource* s, char16_t* line, int* count, int limit, bool* significant) {
    const uint8_t* p = s->data;
    uint32_t pos = s->position;
    int n = *count;
    while (s->size - pos >= 8 && n + 4 <= limit) {
        uint64_t word;
        memcpy(&word, p + pos, 8);
        if (UnitNeedsCare(word)) {
            break;
        }
        for (int i = 0; i < 4; ++i) {
            Store(line, n + i, p[pos + 2 * static_cast<uint32_t>(i)], significant);
        }
        n += 4;
        pos += 8;
    }
    s->position = pos;
    *count = n;
}

// ASCII in single-byte and UTF-8 text decodes to itself: copy such a run straight from the
// bytes, up to the first byte that may end the line or needs decoding. The same rules as the
// general loop below apply to every unit; at most `limit` units are kept in the line.
void CopyAsciiRun(TextSource* s, char16_t* line, int* count, int limit, bool* significant) {
    if (s->data && s->encoding == Encoding::Utf16LE) {
        CopyAsciiUnits(s, line, count, limit, significant);
        return;
    }
    if (!s->data || (s->encoding != Encoding::Utf8 && s->encoding != Encoding::Ansi)) {
        return;
    }
    const uint8_t* p = s->data;
    uint32_t pos = s->position;
    int n = *count;
    // Eight bytes at a time while none of them needs decoding or may end the line.
    while (s->size - pos >= 8 && n + 8 <= limit) {
        uint64_t word;
        memcpy(&word, p + pos, 8);
        if (ByteNeedsCare(word)) {
            break;
        }
        for (int i = 0; i < 8; ++i) {
            Store(line, n + i, p[pos + static_cast<uint32_t>(i)], significant);
        }
        n += 8;
        pos += 8;
    }
    while (pos < s->size) {
        uint8_t b = p[pos];
        if (b >= 0x80 || b == 0x0D || b == 0x0A || b == 0) {
            break;
        }
        if (b != 0x20 && (b < 0x09 || b > 0x0D)) {
            *significant = true;
        }
        if (n < limit) {
            line[n++] = b;
        }
        ++pos;
    }
    s->position = pos;
    *count = n;
}
} // namespace

namespace {
// The one line reader. The reporting form takes every character through NextChar, which the
// fast ASCII runs match unit for unit, so that it sees each one; the plug-in's form is
// compiled without any of the reporting.
template <bool kReport>
LineRead ReadLine(TextSource* source, std::span<char16_t> buffer, TextLineReport* report) {
    if (!source || buffer.empty()) {
        return LineRead::NoMore;
    }
    char16_t* line = buffer.data();
    // Units of text a line may hold: one unit is kept for the terminator.
    int capacity = static_cast<int>(buffer.size() < kLineUnits ? buffer.size() : kLineUnits) - 1;
    bool significant = false;
    for (;;) {
        int count = 0;
        // Units the line may hold: the buffer's capacity until the first character that
        // does not fit, then what it holds, so that nothing after a cut is kept.
        int limit = capacity;
        bool cut = false;
        uint32_t length = 0; // kReport: units of the line as written, those dropped included
        if constexpr (kReport) {
            report->number = report->breaks + 1;
            report->column = report->since;
            report->start = source->position;
            report->endsInNul = false;
        }
        int c;
        for (;;) {
            if constexpr (!kReport) {
                CopyAsciiRun(source, line, &count, limit, &significant);
            }
            c = NextChar(source);
            if (c <= 0 || c == 0x0D || c == 0x0A || c == 0x85) {
                break;
            }
            if (c > 0xFFFF || !IsSpaceUnit(static_cast<char16_t>(c))) {
                significant = true;
            }
            int units = c > 0xFFFF ? 2 : 1;
            if constexpr (kReport) {
                length += static_cast<uint32_t>(units);
            }
            if (count + units <= limit) {
                if (units == 2) {
                    line[count++] = HighSurrogateOf(static_cast<uint32_t>(c));
                    line[count++] = LowSurrogateOf(static_cast<uint32_t>(c));
                } else {
                    line[count++] = static_cast<char16_t>(c);
                }
            } else if (!cut) {
                // A pair that came as two units (UTF-16, or surrogates in UTF-32) is not
                // split either: its first half goes with the second.
                cut = true;
                if (count > 0 && IsSurrogatePair(line[count - 1], static_cast<uint32_t>(c))) {
                    --count;
                }
                limit = count;
            }
        }
        line[count] = 0;
        if constexpr (kReport) {
            report->length = length;
            report->endsInNul = c == 0;
            if (c == 0) {
                report->since += length + 1;
            } else if (c > 0) {
                ++report->breaks;
                report->since = 0;
            }
        }
        if (c == kEnd) {
            return count > 0 ? LineRead::Line : LineRead::NoMore;
        }
        // CR LF and LF CR are one break each; U+0085 and NUL end a line alone.
        if ((c == 0x0D && PeekChar(source) == 0x0A) || (c == 0x0A && PeekChar(source) == 0x0D)) {
            NextChar(source);
        }
        if (significant) {
            return LineRead::Line;
        }
    }
}
} // namespace

LineRead ReadTextLine(TextSource* source, std::span<char16_t> line) {
    return ReadLine<false>(source, line, nullptr);
}

LineRead ReadTextLineReported(TextSource* source, std::span<char16_t> line,
                              TextLineReport* report) {
    if (!report) {
        return LineRead::NoMore;
    }
    return ReadLine<true>(source, line, report);
}
