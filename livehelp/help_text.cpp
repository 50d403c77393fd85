// The text a help entry shows as.
#include "livehelp/help_text.h"

#include "base/limits.h"
#include "base/text16.h"
#include "platform/utf8.h"

namespace {
constexpr char16_t kZeroWidthSpace = 0x200B;
constexpr char16_t kPilcrow = 0x00B6;
constexpr char16_t kNotSign = 0x00AC;
} // namespace

int ComposeHelpText(const HelpNode* node, std::span<char16_t> text) {
    if (!node || text.empty()) {
        return -1;
    }
    text[0] = 0;
    if (!node->syntax || !node->syntax[0] || text.size() < 2) {
        return 0;
    }
    // The syntax line is read as into its own 1,024-unit buffer; it lands after the marker.
    text[0] = kZeroWidthSpace;
    size_t syntaxRoom = text.size() - 1 < static_cast<size_t>(kSyntaxUnits)
                            ? text.size() - 1
                            : static_cast<size_t>(kSyntaxUnits);
    Utf8ToUtf16(node->syntax, text.data() + 1, syntaxRoom);
    if (node->info && node->info[0]) {
        size_t length = Str16Append(text.data(), text.size(), u"\r\n\n");
        if (length + 1 >= text.size()) {
            return 0;
        }
        // An info too long for the rest of the text is cut at a character boundary: the
        // syntax line and the start of the description stay readable.
        char16_t* info = text.data() + length;
        Utf8ToUtf16(node->info, info, text.size() - length);
        ReplaceChar(info, kPilcrow, u'\n');
        ReplaceChar(info, kNotSign, u'\t');
    }
    return 0;
}

int ComposeTitleText(const HelpNode* node, std::span<char16_t> title) {
    if (!node || title.empty()) {
        return -1;
    }
    title[0] = 0;
    char16_t text[kLineUnits];
    ComposeHelpText(node, text);
    if (!text[0] || title.size() < 2) {
        return 0;
    }
    // Past the marker; the break between the syntax line and the description becomes " - ",
    // as long as the "\r\n\n" it stands for, so the line never outgrows the text.
    char16_t* line = text + 1;
    for (char16_t* p = line; *p; ++p) {
        if (p[0] == u'\r' && p[1] == u'\n' && p[2] == u'\n') {
            p[0] = u' ';
            p[1] = u'-';
            p[2] = u' ';
            p += 2;
        } else if (*p == u'\r' || *p == u'\n' || *p == u'\t') {
            *p = u' ';
        }
    }
    size_t length = Str16Len(line);
    if (length < title.size()) {
        Str16Copy(title.data(), title.size(), line);
        return 0;
    }
    size_t keep = title.size() - 2; // room for the ellipsis and the terminator
    if (keep > 0 && line[keep - 1] >= 0xD800 && line[keep - 1] <= 0xDBFF) {
        --keep; // a high surrogate without its partner would show as a broken character
    }
    for (size_t i = 0; i < keep; ++i) {
        title[i] = line[i];
    }
    title[keep] = 0x2026;
    title[keep + 1] = 0;
    return 0;
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
