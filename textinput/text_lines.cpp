// Characters straight from the mapped bytes, and lines of them into the caller's buffer.
#include "textinput/text_lines.h"

#include "base/text16.h"
#include "textinput/encoding.h"

#include <bit>
#include <cstring>

namespace {
constexpr int kEnd = -1;
constexpr int kLineCapacity = kLineUnits - 1; // units of text; one more for the NUL
constexpr int kLastCodePoint = 0x10FFFF;

bool IsContinuation(uint8_t b) {
    return b >= 0x80 && b <= 0xBF;
}

// Bytes of the UTF-8 sequence that a lead byte begins, or 0 when it begins none.
uint32_t Utf8Length(uint8_t b) {
    if (b < 0x80) {
        return 1;
    }
    if (b < 0xC0 || b > 0xF7) {
        return 0;
    }
    return b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

// Decodes the character at position; `length` receives the bytes it takes. At the end of a
// UTF-8 text a cut sequence is the replacement when reading, the end when peeking.
int DecodeAt(const TextSource* s, bool peeking, uint32_t* length) {
    *length = 0;
    if (!s->data || s->position >= s->size) {
        return kEnd;
    }
    const uint8_t* p = s->data + s->position;
    uint32_t left = s->size - s->position;
    switch (s->encoding) {
    case EncodingUtf16LE:
    case EncodingUtf16BE:
        if (left < 2) {
            return kEnd;
        }
        *length = 2;
        return s->encoding == EncodingUtf16LE ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
    case EncodingUtf32LE:
    case EncodingUtf32BE: {
        if (left < 4) {
            return kEnd;
        }
        *length = 4;
        uint32_t b0 = p[0], b1 = p[1], b2 = p[2], b3 = p[3];
        uint32_t bits = s->encoding == EncodingUtf32LE ? b0 | b1 << 8 | b2 << 16 | b3 << 24
                                                       : b0 << 24 | b1 << 16 | b2 << 8 | b3;
        int32_t v = static_cast<int32_t>(bits);
        return v < 0 || v > kLastCodePoint ? s->replacement : v;
    }
    case EncodingUtf8: {
        uint32_t n = Utf8Length(p[0]);
        *length = 1;
        if (n > left) {
            return peeking ? kEnd : s->replacement;
        }
        int v = n ? DecodeUtf8Sequence(p) : -1;
        if (v < 0) {
            return s->replacement;
        }
        *length = n;
        return (v >= 0xD800 && v <= 0xDFFF) || v > kLastCodePoint ? s->replacement : v;
    }
    default: {
        *length = 1;
        if (p[0] < 0x80) {
            return p[0];
        }
        int table = s->ansiTable >= 0 && s->ansiTable < kAnsiTableCount ? s->ansiTable : 0;
        return kAnsiTables[table][p[0] - 0x80];
    }
    }
}
} // namespace

int DecodeUtf8Sequence(const uint8_t* bytes) {
    if (!bytes) {
        return -1;
    }
    uint8_t b0 = bytes[0];
    uint32_t n = Utf8Length(b0);
    if (n == 0) {
        return -1;
    }
    if (n == 1) {
        return b0;
    }
    for (uint32_t i = 1; i < n; ++i) {
        if (!IsContinuation(bytes[i])) {
            return -1;
        }
    }
    if (n == 2) {
        return (b0 & 0x1F) << 6 | (bytes[1] & 0x3F);
    }
    if (n == 3) {
        return (b0 & 0x0F) << 12 | (bytes[1] & 0x3F) << 6 | (bytes[2] & 0x3F);
    }
    return (b0 & 0x07) << 18 | (bytes[1] & 0x3F) << 12 | (bytes[2] & 0x3F) << 6 | (bytes[3] & 0x3F);
}

int NextChar(TextSource* source) {
    if (!source) {
        return kEnd;
    }
    uint32_t length = 0;
    int c = DecodeAt(source, false, &length);
    source->position += length;
    return c;
}

int PeekChar(TextSource* source) {
    if (!source) {
        return kEnd;
    }
    uint32_t length = 0;
    return DecodeAt(source, true, &length);
}

// The word-at-a-time scans read the bytes as one little-endian number.
static_assert(std::endian::native == std::endian::little, "little-endian targets only");

namespace {
constexpr uint64_t kLowBits = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// Whether any byte of a word is 0x80 or above, which needs decoding, or below 0x0E, which
// may end the line (NUL, LF, CR). A tab also stops the fast path, harmlessly.
bool NeedsCare(uint64_t word) {
    return (((word - kLowBits * 0x0E) | word) & kHighBits) != 0;
}

void Store(char16_t* line, int n, char16_t unit, bool* significant) {
    line[n] = unit;
    if (!*significant && unit != 0x20 && (unit < 0x09 || unit > 0x0D)) {
        *significant = true;
    }
}

// The same for UTF-16LE: four units at a time while all are ASCII and none may end the line.
void CopyAsciiUnits(TextSource* s, char16_t* line, int* count, int limit, bool* significant) {
    // As NeedsCare, for four units: any of them outside 0x0E to 0x7F.
    constexpr uint64_t kUnitLow = 0x0001000100010001ull;
    auto needsCare = [](uint64_t word) {
        return (((word - kUnitLow * 0x0E) | word) & 0xFF80FF80FF80FF80ull) != 0;
    };
    const uint8_t* p = s->data;
    uint32_t pos = s->position;
    int n = *count;
    while (s->size - pos >= 8 && n + 4 <= limit) {
        uint64_t word;
        memcpy(&word, p + pos, 8);
        if (needsCare(word)) {
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
    if (s->data && s->encoding == EncodingUtf16LE) {
        CopyAsciiUnits(s, line, count, limit, significant);
        return;
    }
    if (!s->data || (s->encoding != EncodingUtf8 && s->encoding != EncodingAnsi)) {
        return;
    }
    const uint8_t* p = s->data;
    uint32_t pos = s->position;
    int n = *count;
    // Eight bytes at a time while none of them needs decoding or may end the line.
    while (s->size - pos >= 8 && n + 8 <= limit) {
        uint64_t word;
        memcpy(&word, p + pos, 8);
        if (NeedsCare(word)) {
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
bool IsHighSurrogate(int c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(int c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
} // namespace

namespace {
// The one line reader. The reporting form takes every character through NextChar, which the
// fast ASCII runs match unit for unit, so that it sees each one; the plug-in's form is
// compiled without any of the reporting.
template <bool kReport> int ReadLine(TextSource* source, char16_t* line, TextLineReport* report) {
    if (!source || !line) {
        return -1;
    }
    bool significant = false;
    for (;;) {
        int count = 0;
        // Units the line may hold: the buffer's capacity until the first character that
        // does not fit, then what it holds, so that nothing after a cut is kept.
        int limit = kLineCapacity;
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
                    line[count++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                    line[count++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
                } else {
                    line[count++] = static_cast<char16_t>(c);
                }
            } else if (!cut) {
                // A pair that came as two units (UTF-16, or surrogates in UTF-32) is not
                // split either: its first half goes with the second.
                cut = true;
                if (IsLowSurrogate(c) && count > 0 && IsHighSurrogate(line[count - 1])) {
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
            return count > 0 ? 0 : -1;
        }
        // CR LF and LF CR are one break each; U+0085 and NUL end a line alone.
        if ((c == 0x0D && PeekChar(source) == 0x0A) || (c == 0x0A && PeekChar(source) == 0x0D)) {
            NextChar(source);
        }
        if (significant) {
            return 0;
        }
    }
}
} // namespace

int ReadTextLine(TextSource* source, char16_t* line) {
    return ReadLine<false>(source, line, nullptr);
}

int ReadTextLineReported(TextSource* source, char16_t* line, TextLineReport* report) {
    if (!report) {
        return -1;
    }
    return ReadLine<true>(source, line, report);
}
