// A fix never adds or removes a line break, so the lines of the two files pair up one for
// one, and each run of changed lines is one change. Should the counts differ all the same,
// everything between the common start and the common end is one change: still a diff that
// applies.
#include "checker/unified_diff.h"

#include "base/format16.h"
#include "base/limits.h"
#include "platform/platform.h"
#include "platform/utf8.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kContext = 3;

// Where each line begins, and one more entry for the end.
struct Lines {
    const uint8_t* data;
    HeapArray<uint32_t> starts;
    uint32_t count;
};

bool Split(const uint8_t* data, uint32_t size, Lines* lines) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < size; ++i) {
        count += data[i] == '\n';
    }
    count += size > 0 && data[size - 1] != '\n';
    lines->data = data;
    lines->count = count;
    if (!MakeZeroed(&lines->starts, count + 1)) { // GCOVR_EXCL_BR_LINE: the C heap
        return false;
    }
    uint32_t n = 0;
    lines->starts.items[n++] = 0;
    for (uint32_t i = 0; i < size; ++i) {
        if (data[i] == '\n' && n <= count) {
            lines->starts.items[n++] = i + 1;
        }
    }
    lines->starts.items[count] = size;
    return true;
}

uint32_t Length(const Lines& lines, uint32_t i) {
    return lines.starts.items[i + 1] - lines.starts.items[i];
}

bool Same(const Lines& a, uint32_t i, const Lines& b, uint32_t k) {
    uint32_t length = Length(a, i);
    return length == Length(b, k) &&
           memcmp(a.data + a.starts.items[i], b.data + b.starts.items[k], length) == 0;
}

// One change: old lines [from, from + removed) become new lines [to, to + added).
struct Change {
    uint32_t from;
    uint32_t removed;
    uint32_t to;
    uint32_t added;
};

void Line(ByteBuffer* out, char mark, const Lines& lines, uint32_t i) {
    AppendBytes(out, &mark, 1);
    uint32_t length = Length(lines, i);
    AppendBytes(out, lines.data + lines.starts.items[i], length);
    if (length == 0 || lines.data[lines.starts.items[i] + length - 1] != '\n') {
        static const char kNoEnd[] = "\n\\ No newline at end of file\n";
        AppendBytes(out, kNoEnd, sizeof kNoEnd - 1);
    }
}

void Text(ByteBuffer* out, const char16_t* format, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    char16_t text[96];
    Format16(text, format, a, b, c, d);
    char bytes[96];
    AppendBytes(out, bytes, Utf16ToUtf8(text, bytes));
}

// One hunk: the changes [first, last] with their context.
void Hunk(ByteBuffer* out, const Lines& a, const Lines& b, const Change* changes, uint32_t first,
          uint32_t last) {
    uint32_t before = changes[first].from < kContext ? changes[first].from : kContext;
    uint32_t oldStart = changes[first].from - before;
    uint32_t newStart = changes[first].to - before;
    uint32_t oldEnd = changes[last].from + changes[last].removed;
    uint32_t after = a.count - oldEnd < kContext ? a.count - oldEnd : kContext;
    oldEnd += after;
    uint32_t newEnd = changes[last].to + changes[last].added + after;
    uint32_t oldCount = oldEnd - oldStart;
    uint32_t newCount = newEnd - newStart;
    // An empty side names the line before it, as diff does.
    Text(out, u"@@ -%u,%u +%u,%u @@\n", oldCount ? oldStart + 1 : oldStart, oldCount,
         newCount ? newStart + 1 : newStart, newCount);
    uint32_t at = oldStart;
    for (uint32_t c = first; c <= last; ++c) {
        for (; at < changes[c].from; ++at) {
            Line(out, ' ', a, at);
        }
        for (uint32_t i = 0; i < changes[c].removed; ++i) {
            Line(out, '-', a, changes[c].from + i);
        }
        for (uint32_t i = 0; i < changes[c].added; ++i) {
            Line(out, '+', b, changes[c].to + i);
        }
        at = changes[c].from + changes[c].removed;
    }
    for (; at < oldEnd; ++at) {
        Line(out, ' ', a, at);
    }
}

// One header line: the mark, then side ("a/" or "b/") and the name, as git writes them. A name
// with a control character, a quote or a backslash is quoted, with C escapes (and the bytes
// beyond ASCII in octal), which both tools read back; a name with a blank ends with a tab, so
// that "patch" takes the blank as part of it.
void Header(ByteBuffer* out, const char* mark, const char* side, const char* name) {
    bool quoted = false;
    bool blank = false;
    for (const char* p = name; *p; ++p) {
        auto b = static_cast<uint8_t>(*p);
        quoted = quoted || b < 0x20 || b == 0x7F || b == '"' || b == '\\';
        blank = blank || b == ' ';
    }
    AppendBytes(out, mark, strlen(mark));
    AppendBytes(out, "\"", quoted ? 1 : 0);
    AppendBytes(out, side, strlen(side));
    if (!quoted) {
        AppendBytes(out, name, strlen(name));
        AppendBytes(out, "\t", blank ? 1 : 0);
        AppendBytes(out, "\n", 1);
        return;
    }
    static const char kEscapes[] = "\a\b\t\n\v\f\r";
    static const char kLetters[] = "abtnvfr";
    for (const char* p = name; *p; ++p) {
        auto b = static_cast<uint8_t>(*p);
        const char* escape = b ? strchr(kEscapes, b) : nullptr;
        char text[8];
        if (b == '"' || b == '\\') {
            text[0] = '\\';
            text[1] = static_cast<char>(b);
            AppendBytes(out, text, 2);
        } else if (escape) {
            text[0] = '\\';
            text[1] = kLetters[escape - kEscapes];
            AppendBytes(out, text, 2);
        } else if (b < 0x20 || b >= 0x7F) {
            text[0] = '\\';
            text[1] = static_cast<char>('0' + (b >> 6));
            text[2] = static_cast<char>('0' + ((b >> 3) & 7));
            text[3] = static_cast<char>('0' + (b & 7));
            AppendBytes(out, text, 4);
        } else {
            AppendBytes(out, p, 1);
        }
    }
    AppendBytes(out, "\"\n", 2);
}

// "/" on every system, and the system's own ("\\" on Windows).
bool IsSeparator(char16_t c) {
    for (char16_t separator : {u'/', kPathSeparator}) {
        if (c == separator) {
            return true;
        }
    }
    return false;
}

} // namespace

bool PlainFileName(const char16_t* path, char16_t* name) {
    size_t length = 0;
    name[0] = 0;
    for (const char16_t* p = path; *p;) {
        while (IsSeparator(*p)) {
            ++p;
        }
        const char16_t* end = p;
        while (*end && !IsSeparator(*end)) {
            ++end;
        }
        auto size = static_cast<size_t>(end - p);
        if (size == 2 && p[0] == u'.' && p[1] == u'.') {
            while (length > 0 && name[length - 1] != u'/') {
                --length;
            }
            length -= length > 0;
        } else if (size > 0 && !(size == 1 && p[0] == u'.')) {
            if (length + (length > 0) + size + 1 > static_cast<size_t>(kPathUnits)) {
                name[length] = 0;
                return false;
            }
            if (length > 0) {
                name[length++] = u'/';
            }
            for (size_t i = 0; i < size; ++i) {
                name[length++] = p[i];
            }
        }
        name[length] = 0;
        p = end;
    }
    return true;
}

void AppendBytes(ByteBuffer* out, const void* bytes, size_t size) {
    if (out->failed || size == 0) {
        return;
    }
    if (!GrowFor(&out->data, out->size, &out->capacity, size)) { // GCOVR_EXCL_BR_LINE
        out->failed = true;
        return;
    }
    memcpy(out->data + out->size, bytes, size);
    out->size += size;
}

void FreeByteBufferData(ByteBufferData* buffer) {
    free(buffer->data);
}

void ReleaseBytes(ByteBuffer* out) {
    *out = ByteBuffer{};
}

void AppendUnifiedDiff(const char16_t* name, const uint8_t* before, uint32_t beforeSize,
                       const uint8_t* after, uint32_t afterSize, ByteBuffer* out) {
    Lines a = {};
    Lines b = {};
    HeapArray<Change> room;
    Change* changes = nullptr;
    if (!Split(before, beforeSize, &a) || !Split(after, afterSize, &b)) {
        out->failed = true; // GCOVR_EXCL_LINE: the C heap, which no test can make fail
    } else if (MakeZeroed(&room, a.count + 1)) {
        changes = room.items;
    } else {
        out->failed = true; // GCOVR_EXCL_LINE: the C heap, which no test can make fail
    }
    uint32_t count = 0;
    if (changes && a.count == b.count) {
        for (uint32_t i = 0; i < a.count; ++i) {
            if (Same(a, i, b, i)) {
                continue;
            }
            if (count > 0 && changes[count - 1].from + changes[count - 1].removed == i) {
                ++changes[count - 1].removed;
                ++changes[count - 1].added;
            } else {
                changes[count++] = Change{i, 1, i, 1};
            }
        }
    } else if (changes) {
        uint32_t head = 0;
        while (head < a.count && head < b.count && Same(a, head, b, head)) {
            ++head;
        }
        uint32_t tail = 0;
        while (tail < a.count - head && tail < b.count - head &&
               Same(a, a.count - 1 - tail, b, b.count - 1 - tail)) {
            ++tail;
        }
        changes[count++] = Change{head, a.count - head - tail, head, b.count - head - tail};
    }
    if (count > 0) {
        char* label = Utf16ToUtf8Alloc(name);
        out->failed = out->failed || !label;
        if (label) {
            Header(out, "--- ", "a/", label);
            Header(out, "+++ ", "b/", label);
        }
        free(label);
        // Changes whose context would meet share a hunk.
        uint32_t first = 0;
        for (uint32_t c = 1; c <= count; ++c) {
            bool apart =
                c == count ||
                changes[c].from - (changes[c - 1].from + changes[c - 1].removed) > 2 * kContext;
            if (apart) {
                Hunk(out, a, b, changes, first, c - 1);
                first = c;
            }
        }
    }
}
