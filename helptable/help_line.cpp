// Splitting one help-file line into a function's name, syntax line and description.
#include "helptable/help_line.h"

#include "base/function_name.h"
#include "base/limits.h"
#include "base/text16.h"

#include <cstddef>
#include <cstring>

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

size_t SkipSpace(const char16_t* line, size_t at) {
    while (line[at] && IsSpaceUnit(line[at])) {
        ++at;
    }
    return at;
}

// Past one separator: a run of "-", or one ":", or one dash from U+2010 to U+2015. Inline, so
// that the plug-in's form of the parser stays free of calls for ASCII text.
inline size_t SkipSeparator(const char16_t* line, size_t at) {
    char16_t unit = line[at];
    if (unit == u'-') {
        while (line[at] == u'-') {
            ++at;
        }
    } else if (unit == u':' || (unit >= 0x2010 && unit <= 0x2015)) {
        ++at;
    }
    return at;
}

size_t NameRunEnd(const char16_t* line, size_t at) {
    while (IsFunctionNameUnit(line[at])) {
        ++at;
    }
    return at;
}

// The one parser. The verdict form notes where each rule decided; the plug-in's form is
// compiled without it.
template <bool kVerdict>
int Parse(char16_t* name, const char16_t* line, char16_t* syntax, char16_t* info,
          HelpLineVerdict* verdict, HelpLineLengths* lengths) {
    if (lengths) {
        *lengths = HelpLineLengths{0, 0};
    }
    if (!name || !line) {
        return -1;
    }
    name[0] = 0;
    size_t at = SkipSpace(line, 0);
    if constexpr (kVerdict) {
        *verdict = HelpLineVerdict{};
        verdict->reason = kHelpLineNoMarker;
        verdict->nameStart = verdict->nameEnd = static_cast<uint32_t>(at);
    }
    if (line[at] != u'@') {
        return 0;
    }
    size_t nameStart = at + 1;
    if constexpr (kVerdict) {
        verdict->nameStart = static_cast<uint32_t>(nameStart);
        verdict->nameEnd = static_cast<uint32_t>(NameRunEnd(line, nameStart));
        verdict->reason = kHelpLineNameStart;
    }
    if (!IsFunctionNameStart(line[nameStart])) {
        return 0;
    }
    size_t length = 0;
    while (IsFunctionNameUnit(line[nameStart + length])) {
        if (length == kNameUnits - 1) {
            name[0] = 0;
            if constexpr (kVerdict) {
                verdict->reason = kHelpLineNameTooLong;
            }
            return 0;
        }
        name[length] = UpperAscii(line[nameStart + length]);
        ++length;
    }
    size_t open = nameStart + length;
    if (line[open] != u'[') {
        name[0] = 0;
        if constexpr (kVerdict) {
            verdict->reason = kHelpLineNoBracket;
        }
        return 0;
    }
    name[length] = 0;
    if constexpr (kVerdict) {
        verdict->reason = kHelpLineEntry;
    }
    if (syntax) {
        syntax[0] = 0;
    }
    if (info) {
        info[0] = 0;
    }
    if (!syntax && !info) {
        return static_cast<int>(length);
    }

    // The argument list ends at the "]" that balances the opening one, or with the line.
    size_t end = open;
    int depth = 0;
    while (line[end]) {
        char16_t unit = line[end++];
        if (unit == u'[') {
            ++depth;
        } else if (unit == u']' && --depth == 0) {
            break;
        }
    }
    if constexpr (kVerdict) {
        verdict->close = static_cast<uint32_t>(end);
        verdict->balanced = depth == 0;
        verdict->syntaxKept = static_cast<uint32_t>(end);
    }

    if (syntax) {
        // A syntax line longer than its buffer is cut, never inside a surrogate pair.
        size_t copy = end;
        if (copy > kSyntaxUnits - 1) {
            copy = kSyntaxUnits - 1;
            if (IsHighSurrogate(line[copy - 1])) {
                --copy;
            }
        }
        memcpy(syntax, line, copy * sizeof(char16_t));
        syntax[copy] = 0;
        if (lengths) {
            lengths->syntax = copy;
        }
        for (size_t i = nameStart; i < nameStart + length && i < copy; ++i) {
            syntax[i] = UpperAscii(syntax[i]);
        }
        if constexpr (kVerdict) {
            verdict->syntaxKept = static_cast<uint32_t>(copy);
        }
    }

    if constexpr (kVerdict) {
        if (info) {
            verdict->separator = verdict->info = static_cast<uint32_t>(end);
        }
    }
    if (!info || !line[end]) {
        return static_cast<int>(length);
    }
    at = SkipSpace(line, end);
    if constexpr (kVerdict) {
        verdict->separator = static_cast<uint32_t>(at);
    }
    at = SkipSeparator(line, at);
    at = SkipSpace(line, at);
    if constexpr (kVerdict) {
        verdict->info = static_cast<uint32_t>(at);
    }
    // The rest of a line of at most 8,191 units always fits; the bound only guards the buffer.
    size_t n = 0;
    while (line[at + n] && n < kLineUnits - 1) {
        ++n;
    }
    memcpy(info, line + at, n * sizeof(char16_t));
    if (line[at + n] && n > 0 && IsHighSurrogate(info[n - 1])) {
        --n;
    }
    info[n] = 0;
    if (lengths) {
        lengths->info = n;
    }
    return static_cast<int>(length);
}

} // namespace

size_t SkipHelpSeparator(const char16_t* line, size_t at) {
    return SkipSeparator(line, at);
}

int ParseHelpLine(char16_t* name, const char16_t* line, char16_t* syntax, char16_t* info) {
    return Parse<false>(name, line, syntax, info, nullptr, nullptr);
}

int ParseHelpLineLengths(char16_t* name, const char16_t* line, char16_t* syntax, char16_t* info,
                         HelpLineLengths* lengths) {
    return Parse<false>(name, line, syntax, info, nullptr, lengths);
}

int ParseHelpLineVerdict(char16_t* name, const char16_t* line, char16_t* syntax, char16_t* info,
                         HelpLineVerdict* verdict) {
    if (!verdict) {
        return ParseHelpLine(name, line, syntax, info);
    }
    return Parse<true>(name, line, syntax, info, verdict, nullptr);
}
