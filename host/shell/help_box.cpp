#include "host/shell/help_box.h"

#include "base/text16.h"
#include "host/shell/status_render.h"
#include "platform/help_window_layout.h"
#include "platform/window_model.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kTextUnits = 8192;
constexpr int kMostRows = 128; // rows of help drawn at the most, however tall the terminal

char16_t g_shown[kTextUnits]; // what the help window shows; empty while it is hidden
int g_boxRows = 0;            // rows the box on the screen takes, frame included; 0: none
int g_rows = 0;               // the terminal's size when last seen; 0 by 0 without one
int g_columns = 0;

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

void QuerySize(int* rows, int* columns) {
    struct winsize size {};
    if (!isatty(STDOUT_FILENO) || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) {
        size.ws_row = size.ws_col = 0;
    }
    *rows = size.ws_row;
    *columns = size.ws_col;
}

// Erases the box, drawn at the terminal's present size, and lets the whole screen scroll.
void Remove() {
    if (g_boxRows == 0) {
        return;
    }
    std::string out = "\0337\033[r";
    for (int row = g_rows - g_boxRows + 1; row <= g_rows; ++row) {
        out += "\033[" + std::to_string(row) + ";1H\033[2K";
    }
    out += "\0338";
    Write(out);
    g_boxRows = 0;
}

// After a change of size the terminal has moved the box as it saw fit, but it stays below the
// cursor's row, as the box's rows never scrolled. With the whole screen scrolling, an index and
// a step back up take the cursor off the last row (moving the text up one row if it was there);
// then all below the cursor's row is cleared.
void RemoveMoved() {
    if (g_boxRows == 0) {
        return;
    }
    Write("\0337\033[r\0338"
          "\033D\033[A"
          "\0337\033[B\r\033[J\0338");
    g_boxRows = 0;
}

void Draw() {
    TerminalHelpBox box = HelpBoxInTerminal(g_rows, g_columns);
    if (!g_shown[0] || box.rows == 0) {
        return;
    }
    BoxRow rows[kMostRows];
    int count = WrapHelpText(
        g_shown, box.columns,
        std::span<BoxRow>(rows, static_cast<size_t>(box.rows < kMostRows ? box.rows : kMostRows)));
    if (count == 0) {
        return;
    }
    std::string rule;
    for (int i = 0; i < box.columns + 2; ++i) {
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
    out += "\0337\033[1;" + std::to_string(g_rows - boxRows) + "r\0338\0337";
    int top = g_rows - boxRows + 1;
    out += "\033[" + std::to_string(top) + ";1H\033[2K\u250c" + rule + "\u2510";
    for (int i = 0; i < count; ++i) {
        out += "\033[" + std::to_string(top + 1 + i) + ";1H\033[2K\u2502 " + rows[i].text +
               std::string(static_cast<size_t>(box.columns - rows[i].columns), ' ') + " \u2502";
    }
    out += "\033[" + std::to_string(g_rows) + ";1H\033[2K\u2514" + rule + "\u2518\0338";
    Write(out);
    g_boxRows = boxRows;
}

} // namespace

void HelpBoxSync() {
    WindowModelWaitHelpWindow(500);
    char16_t text[kTextUnits];
    if (!WindowModelHelpWindow(text)) {
        text[0] = 0;
    }
    HelpBoxRefresh(false); // the terminal may have changed size while a command ran
    if (Str16Equal(text, g_shown)) {
        return;
    }
    Remove();
    Str16Copy(g_shown, text);
    Draw();
}

bool HelpBoxRefresh(bool screenCleared) {
    int rows = 0;
    int columns = 0;
    QuerySize(&rows, &columns);
    WindowModelSetTerminalSize(rows, columns);
    if (!screenCleared && rows == g_rows && columns == g_columns) {
        return false;
    }
    bool drawn = g_boxRows > 0;
    if (screenCleared && drawn) {
        Write("\0337\033[r\0338"); // the box went with the screen; its scroll region did not
        g_boxRows = 0;
    }
    RemoveMoved();
    g_rows = rows;
    g_columns = columns;
    Draw();
    return drawn || g_boxRows > 0;
}

void HelpBoxStop() {
    Remove();
    g_shown[0] = 0;
}
