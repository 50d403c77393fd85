// Recognising the encoding of a source's bytes: byte-order marks first, then the statistics of
// the first 128 KiB (UTF-16) or 256 KiB (UTF-8) and 65,536 UTF-16 units (UTF-32).
#include "textinput/encoding.h"

namespace {
constexpr uint32_t kUtf32Units = 65536;
constexpr uint32_t kUtf16Bytes = 131072;
constexpr uint32_t kUtf8Bytes = 262144;
constexpr uint32_t kUtf8CodePage = 65001;

bool BeginsWith(const TextSource* s, uint8_t b0, uint8_t b1, uint8_t b2) {
    return s->size >= 3 && s->data[0] == b0 && s->data[1] == b1 && s->data[2] == b2;
}

bool BeginsWith(const TextSource* s, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return BeginsWith(s, b0, b1, b2) && s->size >= 4 && s->data[3] == b3;
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
template <bool kVerdict> int32_t Utf32(TextSource* source, EncodingVerdict* verdict) {
    if (!source || !source->data || source->size < 4 || source->size % 4 != 0) {
        return 0;
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
    int32_t encoding = 0;
    if (big[0] >= threshold && big[1] == 0 && zero[1] >= threshold) {
        if (BeginsWith(source, 0xFF, 0xFE, 0x00, 0x00)) {
            source->bomLength = 4;
        }
        encoding = EncodingUtf32LE;
    } else if (wild[1] >= threshold && wild[0] == 0 && zero[0] >= threshold) {
        if (BeginsWith(source, 0x00, 0x00, 0xFE, 0xFF)) {
            source->bomLength = 4;
        }
        encoding = EncodingUtf32BE;
    }
    if (kVerdict && encoding) {
        verdict->reason = kEncodingByUtf32Statistics;
        verdict->examined = examined * 2;
        // Zero high halves, and the units of text beside them.
        verdict->counts[0] = encoding == EncodingUtf32LE ? zero[1] : zero[0];
        verdict->counts[1] = examined / 2;
    }
    return encoding;
}

template <bool kVerdict> int32_t Utf16(TextSource* source, EncodingVerdict* verdict) {
    if (!source || !source->data || source->size < 2) {
        return 0;
    }
    const uint8_t* d = source->data;
    if ((d[0] == 0xFF && d[1] == 0xFE) || (d[0] == 0xFE && d[1] == 0xFF)) {
        source->bomLength = 2;
        if constexpr (kVerdict) {
            verdict->reason = kEncodingByMark;
        }
        return d[0] == 0xFF ? EncodingUtf16LE : EncodingUtf16BE;
    }
    uint32_t n = source->size < kUtf16Bytes ? source->size : kUtf16Bytes;
    uint32_t k = n > 128 ? 4 : 2;
    uint32_t spaces[2] = {0, 0};
    uint32_t zeros[2] = {0, 0};
    for (uint32_t i = 0; i < n; ++i) {
        spaces[i % 2] += d[i] == 0x20;
        zeros[i % 2] += d[i] == 0x00;
    }
    int32_t encoding = 0;
    int32_t reason = kEncodingByUtf16Statistics;
    if (n <= 32 && zeros[0] != zeros[1]) {
        // Too short for the spaces to say anything: the side with more zeros decides.
        encoding = zeros[0] < zeros[1] ? EncodingUtf16LE : EncodingUtf16BE;
        reason = kEncodingByUtf16Zeros;
    } else if (spaces[0] > k * spaces[1] && zeros[1] > k * zeros[0]) {
        encoding = EncodingUtf16LE;
    } else if (spaces[1] > k * spaces[0] && zeros[0] > k * zeros[1]) {
        encoding = EncodingUtf16BE;
    }
    if (kVerdict && encoding) {
        verdict->reason = reason;
        verdict->examined = n;
        verdict->counts[0] = zeros[0];
        verdict->counts[1] = zeros[1];
        verdict->counts[2] = spaces[0];
        verdict->counts[3] = spaces[1];
    }
    return encoding;
}

template <bool kVerdict> int32_t Utf8(TextSource* source, EncodingVerdict* verdict) {
    if (!source || !source->data || source->size < 2) {
        return 0;
    }
    if (BeginsWith(source, 0xEF, 0xBB, 0xBF)) {
        source->bomLength = 3;
        if constexpr (kVerdict) {
            verdict->reason = kEncodingByMark;
        }
        return EncodingUtf8;
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
                    return 0;
                }
                break;
            }
            --expected;
        } else if (b < 0x80) {
            continue;
        } else if (b < 0xC0 || b > 0xF7) {
            if constexpr (!kVerdict) {
                return 0;
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
        return leads > 0 ? EncodingUtf8 : 0;
    }
    int32_t encoding = i == n && leads > 0 ? EncodingUtf8 : 0;
    verdict->reason = encoding ? kEncodingByUtf8Sequences
                      : i < n  ? kEncodingByNotUtf8
                               : kEncodingByAsciiOnly;
    verdict->examined = n;
    verdict->counts[0] = leads;
    verdict->offset = lead;
    return encoding;
}

template <bool kVerdict> int32_t Detect(TextSource* source, EncodingVerdict* verdict) {
    if (!source) {
        return 0;
    }
    if constexpr (kVerdict) {
        *verdict = EncodingVerdict{};
        verdict->reason = kEncodingByAsciiOnly; // the answer for data too short to test
    }
    source->bomLength = 0;
    int32_t encoding = Utf32<kVerdict>(source, verdict);
    if (!encoding) {
        encoding = Utf16<kVerdict>(source, verdict);
    }
    if (!encoding) {
        if (source->ansiCodePage == kUtf8CodePage) {
            encoding = EncodingUtf8;
            if (source->data && BeginsWith(source, 0xEF, 0xBB, 0xBF)) {
                source->bomLength = 3;
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

int32_t TestUtf32(TextSource* source) {
    return Utf32<false>(source, nullptr);
}

int32_t TestUtf16(TextSource* source) {
    return Utf16<false>(source, nullptr);
}

int32_t TestUtf8(TextSource* source) {
    return Utf8<false>(source, nullptr);
}

int32_t DetectEncoding(TextSource* source) {
    return Detect<false>(source, nullptr);
}

int32_t DetectEncodingExplained(TextSource* source, EncodingVerdict* verdict) {
    if (!verdict) {
        return Detect<false>(source, nullptr);
    }
    return Detect<true>(source, verdict);
}
