#include "host/shell/status_render.h"

#include <unicode/uchar.h>

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

// Fills the row from the text; false when the text did not fit.
bool Fill(const char16_t* text, Row& row) {
    bool pendingBreak = false; // a line break waits for the next character shown
    for (const char16_t* p = text; *p && !row.full; ++p) {
        unsigned c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c == u'\r' || c == u'\n') {
            pendingBreak = row.columns > 0;
            continue;
        }
        // Other controls would steer the terminal; format characters (the zero width space
        // that opens a help text among them) show nothing.
        if ((c != u'\t' && IsControl(c)) || u_charType(static_cast<UChar32>(c)) == U_FORMAT_CHAR) {
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

} // namespace

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
