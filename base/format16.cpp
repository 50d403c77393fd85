#include "base/format16.h"

#include "base/text16.h"

#include <cstdint>

namespace {

struct Sink {
    std::span<char16_t> dest;
    size_t length;

    void Put(char16_t c) {
        if (length + 1 < dest.size()) {
            dest[length++] = c;
        }
    }
    void Repeat(char16_t c, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            Put(c);
        }
    }
};

size_t ToDigits(uint64_t value, unsigned base, bool upper, char16_t* out) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char16_t tmp[24];
    size_t n = 0;
    do {
        tmp[n++] = static_cast<char16_t>(digits[value % base]);
        value /= base;
    } while (value);
    for (size_t i = 0; i < n; ++i) {
        out[i] = tmp[n - 1 - i];
    }
    return n;
}

} // namespace

size_t Format16V(std::span<char16_t> dest, const char16_t* format, va_list args) {
    if (dest.empty()) {
        return 0;
    }
    Sink out{dest, 0};
    for (const char16_t* f = format; f && *f; ++f) {
        if (*f != u'%') {
            out.Put(*f);
            continue;
        }
        ++f;
        bool left = false;
        bool zero = false;
        for (;; ++f) {
            if (*f == u'-') {
                left = true;
            } else if (*f == u'0') {
                zero = true;
            } else {
                break;
            }
        }
        size_t width = 0;
        while (*f >= u'0' && *f <= u'9') {
            width = width * 10 + (*f++ - u'0');
        }
        size_t precision = SIZE_MAX;
        if (*f == u'.') {
            ++f;
            precision = 0;
            while (*f >= u'0' && *f <= u'9') {
                precision = precision * 10 + (*f++ - u'0');
            }
        }
        bool wide64 = false;
        if (f[0] == u'I' && f[1] == u'6' && f[2] == u'4') {
            wide64 = true;
            f += 3;
        } else if (*f == u'l' || *f == u'h') {
            ++f;
        }
        char16_t digits[24];
        const char16_t* text = digits;
        size_t length = 0;
        bool negative = false;
        switch (*f) {
        case u'%':
            out.Put(u'%');
            continue;
        case u'\0':
            --f; // a lone "%" at the end: stop at the terminator
            continue;
        case u's': {
            text = va_arg(args, const char16_t*);
            if (!text) {
                text = u"(null)";
            }
            length = Str16Len(text);
            if (length > precision) {
                length = precision;
            }
            zero = false;
            break;
        }
        case u'c':
            digits[0] = static_cast<char16_t>(va_arg(args, int));
            length = 1;
            zero = false;
            break;
        case u'd':
        case u'i': {
            int64_t v = wide64 ? va_arg(args, int64_t) : va_arg(args, int);
            negative = v < 0;
            uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            length = ToDigits(magnitude, 10, false, digits);
            break;
        }
        case u'u':
        case u'x':
        case u'X': {
            uint64_t v = wide64 ? va_arg(args, uint64_t) : va_arg(args, unsigned);
            length = ToDigits(v, *f == u'u' ? 10 : 16, *f == u'X', digits);
            break;
        }
        default: // unknown directive: shown as written
            out.Put(u'%');
            out.Put(*f);
            continue;
        }
        size_t total = length + (negative ? 1 : 0);
        size_t pad = width > total ? width - total : 0;
        if (!left && !zero) {
            out.Repeat(u' ', pad);
        }
        if (negative) {
            out.Put(u'-');
        }
        if (!left && zero) {
            out.Repeat(u'0', pad);
        }
        for (size_t i = 0; i < length; ++i) {
            out.Put(text[i]);
        }
        if (left) {
            out.Repeat(u' ', pad);
        }
    }
    dest[out.length] = 0;
    return out.length;
}

size_t Format16(std::span<char16_t> dest, const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    size_t n = Format16V(dest, format, args);
    va_end(args);
    return n;
}
