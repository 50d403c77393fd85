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

int32_t TestUtf32(TextSource* source) {
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
    if (big[0] >= threshold && big[1] == 0 && zero[1] >= threshold) {
        if (BeginsWith(source, 0xFF, 0xFE, 0x00, 0x00)) {
            source->bomLength = 4;
        }
        return EncodingUtf32LE;
    }
    if (wild[1] >= threshold && wild[0] == 0 && zero[0] >= threshold) {
        if (BeginsWith(source, 0x00, 0x00, 0xFE, 0xFF)) {
            source->bomLength = 4;
        }
        return EncodingUtf32BE;
    }
    return 0;
}

int32_t TestUtf16(TextSource* source) {
    if (!source || !source->data || source->size < 2) {
        return 0;
    }
    const uint8_t* d = source->data;
    if (d[0] == 0xFF && d[1] == 0xFE) {
        source->bomLength = 2;
        return EncodingUtf16LE;
    }
    if (d[0] == 0xFE && d[1] == 0xFF) {
        source->bomLength = 2;
        return EncodingUtf16BE;
    }
    uint32_t n = source->size < kUtf16Bytes ? source->size : kUtf16Bytes;
    uint32_t k = n > 128 ? 4 : 2;
    uint32_t spaces[2] = {0, 0};
    uint32_t zeros[2] = {0, 0};
    for (uint32_t i = 0; i < n; ++i) {
        spaces[i % 2] += d[i] == 0x20;
        zeros[i % 2] += d[i] == 0x00;
    }
    if (n <= 32) {
        // Too short for the spaces to say anything: the side with more zeros decides.
        if (zeros[0] < zeros[1]) {
            return EncodingUtf16LE;
        }
        if (zeros[0] > zeros[1]) {
            return EncodingUtf16BE;
        }
    }
    if (spaces[0] > k * spaces[1] && zeros[1] > k * zeros[0]) {
        return EncodingUtf16LE;
    }
    if (spaces[1] > k * spaces[0] && zeros[0] > k * zeros[1]) {
        return EncodingUtf16BE;
    }
    return 0;
}

int32_t TestUtf8(TextSource* source) {
    if (!source || !source->data || source->size < 2) {
        return 0;
    }
    if (BeginsWith(source, 0xEF, 0xBB, 0xBF)) {
        source->bomLength = 3;
        return EncodingUtf8;
    }
    uint32_t n = source->size < kUtf8Bytes ? source->size : kUtf8Bytes;
    uint32_t expected = 0;
    uint32_t leads = 0;
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t b = source->data[i];
        if (expected > 0) {
            if (b < 0x80 || b > 0xBF) {
                return 0;
            }
            --expected;
        } else if (b < 0x80) {
            continue;
        } else if (b < 0xC0 || b > 0xF7) {
            return 0;
        } else {
            expected = b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
            ++leads;
        }
    }
    return leads > 0 ? EncodingUtf8 : 0;
}

int32_t DetectEncoding(TextSource* source) {
    if (!source) {
        return 0;
    }
    source->bomLength = 0;
    int32_t encoding = TestUtf32(source);
    if (!encoding) {
        encoding = TestUtf16(source);
    }
    if (!encoding) {
        if (source->ansiCodePage == kUtf8CodePage) {
            encoding = EncodingUtf8;
            if (source->data && BeginsWith(source, 0xEF, 0xBB, 0xBF)) {
                source->bomLength = 3;
            }
        } else {
            encoding = TestUtf8(source);
        }
    }
    if (source->position < source->bomLength) {
        source->position = source->bomLength;
    }
    source->encoding = encoding;
    return encoding;
}
