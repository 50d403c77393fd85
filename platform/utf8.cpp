// UTF-8 and UTF-16 conversions: what MultiByteToWideChar and WideCharToMultiByte do for
// CP_UTF8, with a cut at a character boundary when the text does not fit. The Linux stand-ins
// use them too, to hand UTF-16 names to the system's UTF-8 calls.
#include "platform/utf8.h"

#include "platform/unicode.h"
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
    if (IsHighSurrogate(c) && p < end && IsLowSurrogate(*p)) {
        return CombineSurrogates(c, *p++);
    }
    return IsSurrogate(c) ? 0xFFFD : c;
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
        // The span keeps the terminator's byte out of reach.
        const char16_t* next = p;
        uint32_t len =
            EncodeUtf8(NextCodePoint16(next, end), std::span<char>(dest + n, capacity - n - 1));
        if (len == 0) {
            break;
        }
        p = next;
        n += len;
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
    const auto* p = reinterpret_cast<const uint8_t*>(source);
    const uint8_t* end = p ? p + strlen(source) : p;
    while (p < end) {
        uint32_t c = *p;
        uint32_t length = 1;
        if (c >= 0x80) {
            Utf8Char decoded = DecodeUtf8(std::span(p, end));
            c = decoded.kind == Utf8Kind::Character ? decoded.value : 0xFFFD;
            length = decoded.length;
        }
        size_t units = c > 0xFFFF ? 2 : 1;
        if (n + units + 1 > capacity) {
            break;
        }
        if (units == 2) {
            dest[n++] = HighSurrogateOf(c);
            dest[n++] = LowSurrogateOf(c);
        } else {
            dest[n++] = static_cast<char16_t>(c);
        }
        p += length;
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
