// Advice on the encoding. The bytes are read through the plug-in's own decoder, on copies of
// the source set to another encoding, so that the checker reads them exactly as it would.
#include "checker/encoding_advice.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/text16.h"
#include "textinput/encoding.h"
#include "textinput/encoding_forms.h"
#include "textinput/text_lines.h"

namespace {

constexpr uint32_t kUtf8Examined = 262144; // what the UTF-8 test looks at

const char16_t* Name(Encoding encoding) {
    return encoding == Encoding::Ansi ? u"in the ANSI code page" : FormOf(encoding).name;
}

// The bytes [from, to) of source read in encoding, as UTF-16 into out (capacity units).
void ReadAs(const TextSource* source, Encoding encoding, uint32_t from, uint32_t to, char16_t* out,
            size_t capacity) {
    TextSource copy = *source;
    copy.encoding = encoding;
    copy.position = from;
    size_t n = 0;
    while (copy.position < to && n + 3 < capacity) {
        int c = NextChar(&copy);
        if (c < 0) {
            break;
        }
        if (c > 0xFFFF) {
            out[n++] = HighSurrogateOf(static_cast<uint32_t>(c));
            out[n++] = LowSurrogateOf(static_cast<uint32_t>(c));
        } else {
            out[n++] = static_cast<char16_t>(c);
        }
    }
    out[n] = 0;
}

// The fix of stray bytes: each byte that UTF-8 does not allow, in the whole file, written as
// the UTF-8 of the character it stands for in the code page, so that the file reads as UTF-8
// with every character as its author saw it. None when a byte stands for no character.
void FixStrayBytes(const TextSource* s, FindingList* findings, uint32_t line, uint32_t count) {
    const char16_t* what =
        count == 1 ? u"write the stray byte as UTF-8" : u"write the stray bytes as UTF-8";
    int32_t index = StartFix(findings, line, u"stray-byte", what);
    if (index < 0) { // GCOVR_EXCL_BR_LINE: the C heap, which no test can make fail
        return;
    }
    TextSource copy = *s;
    copy.encoding = Encoding::Utf8;
    uint32_t lineNumber = 1;
    uint32_t column = 1;
    uint8_t lastBreak = 0; // a CR or LF that a break of the other kind may pair with
    bool ok = true;
    for (uint32_t at = 0; at < s->size && ok;) {
        DecodedChar c = DecodeChar(copy, at);
        for (uint32_t i = at; i < at + c.length && ok; ++i) {
            uint8_t b = s->data[i];
            if (c.kind != CharKind::Character) {
                FixEdit edit = {i, 1, lineNumber, column, 1, {}, 0, {}};
                edit.text[0] = kAnsiTables[s->ansiTable][b - 0x80]; // never ASCII here
                edit.byteCount = EncodeFixText(Encoding::Utf8, edit.text, edit.bytes);
                ok = edit.text[0] != 0xFFFD;
                if (ok && !AddFixEdit(&findings->fixes, edit)) { // GCOVR_EXCL_BR_LINE
                    findings->incomplete = true;
                    ok = false;
                }
            }
            // Lines and columns as the code page reads the file: a character a byte.
            bool isBreak = b == '\r' || b == '\n';
            if (isBreak && lastBreak && lastBreak != b) {
                lastBreak = 0; // the second half of CR LF or LF CR
            } else if (isBreak) {
                ++lineNumber;
                column = 1;
                lastBreak = b;
            } else {
                ++column;
                lastBreak = 0;
            }
        }
        at += c.length;
    }
    if (!ok) {
        DropLastFix(&findings->fixes);
        Finding* last = findings->lastKept ? &findings->items[findings->lastKept - 1] : nullptr;
        if (last && last->fix == static_cast<uint32_t>(index) + 1) {
            last->fix = 0;
        }
    }
}

// The scripts of the single-byte code pages besides Latin: their letters, and of those the
// capitals (none where the script has no case).
struct Script {
    const char16_t* name;
    char16_t first;
    char16_t last;
    char16_t capitalFirst;
    char16_t capitalLast;
};
constexpr Script kScripts[] = {
    {u"Cyrillic", 0x0400, 0x04FF, 0x0400, 0x042F},
    {u"Greek", 0x0386, 0x03FF, 0x0386, 0x03AB},
    {u"Hebrew", 0x05D0, 0x05EA, 1, 0},
    {u"Arabic", 0x0620, 0x064A, 1, 0},
    {u"Thai", 0x0E01, 0x0E3A, 1, 0},
};
constexpr int kScriptCount = sizeof kScripts / sizeof kScripts[0];
constexpr uint32_t kWordsKept = 256;

bool IsAsciiLetter(uint8_t b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

// The words made only of bytes beyond ASCII, and how often each such byte stands in one.
struct OwnWords {
    uint32_t at[kWordsKept];
    uint32_t length[kWordsKept];
    uint32_t count;
    uint32_t bytes[128]; // by byte - 0x80
    uint32_t total;      // bytes in such words
};

// How a table reads the words as a script: 0 unless nine bytes in ten are its letters; else
// the bytes of the words made of its letters alone, in the case text has (all small, all
// capitals, or one capital and small letters after it), which a wrong reading mixes at random.
uint32_t ScriptScore(const TextSource* s, int table, const OwnWords& w, const Script& sc) {
    const char16_t* map = kAnsiTables[table];
    uint64_t letters = 0;
    for (int b = 0; b < 128; ++b) {
        letters += map[b] >= sc.first && map[b] <= sc.last ? w.bytes[b] : 0;
    }
    if (letters * 10 < uint64_t{w.total} * 9) {
        return 0;
    }
    uint32_t score = 0;
    for (uint32_t k = 0; k < w.count; ++k) {
        uint32_t capitals = 0;
        bool firstCapital = false;
        bool word = true;
        for (uint32_t i = 0; i < w.length[k]; ++i) {
            char16_t c = map[s->data[w.at[k] + i] - 0x80];
            bool capital = c >= sc.capitalFirst && c <= sc.capitalLast;
            word = word && c >= sc.first && c <= sc.last;
            capitals += capital;
            firstCapital = firstCapital || (capital && i == 0);
        }
        bool cased = capitals == 0 || capitals == w.length[k] || (capitals == 1 && firstCapital);
        cased = cased && word;
        score += cased ? w.length[k] : 0;
    }
    return score;
}

// Text of another script written in its code page and read in this one: the bytes beyond
// ASCII then stand in words of their own, not among ASCII letters as accents do, and other
// tables read them as the letters of a script. Said once, with the code page of each script
// that reads them best, the best first (up to three, and none far behind it); which one the text is
// in, its author knows. A Latin text, or one that this code page already reads as such letters,
// gets nothing.
void CheckCodePage(const TextSource* s, FindingList* findings) {
    static OwnWords w;
    w = OwnWords{};
    uint32_t among = 0; // bytes beyond ASCII beside ASCII letters
    uint32_t end = s->size < kUtf8Examined ? s->size : kUtf8Examined;
    for (uint32_t i = 0; i < end;) {
        uint32_t j = i;
        while (j < end && s->data[j] >= 0x80) {
            ++j;
        }
        if (j == i) {
            ++i;
            continue;
        }
        bool alone =
            (i == 0 || !IsAsciiLetter(s->data[i - 1])) && (j == end || !IsAsciiLetter(s->data[j]));
        if (alone && j - i >= 2) {
            for (uint32_t k = i; k < j; ++k) {
                ++w.bytes[s->data[k] - 0x80];
            }
            w.total += j - i;
            if (w.count < kWordsKept) {
                w.at[w.count] = i;
                w.length[w.count++] = j - i > 24 ? 24 : j - i;
            }
        } else {
            among += j - i;
        }
        i = j;
    }
    int current = s->ansiTable >= 0 && s->ansiTable < kAnsiTableCount ? s->ansiTable : 0;
    if (w.total < 6 || w.total < 4 * among) {
        return;
    }
    // Of each script, the first table of the best score: the Windows code pages come first.
    int tables[kScriptCount];
    uint32_t scores[kScriptCount] = {};
    for (int k = 0; k < kScriptCount; ++k) {
        if (ScriptScore(s, current, w, kScripts[k]) > 0) {
            return;
        }
        tables[k] = -1;
        for (int t = 0; t < kAnsiTableCount; ++t) {
            uint32_t score = ScriptScore(s, t, w, kScripts[k]);
            if (score > scores[k]) {
                scores[k] = score;
                tables[k] = t;
            }
        }
    }
    char16_t readings[kMessageUnits] = {};
    uint32_t first = 0;
    for (int listed = 0; listed < 3; ++listed) {
        int k = 0;
        for (int i = 1; i < kScriptCount; ++i) {
            k = scores[i] > scores[k] ? i : k;
        }
        // A reading far behind the best is no likely one.
        first = listed ? first : scores[k];
        if (scores[k] == 0 || scores[k] < first / 2) {
            break;
        }
        TextSource other = *s;
        other.ansiTable = tables[k];
        char16_t word[32];
        ReadAs(&other, Encoding::Ansi, w.at[0], w.at[0] + w.length[0], word, 32);
        size_t at = Str16Len(readings);
        Format16({readings + at, kMessageUnits - at},
                 listed ? u", %u as %s \"%s\"" : u"code page %u reads them as %s \"%s\"",
                 kAnsiCodePages[tables[k]], kScripts[k].name, word);
        scores[k] = 0;
    }
    if (!readings[0]) {
        return;
    }
    char16_t now[32];
    ReadAs(s, Encoding::Ansi, w.at[0], w.at[0] + w.length[0], now, 32);
    AddFinding(findings, 0, 0, kSeverityNote, u"encoding",
               u"words such as \"%s\" may be text of another code page: %s; --codepage with the "
               u"one it was written in reads the file so, and saved as UTF-8 with a byte-order "
               u"mark it reads so on every machine",
               now, readings);
}

// A file read in the code page because of bytes that UTF-8 does not allow, though most of what
// lies beyond ASCII is UTF-8: each accented letter then shows as two or three others.
bool CheckStrayBytes(const EncodingNoteInput* input, FindingList* findings) {
    const TextSource* s = input->source;
    TextSource copy = *s;
    copy.encoding = Encoding::Utf8;
    copy.position = 0;
    uint32_t end = s->size < kUtf8Examined ? s->size : kUtf8Examined;
    uint32_t good = 0;
    uint32_t bad = 0;
    uint32_t sample = 0; // the first well-formed character beyond ASCII: its bytes
    uint32_t sampleEnd = 0;
    while (copy.position < end) {
        uint32_t from = copy.position;
        int c = NextChar(&copy);
        if (c == 0xFFFD && copy.position - from == 1) {
            ++bad;
        } else if (c > 0x7F) {
            if (good++ == 0) {
                sample = from;
                sampleEnd = copy.position;
            }
        }
    }
    // Mostly UTF-8: a few stray bytes among many good sequences.
    if (good == 0 || bad > good / 4 + 1) {
        return false;
    }
    uint32_t line = 0;
    uint32_t column = 0;
    PlaceByte(s, input->verdict->offset, &line, &column);
    char16_t utf8[8];
    char16_t ansi[8];
    ReadAs(s, Encoding::Utf8, sample, sampleEnd, utf8, 8);
    ReadAs(s, Encoding::Ansi, sample, sampleEnd, ansi, 8);
    char16_t count[64];
    if (bad == 1) {
        Format16(count, u"this one byte sends");
    } else {
        Format16(count, u"it and %u more bytes like it send", bad - 1);
    }
    AddFinding(findings, line, column, kSeverityWarning, u"stray-byte",
               u"byte 0x%02X is not UTF-8, and %s the whole file to the ANSI code page %u, "
               u"where \"%s\" shows as \"%s\": replace it, and save the file with a byte-order "
               u"mark",
               s->data[input->verdict->offset], count, s->ansiCodePage, utf8, ansi);
    FixStrayBytes(s, findings, line, bad);
    return true;
}

// An encoding taken from statistics rather than a mark, and a reading that the bytes speak
// against: zero bytes read as text, or NUL characters among UTF-16 ones as UTF-32 leaves them.
void CheckGuess(const EncodingNoteInput* input, FindingList* findings) {
    const TextSource* s = input->source;
    int32_t reason = input->verdict->reason;
    bool statistics = reason == kEncodingByUtf32Statistics || reason == kEncodingByUtf16Zeros ||
                      reason == kEncodingByUtf16Statistics;
    bool wide = s->encoding != Encoding::Ansi && s->encoding != Encoding::Utf8;
    uint32_t zeros = 0;
    uint32_t characters = 0;
    if (wide) {
        TextSource copy = *s;
        copy.position = s->bomLength;
        for (int c = NextChar(&copy); c >= 0; c = NextChar(&copy)) {
            ++characters;
            zeros += c == 0;
        }
    } else {
        for (uint32_t i = 0; i < s->size; ++i) {
            zeros += s->data[i] == 0;
        }
    }
    if (!wide && zeros > 0 && zeros >= s->size / 8) {
        AddFinding(findings, 0, 0, kSeverityWarning, u"add-bom",
                   u"%u of the %u bytes are zero, as in UTF-16 or UTF-32 text, yet the file is "
                   u"read %s: save it with a byte-order mark",
                   zeros, s->size,
                   s->encoding == Encoding::Utf8 ? u"as UTF-8" : Name(Encoding::Ansi));
    } else if ((s->encoding == Encoding::Utf16LE || s->encoding == Encoding::Utf16BE) &&
               zeros > 0 && zeros >= characters / 4) {
        AddFinding(findings, 0, 0, kSeverityWarning, u"add-bom",
                   u"%u of the %u characters read as %s are NUL, as when UTF-32 text has lost a "
                   u"byte (its size, %u bytes, is no multiple of 4): remove the stray byte%s",
                   zeros, characters, Name(s->encoding), s->size,
                   s->bomLength ? u"" : u", and save the file with a byte-order mark");
    } else if (statistics && s->bomLength == 0) {
        AddFinding(findings, 0, 0, kSeverityWarning, u"add-bom",
                   u"the file is read as %s by a guess from its first bytes, which an edit can "
                   u"change: save it with a byte-order mark",
                   Name(s->encoding));
        // The mark of the encoding it is read in, before the first byte.
        const EncodingForm& form = FormOf(s->encoding);
        char16_t what[kFixWhatUnits];
        Format16(what, u"add the byte-order mark of %s", form.name);
        FixEdit edit = {0, 0, 1, 1, 0, {}, form.markBytes, u"\uFEFF"};
        for (uint32_t i = 0; i < form.markBytes; ++i) {
            edit.bytes[i] = form.mark[i];
        }
        bool started = StartFix(findings, 0, u"add-bom", what) >= 0;
        if (started && !AddFixEdit(&findings->fixes, edit)) { // GCOVR_EXCL_BR_LINE: out of memory
            findings->incomplete = true;
        }
    }
}

} // namespace

void PlaceByte(const TextSource* source, uint32_t offset, uint32_t* line, uint32_t* column) {
    const uint8_t* data = source->data;
    uint32_t start = source->bomLength;
    *line = 1;
    for (uint32_t i = start; i < offset && i < source->size; ++i) {
        uint8_t b = data[i];
        if (b != '\r' && b != '\n') {
            continue;
        }
        ++*line;
        uint8_t other = b == '\r' ? '\n' : '\r';
        if (i + 1 < offset && data[i + 1] == other) {
            ++i;
        }
        start = i + 1;
    }
    *column = offset - start + 1;
}

void AddEncodingAdvice(const EncodingNoteInput* input, FindingList* findings) {
    if (!input || !findings) {
        return;
    }
    bool mostlyUtf8 =
        input->verdict->reason == kEncodingByNotUtf8 && CheckStrayBytes(input, findings);
    if (input->source->encoding == Encoding::Ansi && !mostlyUtf8) {
        CheckCodePage(input->source, findings);
    }
    CheckGuess(input, findings);
}
