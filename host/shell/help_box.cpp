#include "host/shell/help_box.h"

#include "base/text16.h"
#include "host/shell/status_render.h"
#include "platform/window_model.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kTextUnits = 8192;
constexpr size_t kRowBytes = 4 * 1024;

char16_t g_shown[kTextUnits]; // what the box shows; empty when there is no box
int g_boxRows = 0;            // rows the box takes, frame included
int g_terminalRows = 0;

void Write(const std::string& bytes) {
    fflush(stdout);
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(STDOUT_FILENO, p, left);
        if (n <= 0) {
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void Remove() {
    if (g_boxRows == 0) {
        return;
    }
    std::string out = "\0337\033[r";
    for (int row = g_terminalRows - g_boxRows + 1; row <= g_terminalRows; ++row) {
        out += "\033[" + std::to_string(row) + ";1H\033[2K";
    }
    out += "\0338";
    Write(out);
    g_boxRows = 0;
}

// The text's lines, each made one row of the width; at most most of them, the last ending in
// "…" when more were left out.
int Lines(const char16_t* text, int width, int most, std::string* rows) {
    int count = 0;
    const char16_t* line = text;
    while (count < most) {
        const char16_t* end = line;
        while (*end && *end != u'\n') {
            ++end;
        }
        std::u16string piece(line, static_cast<size_t>(end - line));
        bool more = *end != 0;
        if (more && count == most - 1) {
            piece += u" \u2026";
        }
        char row[kRowBytes];
        int used = RenderStatusRow(piece.c_str(), width, row, sizeof row);
        rows[count++] = std::string("\u2502 ") + row +
                        std::string(static_cast<size_t>(width - used), ' ') + " \u2502";
        if (!more) {
            break;
        }
        line = end + 1;
    }
    return count;
}

void Draw(const char16_t* text, int terminalRows, int columns) {
    const int most = terminalRows / 3 - 2;
    const int width = columns - 4;
    if (most < 1 || width < 4) {
        return;
    }
    std::string rows[64];
    int count = Lines(text, width, most < 64 ? most : 64, rows);
    std::string rule;
    for (int i = 0; i < columns - 2; ++i) {
        rule += "\u2500";
    }
    int boxRows = count + 2;
    // Room at the bottom: index down past the box's rows and come back up, so that the screen
    // scrolls only when the cursor stood where the box goes. Then the rows above it scroll.
    std::string out;
    for (int i = 0; i < boxRows; ++i) {
        out += "\033D";
    }
    out += "\033[" + std::to_string(boxRows) + "A";
    out += "\0337\033[1;" + std::to_string(terminalRows - boxRows) + "r\0338\0337";
    int top = terminalRows - boxRows + 1;
    out += "\033[" + std::to_string(top) + ";1H\033[2K\u250c" + rule + "\u2510";
    for (int i = 0; i < count; ++i) {
        out += "\033[" + std::to_string(top + 1 + i) + ";1H\033[2K" + rows[i];
    }
    out += "\033[" + std::to_string(terminalRows) + ";1H\033[2K\u2514" + rule + "\u2518\0338";
    Write(out);
    g_boxRows = boxRows;
    g_terminalRows = terminalRows;
}

} // namespace

void HelpBoxSync() {
    WindowModelWaitHelpWindow(500);
    char16_t text[kTextUnits];
    if (!WindowModelHelpWindow(text)) {
        text[0] = 0;
    }
    if (Str16Equal(text, g_shown)) {
        return;
    }
    Str16Copy(g_shown, text);
    struct winsize size {};
    if (!isatty(STDOUT_FILENO) || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) {
        return;
    }
    Remove();
    if (text[0]) {
        Draw(text, size.ws_row, size.ws_col);
    }
}

void HelpBoxStop() {
    Remove();
    g_shown[0] = 0;
}
