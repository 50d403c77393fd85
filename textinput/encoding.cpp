// Recognising the encoding of a source's bytes: byte-order marks first, then the statistics of
// the first 128 KiB (UTF-16) or 256 KiB (UTF-8) and 65,536 UTF-16 units (UTF-32).
#include "textinput/encoding.h"

namespace {
constexpr uint32_t kUtf32Units = 65536;
constexpr uint32_t kUtf16Bytes = 131072;
constexpr uint32_t kUtf8Bytes = 262144;
constexpr uint32_t kUtf8CodePage = 65001;

bool BeginsWithMark(const TextSource* s, Encoding encoding) {
    return BeginsWithMark(std::span<const uint8_t>(s->data, s->size), encoding); // no data: size 0
}

uint32_t MarkBytes(Encoding encoding) {
    return FormOf(encoding).markBytes;
}
} // namespace

int SelectAnsiTable(uint32_t ansiCodePage) {
    for (int i = 0; i < kAnsiTableCount; ++i) {
        if (kAnsiCodePages[i] == ansiCodePage) {
            return i;
        }
    }
    return 0;
}

namespace {
// Each test may tell what it counted; the plug-in's own calls are compiled without that.
template <bool kVerdict> Encoding Utf32(TextSource* source, EncodingVerdict* verdict) {
    if (!source || !source->data || source->size < 4 || source->size % 4 != 0) {
        return Encoding::Ansi;
    }
    uint32_t units = source->size / 2;
    uint32_t examined = units < kUtf32Units ? units : kUtf32Units;
    // The threshold follows the units actually counted: taken from the whole size, it would
    // outgrow any count once a file passes about 170 KiB.
    uint32_t threshold = 3 * examined / 8;
    uint32_t big[2] = {0, 0};
    uint32_t zero[2] = {0, 0};
    uint32_t wild[2] = {0, 0};
    for (uint32_t i = 0; i < examined; ++i) {
        uint32_t value = source->data[2 * i] | uint32_t{source->data[2 * i + 1]} << 8;
        uint32_t p = i % 2;
        big[p] += value > 0x10;
        zero[p] += value == 0;
        wild[p] += (value & 0xE0FF) != 0;
    }
    Encoding encoding = Encoding::Ansi;
    if (big[0] >= threshold && big[1] == 0 && zero[1] >= threshold) {
        encoding = Encoding::Utf32LE;
    } else if (wild[1] >= threshold && wild[0] == 0 && zero[0] >= threshold) {
        encoding = Encoding::Utf32BE;
    }
    if (encoding != Encoding::Ansi && BeginsWithMark(source, encoding)) {
        source->bomLength = MarkBytes(encoding);
    }
    if (kVerdict && encoding != Encoding::Ansi) {
        verdict->reason = kEncodingByUtf32Statistics;
        verdict->examined = examined * 2;
        // Zero high halves, and the units of text beside them.
        verdict->counts[0] = encoding == Encoding::Utf32LE ? zero[1] : zero[0];
        verdict->counts[1] = examined / 2;
    }
    return encoding;
}

template <bool kVerdict> Encoding Utf16(TextSource* source, EncodingVerdict* verdict) {
    if (!source || !source->data || source->size < 2) {
        return Encoding::Ansi;
    }
    const uint8_t* d = source->data;
    for (Encoding marked : {Encoding::Utf16LE, Encoding::Utf16BE}) {
        if (BeginsWithMark(source, marked)) {
            source->bomLength = MarkBytes(marked);
            if constexpr (kVerdict) {
                verdict->reason = kEncodingByMark;
            }
            return marked;
        }
    }
    uint32_t n = source->size < kUtf16Bytes ? source->size : kUtf16Bytes;
    uint32_t k = n > 128 ? 4 : 2;
    uint32_t spaces[2] = {0, 0};
    uint32_t zeros[2] = {0, 0};
    for (uint32_t i = 0; i < n; ++i) {
        spaces[i % 2] += d[i] == 0x20;
        zeros[i % 2] += d[i] == 0x00;
    }
    Encoding encoding = Encoding::Ansi;
    int32_t reason = kEncodingByUtf16Statistics;
    if (n <= 32 && zeros[0] != zeros[1]) {
        // Too short for the spaces to say anything: the side with more zeros decides.
        encoding = zeros[0] < zeros[1] ? Encoding::Utf16LE : Encoding::Utf16BE;
        reason = kEncodingByUtf16Zeros;
    } else if (spaces[0] > k * spaces[1] && zeros[1] > k * zeros[0]) {
        encoding = Encoding::Utf16LE;
    } else if (spaces[1] > k * spaces[0] && zeros[0] > k * zeros[1]) {
        encoding = Encoding::Utf16BE;
    }
    if (kVerdict && encoding != Encoding::Ansi) {
        verdict->reason = reason;
        verdict->examined = n;
        verdict->counts[0] = zeros[0];
        verdict->counts[1] = zeros[1];
        verdict->counts[2] = spaces[0];
        verdict->counts[3] = spaces[1];
    }
    return encoding;
}

template <bool kVerdict> Encoding Utf8(TextSource* source, EncodingVerdict* verdict) {
    if (!source || !source->data || source->size < 2) {
        return Encoding::Ansi;
    }
    if (BeginsWithMark(source, Encoding::Utf8)) {
        source->bomLength = MarkBytes(Encoding::Utf8);
        if constexpr (kVerdict) {
            verdict->reason = kEncodingByMark;
        }
        return Encoding::Utf8;
    }
    uint32_t n = source->size < kUtf8Bytes ? source->size : kUtf8Bytes;
    uint32_t expected = 0;
    uint32_t leads = 0;
    uint32_t lead = 0; // kVerdict: where the sequence under way began
    uint32_t i = 0;
    for (; i < n; ++i) {
        uint8_t b = source->data[i];
        if (expected > 0) {
            if (b < 0x80 || b > 0xBF) {
                if constexpr (!kVerdict) {
                    return Encoding::Ansi;
                }
                break;
            }
            --expected;
        } else if (b < 0x80) {
            continue;
        } else if (b < 0xC0 || b > 0xF7) {
            if constexpr (!kVerdict) {
                return Encoding::Ansi;
            }
            lead = i;
            break;
        } else {
            expected = b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
            ++leads;
            if constexpr (kVerdict) {
                lead = i;
            }
        }
    }
    if constexpr (!kVerdict) {
        return leads > 0 ? Encoding::Utf8 : Encoding::Ansi;
    }
    Encoding encoding = i == n && leads > 0 ? Encoding::Utf8 : Encoding::Ansi;
    verdict->reason = encoding == Encoding::Utf8 ? kEncodingByUtf8Sequences
                      : i < n                    ? kEncodingByNotUtf8
                                                 : kEncodingByAsciiOnly;
    verdict->examined = n;
    verdict->counts[0] = leads;
    verdict->offset = lead;
    return encoding;
}

template <bool kVerdict> Encoding Detect(TextSource* source, EncodingVerdict* verdict) {
    if (!source) {
        return Encoding::Ansi;
    }
    if constexpr (kVerdict) {
        *verdict = EncodingVerdict{};
        verdict->reason = kEncodingByAsciiOnly; // the answer for data too short to test
    }
    source->bomLength = 0;
    Encoding encoding = Utf32<kVerdict>(source, verdict);
    if (encoding == Encoding::Ansi) {
        encoding = Utf16<kVerdict>(source, verdict);
    }
    if (encoding == Encoding::Ansi) {
        if (source->ansiCodePage == kUtf8CodePage) {
            encoding = Encoding::Utf8;
            if (BeginsWithMark(source, Encoding::Utf8)) {
                source->bomLength = MarkBytes(Encoding::Utf8);
            }
            if constexpr (kVerdict) {
                verdict->reason = source->bomLength ? kEncodingByMark : kEncodingByCodePage;
            }
        } else {
            encoding = Utf8<kVerdict>(source, verdict);
        }
    }
    if (source->position < source->bomLength) {
        source->position = source->bomLength;
    }
    source->encoding = encoding;
    return encoding;
}
} // namespace

Encoding TestUtf32(TextSource* source) {
    return Utf32<false>(source, nullptr);
}

Encoding TestUtf16(TextSource* source) {
    return Utf16<false>(source, nullptr);
}

Encoding TestUtf8(TextSource* source) {
    return Utf8<false>(source, nullptr);
}

Encoding DetectEncoding(TextSource* source) {
    return Detect<false>(source, nullptr);
}

Encoding DetectEncodingExplained(TextSource* source, EncodingVerdict* verdict) {
    if (!verdict) {
        return Detect<false>(source, nullptr);
    }
    return Detect<true>(source, verdict);
}
