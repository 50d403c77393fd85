// The help of an entry, composed once, and the texts each place renders from it.
#include "livehelp/help_text.h"

#include "base/format16.h"
#include "base/function_name.h"
#include "base/text16.h"
#include "platform/utf8.h"

namespace {
constexpr char16_t kZeroWidthSpace = 0x200B;
constexpr char16_t kPilcrow = 0x00B6;
constexpr char16_t kNotSign = 0x00AC;
constexpr char16_t kEllipsis = 0x2026;
// The units a status-bar text adds around the description: the marker and "\r\n\n".
constexpr size_t kStatusFrameUnits = 4;

// Appends as much of source as fits behind length units of the text, keeping its terminator
// and never ending on the first half of a surrogate pair. Returns the new length.
size_t AppendWhole(std::span<char16_t> text, size_t length, const char16_t* source) {
    size_t room = text.size() - 1;
    size_t i = 0;
    for (; length < room && source[i]; ++i) {
        if (IsHighSurrogate(source[i]) && length + 1 == room) {
            break;
        }
        text[length++] = source[i];
    }
    text[length] = 0;
    return length;
}
} // namespace

bool ComposeHelp(const HelpNode* node, HelpContent* help) {
    if (!node || !help) {
        return false;
    }
    help->syntax[0] = 0;
    help->description[0] = 0;
    if (!node->syntax || !node->syntax[0]) {
        return true;
    }
    size_t syntax = Utf8ToUtf16(node->syntax, help->syntax);
    if (node->info && node->info[0]) {
        // The syntax line never fills a help text, so the description always has some room.
        Utf8ToUtf16(node->info, {help->description, kLineUnits - kStatusFrameUnits - syntax});
        ReplaceChar(help->description, kPilcrow, u'\n');
        ReplaceChar(help->description, kNotSign, u'\t');
    }
    return true;
}

bool RenderStatusText(const HelpContent& help, std::span<char16_t> text) {
    if (text.empty()) {
        return false;
    }
    text[0] = 0;
    if (!help.syntax[0] || text.size() < 2) {
        return true;
    }
    text[0] = kZeroWidthSpace;
    size_t length = AppendWhole(text, 1, help.syntax);
    if (help.description[0]) {
        length = AppendWhole(text, length, u"\r\n\n");
        AppendWhole(text, length, help.description);
    }
    return true;
}

int ComposeHelpText(const HelpNode* node, std::span<char16_t> text) {
    if (!node || text.empty()) {
        return -1;
    }
    HelpContent help;
    ComposeHelp(node, &help);
    return RenderStatusText(help, text) ? 0 : -1;
}

bool RenderTitleText(const HelpContent& help, std::span<char16_t> title) {
    if (title.empty()) {
        return false;
    }
    title[0] = 0;
    if (!help.syntax[0] || title.size() < 2) {
        return true;
    }
    char16_t line[kLineUnits];
    std::span<char16_t> whole(line);
    size_t length = AppendWhole(whole, 0, help.syntax);
    if (help.description[0]) {
        length = AppendWhole(whole, length, u" - ");
        length = AppendWhole(whole, length, help.description);
    }
    for (size_t i = 0; i < length; ++i) {
        if (line[i] == u'\r' || line[i] == u'\n' || line[i] == u'\t') {
            line[i] = u' ';
        }
    }
    if (length < title.size()) {
        Str16Copy(title, line);
        return true;
    }
    size_t keep = title.size() - 2; // room for the ellipsis and the terminator
    if (keep > 0 && IsHighSurrogate(line[keep - 1])) {
        --keep; // a high surrogate without its partner would show as a broken character
    }
    for (size_t i = 0; i < keep; ++i) {
        title[i] = line[i];
    }
    title[keep] = kEllipsis;
    title[keep + 1] = 0;
    return true;
}

bool RenderWindowText(const HelpContent& help, std::span<char16_t> text) {
    if (text.empty()) {
        return false;
    }
    text[0] = 0;
    if (!help.syntax[0]) {
        return true;
    }
    size_t length = AppendWhole(text, 0, help.syntax);
    if (help.description[0]) {
        length = AppendWhole(text, length, u"\n\n");
        AppendWhole(text, length, help.description);
    }
    return true;
}

int ReplaceChar(char16_t* text, char16_t target, char16_t replacement) {
    if (!text || replacement == target) {
        return -1;
    }
    int count = 0;
    for (char16_t* p = text; *p; ++p) {
        if (*p == target) {
            *p = replacement;
            ++count;
        }
    }
    return count;
}

TextSpan ArgumentOfSyntax(const char16_t* syntax, int argument) {
    const char16_t* open = syntax;
    while (*open && *open != u'[') {
        ++open;
    }
    if (!*open || argument < 0) {
        return {0, 0};
    }
    size_t start = static_cast<size_t>(open - syntax) + 1;
    int depth = 0;
    int index = 0;
    for (size_t i = start; syntax[i]; ++i) {
        char16_t unit = syntax[i];
        if (unit == u'[') {
            ++depth;
        } else if (unit == u']' && depth > 0) {
            --depth;
        } else if ((unit == u',' || unit == u']') && depth == 0) {
            if (index == argument) {
                return {start, i - start};
            }
            if (unit == u']') {
                break; // the list's end: no further argument
            }
            ++index;
            start = i + 1;
        }
    }
    return {0, 0};
}

TextSpan ArgumentNameOf(const char16_t* syntax, TextSpan argument) {
    size_t start = argument.start;
    size_t end = argument.start + argument.length;
    while (start < end && !IsFunctionNameUnit(syntax[start])) {
        ++start;
    }
    size_t length = 0;
    while (start + length < end && IsFunctionNameUnit(syntax[start + length])) {
        ++length;
    }
    return length ? TextSpan{start, length} : TextSpan{0, 0};
}

TextSpan ArgumentLineOf(const char16_t* description, const char16_t* syntax, TextSpan argument) {
    TextSpan nameSpan = ArgumentNameOf(syntax, argument);
    const char16_t* name = syntax + nameSpan.start;
    size_t nameLength = nameSpan.length;
    if (nameLength == 0) {
        return {0, 0};
    }
    for (size_t line = 0; description[line];) {
        size_t next = line;
        while (description[next] && description[next] != u'\n') {
            ++next;
        }
        bool named = next - line > nameLength && description[line + nameLength] == u'\t';
        for (size_t i = 0; named && i < nameLength; ++i) {
            named = description[line + i] == name[i];
        }
        if (named) {
            return {line, next - line};
        }
        line = description[next] ? next + 1 : next;
    }
    return {0, 0};
}

namespace {

// Copies the text with the run marked into the buffer, whole or cut as AppendWhole cuts.
void CopyMarked(std::span<char16_t> out, const char16_t* text, TextSpan run, const char16_t* open,
                const char16_t* close) {
    out[0] = 0;
    if (!run.length) {
        AppendWhole(out, 0, text);
        return;
    }
    char16_t piece[kLineUnits];
    size_t length = 0;
    for (size_t i = 0; i < run.start && i + 1 < kLineUnits; ++i) {
        piece[i] = text[i];
        piece[i + 1] = 0;
    }
    length = AppendWhole(out, 0, run.start ? piece : u"");
    length = AppendWhole(out, length, open);
    size_t n = run.length < kLineUnits - 1 ? run.length : kLineUnits - 1;
    for (size_t i = 0; i < n; ++i) {
        piece[i] = text[run.start + i];
    }
    piece[n] = 0;
    length = AppendWhole(out, length, piece);
    length = AppendWhole(out, length, close);
    AppendWhole(out, length, text + run.start + run.length);
}

} // namespace

void MarkArgument(const HelpContent& help, int argument, const char16_t* open,
                  const char16_t* close, bool lineOnly, HelpContent* marked) {
    TextSpan inSyntax = ArgumentOfSyntax(help.syntax, argument);
    TextSpan ownLine = ArgumentLineOf(help.description, help.syntax, inSyntax);
    CopyMarked(marked->syntax, help.syntax, inSyntax, open, close);
    if (!lineOnly) {
        CopyMarked({marked->description, kLineUnits - kStatusFrameUnits - Str16Len(marked->syntax)},
                   help.description, ownLine, open, close);
        return;
    }
    if (!ownLine.length) {
        Str16Copy(marked->description, help.description); // the description as it stands
        return;
    }
    size_t n = ownLine.length < kLineUnits - 1 ? ownLine.length : kLineUnits - 1;
    for (size_t i = 0; i < n; ++i) {
        marked->description[i] = help.description[ownLine.start + i];
    }
    marked->description[n] = 0;
}

namespace {

// One matching function as a line: its syntax line (or its name when it has none) and the
// first line of its description.
size_t AppendNameLine(std::span<char16_t> text, size_t length, const HelpNode* node) {
    static HelpContent help; // the host's thread alone renders
    ComposeHelp(node, &help);
    if (help.syntax[0]) {
        length = AppendWhole(text, length, help.syntax);
    } else {
        length = AppendWhole(text, length, u"@");
        length = AppendWhole(text, length, node->name);
    }
    size_t first = 0;
    while (help.description[first] && help.description[first] != u'\n') {
        ++first;
    }
    if (first) {
        help.description[first] = 0;
        length = AppendWhole(text, length, u" \u2014 ");
        length = AppendWhole(text, length, help.description);
    }
    return length;
}

} // namespace

bool RenderNamesWindowText(const HelpNames& names, std::span<char16_t> text) {
    if (text.empty()) {
        return false;
    }
    text[0] = 0;
    size_t length = 0;
    for (uint32_t i = 0; i < names.count; ++i) {
        if (i) {
            length = AppendWhole(text, length, u"\n");
        }
        length = AppendNameLine(text, length, names.shown[i]);
    }
    if (names.total > names.count) {
        char16_t more[40];
        Format16(more, u"\nand %u more", names.total - names.count);
        AppendWhole(text, length, more);
    }
    return true;
}

bool RenderNamesLine(const HelpNames& names, std::span<char16_t> line) {
    if (line.empty()) {
        return false;
    }
    char16_t whole[kLineUnits];
    std::span<char16_t> all(whole);
    whole[0] = 0;
    size_t length = 0;
    for (uint32_t i = 0; i < names.count; ++i) {
        length = AppendWhole(all, length, i ? u"  @" : u"@");
        length = AppendWhole(all, length, names.name[i]);
    }
    if (names.total > names.count) {
        char16_t more[40];
        Format16(more, u"  and %u more", names.total - names.count);
        length = AppendWhole(all, length, more);
    }
    if (length < line.size()) {
        Str16Copy(line, whole);
        return true;
    }
    size_t keep = line.size() - 2; // room for the ellipsis and the terminator
    if (keep > 0 && IsHighSurrogate(whole[keep - 1])) {
        --keep;
    }
    for (size_t i = 0; i < keep; ++i) {
        line[i] = whole[i];
    }
    line[keep] = kEllipsis;
    line[keep + 1] = 0;
    return true;
}

const HelpContent& WithArgumentMarked(const HelpContent& help, int argument, const char16_t* open,
                                      const char16_t* close, bool lineOnly) {
    if (argument < 0) {
        return help;
    }
    static HelpContent marked; // the host's thread alone renders
    MarkArgument(help, argument, open, close, lineOnly, &marked);
    return marked;
}
