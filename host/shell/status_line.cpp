#include "host/shell/status_line.h"

#include "base/text16.h"
#include "host/shell/status_render.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kTextUnits = 8192;    // the longest status text kept
constexpr size_t kRowBytes = 4 * 1024; // one rendered row, escapes included
constexpr int kMaxPadding = 4 * 1024;  // blanks after the text, at the most
constexpr int kMinRows = 3;
constexpr int kMinColumns = 3;

bool g_active = false;
int g_rows = 0;
int g_columns = 0;
char16_t g_text[kTextUnits];

void Write(const char* bytes) {
    fflush(stdout); // what the program wrote before comes first
    size_t left = strlen(bytes);
    while (left > 0) {
        ssize_t n = write(STDOUT_FILENO, bytes, left);
        if (n <= 0) {
            return;
        }
        bytes += n;
        left -= static_cast<size_t>(n);
    }
}

bool QuerySize(int* rows, int* columns) {
    struct winsize size {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row < kMinRows ||
        size.ws_col < kMinColumns) {
        return false;
    }
    *rows = size.ws_row;
    *columns = size.ws_col;
    return true;
}

// Limits scrolling to the rows above the bar. Setting the region moves the cursor home, so
// the cursor is saved and restored around it.
void SetScrollRegion() {
    char escape[64];
    snprintf(escape, sizeof escape, "\0337\033[1;%dr\0338", g_rows - 1);
    Write(escape);
}

void Draw() {
    static char row[kRowBytes + kMaxPadding];
    char text[kRowBytes - 64];
    // The whole row in reverse video, as a status bar spans its window: one blank before the
    // text and blanks after it up to the last column. (A terminal made narrower may wrap the
    // row; the refresh that follows every change of size clears it away.)
    int used = RenderStatusRow(g_text, g_columns - 2, text, sizeof text);
    int padding = g_columns - 1 - used;
    if (padding > kMaxPadding - 1) {
        padding = kMaxPadding - 1;
    }
    int n = snprintf(row, sizeof row, "\0337\033[%d;1H\033[0m\033[2K\033[7m %s%*s\033[0m\0338",
                     g_rows, text, padding, "");
    if (n > 0 && static_cast<size_t>(n) < sizeof row) {
        Write(row);
    }
}

} // namespace

bool StatusLineStart() {
    if (g_active || !isatty(STDOUT_FILENO) || !QuerySize(&g_rows, &g_columns)) {
        return false;
    }
    // A line feed and a step back up: if the cursor stood on the last row, the screen
    // scrolls once so that the row is free for the bar.
    Write("\n\033[1A");
    SetScrollRegion();
    g_active = true;
    Draw();
    return true;
}

void StatusLineShow(const char16_t* text) {
    Str16Copy(g_text, text ? text : u"");
    if (g_active) {
        Draw();
    }
}

bool StatusLineRefresh() {
    if (!g_active) {
        return false;
    }
    int rows = 0;
    int columns = 0;
    if (!QuerySize(&rows, &columns)) {
        return false;
    }
    bool resized = rows != g_rows || columns != g_columns;
    if (resized) {
        // The terminal has moved the text as it saw fit: a shorter one may have taken the
        // bar's row away and left the cursor on the last row, where the bar now goes; a
        // taller one leaves the old bar inside the text area. With the whole screen
        // scrolling for the moment, an index and a step back up move the text up one row
        // if the cursor is on the last row, and do nothing otherwise. Then whatever lies
        // below the cursor's row, the old bar wherever it went, is cleared.
        Write("\0337\033[r\0338"
              "\033D\033[A"
              "\0337\033[B\r\033[J\0338");
    }
    g_rows = rows;
    g_columns = columns;
    SetScrollRegion();
    Draw();
    return resized;
}

void StatusLineStop() {
    if (!g_active) {
        return;
    }
    char escape[64];
    snprintf(escape, sizeof escape, "\0337\033[%d;1H\033[2K\033[r\0338", g_rows);
    Write(escape);
    g_active = false;
}

int StatusLineRowsAbove() {
    return g_active ? g_rows - 1 : 0;
}
