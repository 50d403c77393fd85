#include "host/shell/status_render.h"

#include "platform/platform.h"

#include <unicode/uchar.h>

#include <vector>

namespace {

constexpr unsigned kSeparator[] = {u' ', 0x2502, u' '}; // " │ " between a help text's lines
constexpr int kTabStop = 4;
constexpr unsigned kEllipsis = 0x2026;
constexpr size_t kMaxCharBytes = 4;

struct Row {
    char* out;
    size_t capacity; // bytes, terminator included
    size_t bytes;
    int columns;  // filled so far
    int limit;    // columns that may be filled
    size_t spare; // bytes kept free at the end (for the ellipsis)
    bool full;    // something did not fit
};

size_t PutUtf8(char* dest, unsigned c) {
    if (c < 0x80) {
        dest[0] = static_cast<char>(c);
        return 1;
    }
    size_t n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    for (size_t i = n - 1; i > 0; --i) {
        dest[i] = static_cast<char>(0x80 | (c & 0x3F));
        c >>= 6;
    }
    dest[0] = static_cast<char>((n == 2 ? 0xC0 : n == 3 ? 0xE0 : 0xF0) | c);
    return n;
}

void Put(Row& row, unsigned c) {
    int width = CodePointColumns(c);
    if (row.full || row.columns + width > row.limit ||
        row.bytes + kMaxCharBytes + row.spare + 1 > row.capacity) {
        row.full = true;
        return;
    }
    row.bytes += PutUtf8(row.out + row.bytes, c);
    row.out[row.bytes] = 0;
    row.columns += width;
}

bool IsControl(unsigned c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// The code point at p, a lone surrogate as U+FFFD; p steps past it.
unsigned NextCodePoint(const char16_t*& p) {
    unsigned c = *p++;
    if (c >= 0xD800 && c <= 0xDBFF && *p >= 0xDC00 && *p <= 0xDFFF) {
        return 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
    }
    return c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c;
}

// Other controls than tabs and breaks would steer the terminal; format characters (the zero
// width space that opens a help text among them) show nothing.
bool Hidden(unsigned c) {
    return (c != u'\t' && c != u'\r' && c != u'\n' && IsControl(c)) ||
           u_charType(static_cast<UChar32>(c)) == U_FORMAT_CHAR;
}

// Fills the row from the text; false when the text did not fit.
bool Fill(const char16_t* text, Row& row) {
    bool pendingBreak = false; // a line break waits for the next character shown
    for (const char16_t* p = text; *p && !row.full;) {
        unsigned c = NextCodePoint(p);
        if (c == u'\r' || c == u'\n') {
            pendingBreak = row.columns > 0;
            continue;
        }
        if (Hidden(c)) {
            continue;
        }
        if (pendingBreak) {
            pendingBreak = false;
            for (unsigned s : kSeparator) {
                Put(row, s);
            }
        }
        if (c == u'\t') {
            do {
                Put(row, u' ');
            } while (!row.full && row.columns % kTabStop != 0);
        } else {
            Put(row, c);
        }
    }
    return !row.full;
}

struct Cell {
    unsigned c;
    int columns;
    bool bold; // between the emphasis marks
};

// The rows of a wrapped text as they are filled.
struct Wrap {
    int columns;
    std::span<BoxRow> rows;
    size_t count;           // rows filled
    bool more;              // text was left when every row was filled
    std::vector<Cell> row;  // the row being filled
    int used;               // the columns it fills
    size_t breakAt;         // its cells up to and with its last blank; 0 when it has none
    std::vector<Cell> last; // the last row filled, to be cut for the ellipsis
    bool bold;              // an emphasis mark opened a run that has not been closed
};

// Each row opens and closes its own bold runs, so that neither the frame nor another row
// inherits them.
BoxRow Encode(const std::vector<Cell>& cells) {
    BoxRow row{"", 0};
    bool bold = false;
    for (const Cell& cell : cells) {
        if (cell.bold != bold) {
            bold = cell.bold;
            row.text += bold ? "\033[1m" : "\033[22m";
        }
        char bytes[kMaxCharBytes];
        row.text.append(bytes, PutUtf8(bytes, cell.c));
        row.columns += cell.columns;
    }
    if (bold) {
        row.text += "\033[22m";
    }
    return row;
}

// Fills a row with the first n cells of the one being filled (blanks at its end show nothing);
// the others begin the next.
void EndRow(Wrap& w, size_t n) {
    if (w.count == w.rows.size()) {
        w.more = true;
        return;
    }
    size_t end = n;
    while (end > 0 && w.row[end - 1].c == u' ') {
        --end;
    }
    w.last.assign(w.row.begin(), w.row.begin() + static_cast<std::ptrdiff_t>(end));
    w.rows[w.count++] = Encode(w.last);
    w.row.erase(w.row.begin(), w.row.begin() + static_cast<std::ptrdiff_t>(n));
    w.used = 0;
    for (const Cell& cell : w.row) {
        w.used += cell.columns;
    }
    w.breakAt = 0; // what was carried over follows the last blank
}

void Add(Wrap& w, unsigned c) {
    int columns = CodePointColumns(c);
    if (columns > w.columns) {
        return; // wider than any row
    }
    if (w.used + columns > w.columns) {
        if (c == u' ') {
            EndRow(w, w.row.size()); // the blank the row breaks at shows nowhere
            return;
        }
        EndRow(w, w.breakAt ? w.breakAt : w.row.size());
    }
    w.row.push_back({c, columns, w.bold});
    w.used += columns;
    if (c == u' ') {
        w.breakAt = w.row.size();
    }
}

} // namespace

int WrapHelpText(const char16_t* text, int columns, std::span<BoxRow> rows) {
    if (!text || columns <= 0 || rows.empty()) {
        return 0;
    }
    Wrap w{columns, rows, 0, false, {}, 0, 0, {}, false};
    for (const char16_t* p = text; *p && !w.more;) {
        unsigned c = NextCodePoint(p);
        if (c == u'\r' && *p == u'\n') {
            continue; // the line feed ends the row
        }
        if (c == kEmphasisStart || c == kEmphasisEnd) {
            w.bold = c == kEmphasisStart;
        } else if (c == u'\r' || c == u'\n') {
            EndRow(w, w.row.size());
        } else if (c == u'\t') {
            do {
                Add(w, u' ');
            } while (w.used % kTabStop != 0 && !w.more);
        } else if (!Hidden(c)) {
            Add(w, c);
        }
    }
    if (!w.row.empty() && !w.more) {
        EndRow(w, w.row.size());
    }
    if (w.more) {
        int used = 0;
        for (const Cell& cell : w.last) {
            used += cell.columns;
        }
        while (!w.last.empty() && used + 1 > columns) {
            used -= w.last.back().columns;
            w.last.pop_back();
        }
        w.last.push_back({kEllipsis, 1, false});
        rows[w.count - 1] = Encode(w.last);
    }
    return static_cast<int>(w.count);
}

int CodePointColumns(unsigned c) {
    if (IsControl(c)) {
        return 0;
    }
    int category = u_charType(static_cast<UChar32>(c));
    if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK ||
        category == U_FORMAT_CHAR) {
        return 0;
    }
    int width = u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_EAST_ASIAN_WIDTH);
    return (width == U_EA_WIDE || width == U_EA_FULLWIDTH) ? 2 : 1;
}

int RenderStatusRow(const char16_t* text, int columns, char* out, size_t outBytes) {
    if (!out || outBytes == 0) {
        return 0;
    }
    out[0] = 0;
    if (!text || columns <= 0) {
        return 0;
    }
    Row row{out, outBytes, 0, 0, columns, 0, false};
    if (Fill(text, row)) {
        return row.columns;
    }
    // Too long: fill again leaving room for the ellipsis, which then always fits.
    out[0] = 0;
    row = Row{out, outBytes, 0, 0, columns - 1, kMaxCharBytes, false};
    Fill(text, row);
    if (row.bytes + kMaxCharBytes + 1 <= row.capacity) {
        row.bytes += PutUtf8(row.out + row.bytes, kEllipsis);
        row.out[row.bytes] = 0;
        row.columns += 1;
    }
    return row.columns;
}
