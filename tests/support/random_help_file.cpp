#include "tests/support/random_help_file.h"

#include <cstdio>

std::string RandomHelpFile(std::mt19937* random) {
    const char* names[] = {"left", "LEFT", "Right", "x", "a_b$1", "\xC3\xA9lan", "if"};
    const char* pieces[] = {
        "@%s[n,string] - text",
        "@%s[a[b] open",
        "@%s [x] - gap",
        "@1%s[x]",
        "@%s-y[x] - d",
        "@%s - no bracket",
        "@%s[] -1 minus",
        "  @%s[x]: colon",
        "# heading @%s[x]",
        "@%s[x] - caf\xE9",
        "@%s[x] \xF0\x9F\x98\x80 emoji",
        "@%s[x] - \x07 bell",
        "@%s[]",
        "@%s[x] -- \xC2\xB6 pilcrow \xC2\xAC",
        "\xC2\xA0@%s[x]\xE3\x80\x80\xE2\x80\x93\xC2\xA0"
        "en dash, wide spaces",
        "@%s[x] \xE2\x80\x96 not a dash",
        "@%s[x] \xE2\x80\x90 first dash",
        "@%s[x]\xE2\x80\x95last dash",
        "@%s[x] - next\xC2\x85line",
    };
    std::string text = (*random)() % 2 ? "\xEF\xBB\xBF" : "";
    int lines = 1 + static_cast<int>((*random)() % 40);
    for (int i = 0; i < lines; ++i) {
        auto pick = static_cast<unsigned>((*random)() % 20);
        if (pick == 0) {
            text.append("@long[").append(1000 + (*random)() % 9000, 'z').append("] - tail");
        } else if (pick == 1) {
            text.append("@").append(45 + (*random)() % 5, 'n').append("[x] - name length");
        } else if (pick == 2) {
            text += static_cast<char>((*random)() % 256);
        } else {
            char line[256];
            snprintf(line, sizeof line, pieces[(*random)() % (sizeof pieces / sizeof *pieces)],
                     names[(*random)() % (sizeof names / sizeof *names)]);
            text += line;
        }
        const char* breaks[] = {"\n", "\r\n", "\r", "\n\r", "\n\n"};
        auto b = static_cast<unsigned>((*random)() % 6);
        if (b == 5) {
            text += '\0'; // a NUL ends a line too
        } else {
            text += breaks[b];
        }
    }
    return text;
}
