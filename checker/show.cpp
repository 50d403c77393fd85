// What the plug-in would show on the status bar, made visible.
#include "checker/show.h"

#include "base/format16.h"
#include "base/text16.h"
#include "helptable/help_table.h"
#include "livehelp/help_text.h"

namespace {
char16_t g_text[kLineUnits];

bool IsInvisible(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) || c == 0xFEFF;
}
} // namespace

const char16_t* StatusBarText(const CheckedEntry* entry) {
    g_text[0] = 0;
    if (!entry) {
        return g_text;
    }
    HelpNode node = {};
    node.syntax = entry->syntax;
    node.info = entry->info;
    ComposeHelpText(&node, g_text);
    // The text begins with an invisible marker that only tells the plug-in's own help apart
    // from other text on the status bar; no one sees it.
    return g_text[0] == 0x200B ? g_text + 1 : g_text;
}

void ShowHelpText(const CheckedEntry* entry, char16_t* visible, size_t capacity) {
    if (!visible || capacity == 0) {
        return;
    }
    visible[0] = 0;
    if (!entry) {
        return;
    }
    const char16_t* shown = StatusBarText(entry);
    char16_t piece[16];
    size_t length = 0;
    auto put = [&](const char16_t* text) {
        for (; *text && length + 1 < capacity; ++text) {
            visible[length++] = *text;
        }
        visible[length] = 0;
    };
    for (const char16_t* p = shown; *p; ++p) {
        switch (*p) {
        case u'\r':
            // CR LF is one line break on the status bar, and is shown as one.
            Str16Copy(piece, p[1] == u'\n' ? u"" : u"\u240d");
            break;
        case u'\n':
            Str16Copy(piece, u"\u240a\n");
            break;
        case u'\t':
            Str16Copy(piece, u"\u2409");
            break;
        default:
            if (IsInvisible(*p)) {
                Format16(piece, u"<U+%04X>", *p);
            } else {
                piece[0] = *p;
                piece[1] = 0;
            }
            break;
        }
        put(piece);
    }
    put(u"\n");
}
