// The help of an entry, composed once, and the texts each place renders from it.
#include "livehelp/help_text.h"

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
