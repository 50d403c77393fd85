#include "base/text16.h"

#include "platform/platform.h"
#include "platform/units16.h"

size_t Str16Len(const char16_t* text) {
    return PlatformUnitCount(text);
}

size_t Str16Copy(std::span<char16_t> dest, const char16_t* source) {
    return PlatformCopyUnits(dest, source);
}

size_t Str16Append(std::span<char16_t> dest, const char16_t* source) {
    if (dest.empty()) {
        return 0;
    }
    size_t n = 0;
    while (n < dest.size() && dest[n]) {
        ++n;
    }
    if (n == dest.size()) { // unterminated: terminate at the last unit and add nothing
        dest.back() = 0;
        return dest.size() - 1;
    }
    return n + Str16Copy(dest.subspan(n), source);
}

int Str16Compare(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        if (*a != *b) {
            return *a < *b ? -1 : 1;
        }
        if (*a == 0) {
            return 0;
        }
    }
}

int Str16CompareNoCase(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        char16_t x = UpperAscii(*a);
        char16_t y = UpperAscii(*b);
        if (x != y) {
            return x < y ? -1 : 1;
        }
        if (x == 0) {
            return 0;
        }
    }
}

bool Str16Equal(const char16_t* a, const char16_t* b) {
    return Str16Compare(a, b) == 0;
}

char16_t* Str16UpperAscii(char16_t* text) {
    for (char16_t* p = text; p && *p; ++p) {
        *p = UpperAscii(*p);
    }
    return text;
}

bool IsSpaceAbove7F(char16_t c) {
    if (c < 0x100) {
        return c == 0xA0;
    }
    return (PlatformCharType(c) & kCharSpace) != 0;
}

bool IsLetterAbove7F(char16_t c) {
    if (c < 0x100) {
        return c >= 0xC0 && c != 0xD7 && c != 0xF7;
    }
    return (PlatformCharType(c) & (kCharAlpha | kCharUpper | kCharLower)) != 0;
}

bool IsDigitAbove7F(char16_t c) {
    if (c < 0x100) {
        return c == 0xB9 || c == 0xB2 || c == 0xB3;
    }
    return (PlatformCharType(c) & kCharDigit) != 0;
}

bool IsUpperUnit(char16_t c) {
    if (c < 0x100) {
        return (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
    }
    return (PlatformCharType(c) & kCharUpper) != 0;
}

bool IsLowerUnit(char16_t c) {
    if (c < 0x100) {
        return (c >= u'a' && c <= u'z') || (c >= 0xDF && c != 0xF7);
    }
    return (PlatformCharType(c) & kCharLower) != 0;
}
