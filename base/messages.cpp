#include "base/messages.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/text16.h"

#include <span>

namespace {
// Static result buffers: a result lasts until the next call that writes the same buffer.
char16_t PluralBuffer[kMessageUnits];

// The longest growth of a plural ("ices" for "ex", "ies" for "y", ...) is two units.
constexpr size_t kLongestPluralNoun = kMessageUnits - 1 - 2;

bool IsVowel(char16_t c) {
    return c == u'A' || c == u'E' || c == u'I' || c == u'O' || c == u'U';
}
} // namespace

int ClassifyCase(const char16_t* text) {
    if (!text || !*text) {
        return kCaseOther;
    }
    int upper = 0;
    for (const char16_t* p = text; *p; ++p) {
        if (IsLowerUnit(*p)) {
            return kCaseOther;
        }
        if (IsUpperUnit(*p)) {
            ++upper;
        }
    }
    return upper == 0 ? kCaseOther : (upper == 1 ? kCaseOneCapital : kCaseAllCapitals);
}

const char16_t* Pluralize(uint64_t count, const char16_t* noun) {
    if (!noun || !*noun) {
        noun = u"thing";
    }
    size_t length = Str16Len(noun);
    if (count == 1 || length > kLongestPluralNoun) {
        return noun;
    }
    std::span<char16_t> out = PluralBuffer;
    Str16Copy(out, noun);
    char16_t last = UpperAscii(out[length - 1]);
    char16_t prev = length >= 2 ? UpperAscii(out[length - 2]) : 0;
    char16_t before = length >= 3 ? UpperAscii(out[length - 3]) : 0;

    if (prev && IsLetterUnit(prev) && !IsVowel(prev) && last == u'Y') {
        out[length - 1] = 0;
        Str16Append(out, u"ies");
    } else if (prev == u'I' && last == u'S') {
        out[length - 2] = u'e';
    } else if (prev == u'E' && last == u'X') {
        out[length - 2] = 0;
        Str16Append(out, u"ices");
    } else if (last == u'S' || last == u'X' || last == u'O') {
        Str16Append(out, u"es");
    } else if ((prev == u'S' || prev == u'C') && last == u'H') {
        Str16Append(out, u"es");
    } else if (before == u'M' && prev == u'A' && last == u'N') {
        out[length - 2] = u'e';
    } else if (before == u'E' && prev == u'L' && last == u'F') {
        out[length - 1] = 0;
        Str16Append(out, u"ves");
    } else {
        Str16Append(out, u"s");
    }
    if (ClassifyCase(noun) == kCaseAllCapitals) {
        Str16UpperAscii(out.data());
    }
    return out.data();
}
