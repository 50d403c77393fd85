// UTF-8 and UTF-16 conversions: what MultiByteToWideChar and WideCharToMultiByte do for
// CP_UTF8, with a cut at a character boundary when the text does not fit. The Linux stand-ins
// use them too, to hand UTF-16 names to the system's UTF-8 calls.
#include "platform/utf8.h"

#include "platform/units16.h"

#include <bit>

#include <cstdint>
#include <cstdlib>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "ASCII words are packed low unit first");

namespace {

// Reads one code point from UTF-16 before end, pairing surrogates; a lone surrogate gives
// U+FFFD.
uint32_t NextCodePoint16(const char16_t*& p, const char16_t* end) {
    uint32_t c = *p++;
    if (c >= 0xD800 && c <= 0xDBFF) {
        if (p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
            return 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
        }
        return 0xFFFD;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) {
        return 0xFFFD;
    }
    return c;
}

size_t EncodeUtf8(uint32_t c, unsigned char* out) {
    if (c < 0x80) { // never from Utf16ToUtf8Units, which copies ASCII itself: the encoder is whole
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 4;
}

// Reads one code point from UTF-8; a malformed sequence gives U+FFFD and consumes one byte.
uint32_t NextCodePoint8(const unsigned char*& p) {
    unsigned b0 = *p;
    int extra;
    uint32_t c;
    uint32_t min;
    if (b0 < 0x80) {
        ++p;
        return b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, c = b0 & 0x07, min = 0x10000;
    } else {
        ++p;
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            ++p;
            return 0xFFFD;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++p;
        return 0xFFFD;
    }
    p += extra + 1;
    return c;
}

} // namespace

size_t Utf16ToUtf8(const char16_t* source, std::span<char> buffer) {
    return Utf16ToUtf8Units(source, PlatformUnitCount(source), buffer);
}

size_t Utf16ToUtf8Units(const char16_t* source, size_t units, std::span<char> buffer) {
    if (buffer.empty()) {
        return 0;
    }
    char* dest = buffer.data(); // the loops below stay within capacity
    size_t capacity = buffer.size();
    size_t n = 0;
    const char16_t* p = source;
    const char16_t* end = source ? source + units : source;
    while (p < end && *p) {
        // ASCII, the common case: four units a word, while the word has no NUL and no unit
        // above 0x7F and its four bytes leave room for the terminator.
        while (end - p >= 4 && n + 4 < capacity) {
            uint64_t word;
            memcpy(&word, p, sizeof word);
            uint64_t zero = (word - 0x0001000100010001u) & ~word & 0x8000800080008000u;
            if ((word & 0xFF80FF80FF80FF80u) | zero) {
                break;
            }
            // Little-endian: unit k sits in bits 16k to 16k + 7.
            uint32_t bytes =
                static_cast<uint32_t>((word & 0xFF) | ((word >> 8) & 0xFF00) |
                                      ((word >> 16) & 0xFF0000) | ((word >> 24) & 0xFF000000));
            memcpy(dest + n, &bytes, sizeof bytes);
            n += 4;
            p += 4;
        }
        while (p < end && *p && *p < 0x80 && n + 1 < capacity) {
            dest[n++] = static_cast<char>(*p++);
        }
        if (p == end || *p == 0) {
            break;
        }
        if (*p < 0x80) {
            break; // out of room
        }
        unsigned char bytes[4];
        const char16_t* next = p;
        size_t len = EncodeUtf8(NextCodePoint16(next, end), bytes);
        if (n + len + 1 > capacity) {
            break;
        }
        p = next;
        for (size_t i = 0; i < len; ++i) {
            dest[n++] = static_cast<char>(bytes[i]);
        }
    }
    dest[n] = 0;
    return n;
}

size_t Utf8ToUtf16(const char* source, std::span<char16_t> buffer) {
    if (buffer.empty()) {
        return 0;
    }
    char16_t* dest = buffer.data();
    size_t capacity = buffer.size();
    size_t n = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(source);
    while (p && *p) {
        uint32_t c = NextCodePoint8(p);
        size_t len = c >= 0x10000 ? 2 : 1;
        if (n + len + 1 > capacity) {
            break;
        }
        if (len == 2) {
            c -= 0x10000;
            dest[n++] = static_cast<char16_t>(0xD800 + (c >> 10));
            dest[n++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            dest[n++] = static_cast<char16_t>(c);
        }
    }
    dest[n] = 0;
    return n;
}

char* Utf16ToUtf8Alloc(const char16_t* source) {
    if (!source) {
        return nullptr;
    }
    size_t capacity = PlatformUnitCount(source) * 3 + 1;
    char* out = static_cast<char*>(malloc(capacity));
    if (out) {
        Utf16ToUtf8(source, {out, capacity});
    }
    return out;
}

char16_t* Utf8ToUtf16Alloc(const char* source) {
    if (!source) {
        return nullptr;
    }
    size_t len = 0;
    while (source[len]) {
        ++len;
    }
    char16_t* out = static_cast<char16_t*>(malloc((len + 1) * sizeof(char16_t)));
    if (out) {
        Utf8ToUtf16(source, {out, len + 1});
    }
    return out;
}
