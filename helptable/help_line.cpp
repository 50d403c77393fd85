// Splitting one help-file line into a function's name, syntax line and description.
#include "helptable/help_line.h"

#include "base/function_name.h"
#include "base/limits.h"
#include "base/text16.h"
#include "helptable/help_grammar.h"

#include <cstddef>
#include <cstring>

namespace {

size_t NameRunEnd(const char16_t* line, size_t at) {
    while (IsFunctionNameUnit(line[at])) {
        ++at;
    }
    return at;
}

int32_t ReasonOf(HelpName end) {
    switch (end) {
    case HelpName::NoStart:
        return kHelpLineNameStart;
    case HelpName::TooLong:
        return kHelpLineNameTooLong;
    default:
        return kHelpLineNoBracket;
    }
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
    const Utf16HelpReader r{line};
    size_t at = SkipHelpBlanks(r, 0);
    if constexpr (kVerdict) {
        *verdict = HelpLineVerdict{};
        verdict->reason = kHelpLineNoMarker;
        verdict->nameStart = verdict->nameEnd = static_cast<uint32_t>(at);
    }
    if (!IsHelpMarker(line[at])) {
        return 0;
    }
    size_t nameStart = at + 1;
    if constexpr (kVerdict) {
        verdict->nameStart = static_cast<uint32_t>(nameStart);
        verdict->nameEnd = static_cast<uint32_t>(NameRunEnd(line, nameStart));
    }
    HelpNameScan scanned = ScanHelpName(r, nameStart, name);
    if (scanned.end != HelpName::Entry) {
        if constexpr (kVerdict) {
            verdict->reason = ReasonOf(scanned.end);
        }
        return 0;
    }
    size_t length = scanned.length;
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

    HelpClose close = FindHelpClose(r, nameStart + length);
    size_t end = close.end;
    if constexpr (kVerdict) {
        verdict->close = static_cast<uint32_t>(end);
        verdict->balanced = close.balanced;
        verdict->syntaxKept = static_cast<uint32_t>(end);
    }

    if (syntax) {
        size_t copy = KeptSyntaxUnits(line, end);
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

    if (!info) {
        return static_cast<int>(length);
    }
    HelpInfoPlace place = FindHelpInfo(r, end);
    if constexpr (kVerdict) {
        verdict->separator = static_cast<uint32_t>(place.separator);
        verdict->info = static_cast<uint32_t>(place.info);
    }
    size_t n = KeptInfoUnits(line + place.info);
    memcpy(info, line + place.info, n * sizeof(char16_t));
    info[n] = 0;
    if (lengths) {
        lengths->info = n;
    }
    return static_cast<int>(length);
}

} // namespace

size_t SkipHelpSeparator(const char16_t* line, size_t at) {
    return SkipHelpSeparatorAt(Utf16HelpReader{line}, at);
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
