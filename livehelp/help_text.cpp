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
