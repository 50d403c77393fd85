#include "textinput/encoding.h"
#include "textinput/text_lines.h"
#include "tests/support/test_support.h"
#include "tests/textinput/source_fixture.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// A source over bytes in memory, as an open would leave it before detection.
TextSource Over(const std::string& bytes, uint32_t codePage = 1252) {
    TextSource s{};
    s.data = reinterpret_cast<const uint8_t*>(bytes.data());
    s.size = static_cast<uint32_t>(bytes.size());
    s.ansiCodePage = codePage;
    s.ansiTable = SelectAnsiTable(codePage);
    s.replacement = 0xFFFD;
    return s;
}

struct Detected {
    Encoding encoding;
    uint32_t bomLength;
};

Detected Detect(const std::string& bytes, uint32_t codePage = 1252) {
    TextSource s = Over(bytes, codePage);
    Encoding encoding = DetectEncoding(&s);
    EXPECT_EQ(encoding, s.encoding);
    EXPECT_EQ(s.position, s.bomLength);
    return {encoding, s.bomLength};
}

#define EXPECT_DETECTED(bytes, enc, bom)                                                           \
    do {                                                                                           \
        Detected d = Detect(bytes);                                                                \
        EXPECT_EQ(d.encoding, enc) << #bytes;                                                      \
        EXPECT_EQ(d.bomLength, bom##u) << #bytes;                                                  \
    } while (0)

TEST(DetectEncoding, MarksAndShortData) {
    using std::string;
    EXPECT_DETECTED(string("\xFF\xFE", 2), Encoding::Utf16LE, 2);
    EXPECT_DETECTED(string("\xFE\xFF\x00\x41", 4), Encoding::Utf16BE, 2);
    EXPECT_DETECTED(string("\xEF\xBB\xBF"), Encoding::Utf8, 3);
    EXPECT_DETECTED(string("A\0", 2), Encoding::Utf16LE, 0);
    EXPECT_DETECTED(string("\0A", 2), Encoding::Utf16BE, 0);
    EXPECT_DETECTED(string("A"), Encoding::Ansi, 0);
    EXPECT_DETECTED(string("plain ASCII text\r\n"), Encoding::Ansi, 0);
    EXPECT_DETECTED(string("caf\xC3\xA9"), Encoding::Utf8, 0);
    EXPECT_DETECTED(string("caf\xE9 au lait"), Encoding::Ansi, 0);
    EXPECT_DETECTED(string("\xC3\xA9\xE2\x82"), Encoding::Utf8, 0); // cut off at the end
    EXPECT_DETECTED(string("\xC0\x80 overlong"), Encoding::Utf8, 0);
    EXPECT_DETECTED(string("\xF8\x88\x80\x80\x80"), Encoding::Ansi, 0);
    EXPECT_DETECTED(string("\xFF\xFE\0\0", 4) + EncodeUtf32(U"UTF-32 text", false),
                    Encoding::Utf32LE, 4);
    EXPECT_DETECTED(string("\0\0\xFE\xFF", 4) + EncodeUtf32(U"UTF-32 text", true),
                    Encoding::Utf32BE, 4);
    Detected none = Detect("");
    EXPECT_EQ(none.encoding, Encoding::Ansi);
    EXPECT_EQ(DetectEncoding(nullptr), Encoding::Ansi);
    TextSource noData{};
    for (auto test : {TestUtf32, TestUtf16, TestUtf8}) {
        EXPECT_EQ(test(nullptr), Encoding::Ansi);
        EXPECT_EQ(test(&noData), Encoding::Ansi);
    }
    noData.ansiCodePage = 65001;
    EXPECT_EQ(DetectEncodingExplained(&noData, nullptr), Encoding::Utf8);
    EXPECT_EQ(FormOf(static_cast<Encoding>(7)).encoding, Encoding::Ansi); // no such encoding
}

std::u16string Repeat(char16_t c, size_t n) {
    return std::u16string(n, c);
}

// Where the statistics stop: UTF-32 looks at 65,536 units of 16 bits, UTF-16 at 128 KiB. Each
// text's answer changes when one unit or byte more or less is counted.
std::string Utf32AtItsLimit(bool bigEndian) {
    std::u32string text(32769, U'a');
    if (bigEndian) {
        text[32768] = 0x200000; // a wild high half just past the units examined
    } else {
        for (size_t i = 24575; i < text.size(); ++i) {
            text[i] = 0x10061; // zero high halves one short of three eighths
        }
    }
    return EncodeUtf32(text, bigEndian);
}

std::string Utf16AtItsLimit() {
    std::string bytes(131073, 'x');
    for (size_t i = 0; i < 1000; ++i) {
        bytes[2 * i] = ' ';
        bytes[2 * i + 2000] = '\0';
    }
    for (size_t i = 0; i < 4001; ++i) { // odd zeros one more than four times the even ones
        bytes[131071 - 2 * i] = '\0';
    }
    bytes[131072] = '\0'; // past the bytes examined
    return bytes;
}

// Each rule at its limit: the bytes on one side of it and on the other. UTF-16 rows are made
// little-endian and also checked in the other order, where the answer is the other form.
TEST(DetectEncoding, AtEachThreshold) {
    using std::string;
    const char16_t kDagger = 0x2020;   // spaces at both offsets
    const char16_t kEllipsis = 0x2026; // a space at the odd offset
    const char16_t kAmacron = 0x0100;  // a zero at the even offset
    const char16_t kNone = 0x2121;     // neither a space nor a zero
    const struct {
        const char* label;
        std::u16string utf16; // made UTF-16LE and BE, or empty
        string bytes;         // else these bytes
        Encoding encoding;
    } rows[] = {
        // 32 bytes or fewer: the side with more zero bytes decides, spaces or not.
        {"32 bytes", Repeat(u'x', 16), "", Encoding::Utf16LE},
        {"33 bytes", u"", EncodeUtf16(Repeat(u'x', 16), false) + "x", Encoding::Ansi},
        // Up to 128 bytes each side needs more than twice the other's count, past it four
        // times: three spaces against one are enough at 128 bytes and not at 129.
        {"3:1 spaces, 128 bytes", u"   " + Repeat(kEllipsis, 1) + Repeat(u'x', 60), "",
         Encoding::Utf16LE},
        {"3:1 spaces, 129 bytes", u"",
         EncodeUtf16(u"   " + Repeat(kEllipsis, 1) + Repeat(u'x', 60), false) + "x",
         Encoding::Ansi},
        {"5:1 spaces, 130 bytes", u"     " + Repeat(kEllipsis, 1) + Repeat(u'x', 59), "",
         Encoding::Utf16LE},
        {"4:1 spaces, 130 bytes", u"    " + Repeat(kEllipsis, 1) + Repeat(u'x', 60), "",
         Encoding::Ansi},
        {"2:1 spaces", u"  " + Repeat(kEllipsis, 1) + Repeat(u'x', 37), "", Encoding::Ansi},
        {"2:1 spaces, one of them both-sided", u" " + Repeat(kDagger, 1) + Repeat(u'x', 38), "",
         Encoding::Ansi},
        {"27:13 zeros", u"  " + Repeat(u'x', 25) + Repeat(kAmacron, 13), "", Encoding::Utf16LE},
        {"26:13 zeros", u"  " + Repeat(u'x', 24) + Repeat(kAmacron, 13) + kNone, "",
         Encoding::Ansi},
        // UTF-32: three eighths of the units counted, in each of the three counts.
        {"6 of 16 big", u"", EncodeUtf32(U"abcdef\n\n", false), Encoding::Utf32LE},
        {"5 of 16 big", u"", EncodeUtf32(U"abcde\n\n\n", false), Encoding::Utf16LE},
        {"6 of 16 zero high halves", u"", EncodeUtf32(U"abcdef\U0001F600\U0001F600", false),
         Encoding::Utf32LE},
        {"5 of 16 zero high halves", u"",
         EncodeUtf32(U"abcde\U0001F600\U0001F600\U0001F600", false), Encoding::Utf16LE},
        {"5 of 16 big and three U+0010", u"", EncodeUtf32(U"abcde\x10\x10\x10", false),
         Encoding::Utf16LE},
        {"6 of 16 big, three of them U+0011", u"", EncodeUtf32(U"abc\x11\x11\x11\n\n", false),
         Encoding::Utf32LE},
        {"a high half above 0x10", u"",
         EncodeUtf32(U"abcdefg" + std::u32string(1, 0x110000), false), Encoding::Utf16LE},
        {"6 of 16 wild, big-endian", u"", EncodeUtf32(U"abcdef\n\n", true), Encoding::Utf32BE},
        {"5 of 16 wild, big-endian", u"", EncodeUtf32(U"abcde\n\n\n", true), Encoding::Utf16BE},
        {"6 of 16 zero high halves, big-endian", u"",
         EncodeUtf32(U"abcdef\U0001F600\U0001F600", true), Encoding::Utf32BE},
        {"5 of 16 zero high halves, big-endian", u"",
         EncodeUtf32(U"abcde\U0001F600\U0001F600\U0001F600", true), Encoding::Utf16BE},
        {"a wild high half, big-endian", u"",
         EncodeUtf32(U"abcdefg" + std::u32string(1, 0x200000), true), Encoding::Utf16BE},
        {"65,536 units, LE", u"", Utf32AtItsLimit(false), Encoding::Ansi},
        {"65,536 units, BE", u"", Utf32AtItsLimit(true), Encoding::Utf32BE},
        {"128 KiB", u"", Utf16AtItsLimit(), Encoding::Utf16LE},
        {"1 byte, a NUL", u"", string(1, '\0'), Encoding::Ansi},
        {"4 bytes", u"", string("A\0\0\0", 4), Encoding::Utf32LE},
        {"6 bytes", u"", string("A\0\0\0B\0", 6), Encoding::Utf16LE},
        // UTF-8: where each lead byte's range ends, and a lead where a continuation belongs.
        {"1 byte", u"", "\xC3", Encoding::Ansi},
        {"C3 BF", u"", "\xC3\xBF", Encoding::Utf8},
        {"C3 C0", u"", "\xC3\xC0", Encoding::Ansi},
        {"C3 7F", u"", "\xC3\x7F", Encoding::Ansi},
        {"lead after lead", u"", "\xC3\xC3\xA9", Encoding::Ansi},
        {"BF first", u"", "\xBFx", Encoding::Ansi},
        {"DF takes one", u"", "\xDF\x80\x80", Encoding::Ansi},
        {"E0 takes two", u"", "\xE0\x80\x80", Encoding::Utf8},
        {"EF takes two", u"", "\xEF\x80\x80\x80", Encoding::Ansi},
        {"F0 takes three", u"", "\xF0\x80\x80\x80", Encoding::Utf8},
        {"F7 takes three", u"", "\xF7\x80\x80\x80", Encoding::Utf8},
        {"EF BB BF only", u"", "\xEF\xBB", Encoding::Utf8}, // a cut sequence, no mark
    };
    for (const auto& row : rows) {
        if (row.utf16.empty()) {
            EXPECT_EQ(Detect(row.bytes).encoding, row.encoding) << row.label;
            continue;
        }
        Encoding swapped = row.encoding == Encoding::Utf16LE ? Encoding::Utf16BE : row.encoding;
        EXPECT_EQ(Detect(EncodeUtf16(row.utf16, false)).encoding, row.encoding) << row.label;
        EXPECT_EQ(Detect(EncodeUtf16(row.utf16, true)).encoding, swapped) << row.label << " BE";
    }
}

// What decided, for the tools that explain it: the counts, and where UTF-8 stopped.
TEST(DetectEncoding, VerdictSaysWhereUtf8Stops) {
    const struct {
        std::string bytes;
        int32_t reason;
        uint32_t offset;
        uint32_t leads; // UTF-32: the zero high halves
    } rows[] = {
        {"ab\xC3(", kEncodingByNotUtf8, 2, 1},         // the sequence under way
        {"ab\xC3\xA9\x80", kEncodingByNotUtf8, 4, 1},  // a continuation byte alone
        {"ab\xE2\x82\xC3x", kEncodingByNotUtf8, 2, 1}, // a lead inside a sequence
        {"\xC3\xA9x\xF8", kEncodingByNotUtf8, 3, 1},
        {"ab\xC3\xA9\xE2\x82\xAC", kEncodingByUtf8Sequences, 0, 2},
        {"plain", kEncodingByAsciiOnly, 0, 0},
        {EncodeUtf32(U"abcdefgh", false), kEncodingByUtf32Statistics, 0, 8},
        {EncodeUtf32(U"abcdefgh", true), kEncodingByUtf32Statistics, 0, 8},
    };
    for (const auto& row : rows) {
        TextSource s = Over(row.bytes);
        EncodingVerdict v;
        DetectEncodingExplained(&s, &v);
        EXPECT_EQ(v.reason, row.reason) << row.bytes;
        EXPECT_EQ(v.examined, row.bytes.size()) << row.bytes;
        EXPECT_EQ(v.counts[0], row.leads) << row.bytes;
        if (row.reason == kEncodingByNotUtf8) {
            EXPECT_EQ(v.offset, row.offset) << row.bytes;
        }
    }
    // UTF-16: zero bytes at even and odd offsets, then spaces at even and odd.
    std::string be = EncodeUtf16(u" a b", true);
    TextSource w = Over(be);
    EncodingVerdict v;
    DetectEncodingExplained(&w, &v);
    EXPECT_EQ(v.reason, kEncodingByUtf16Zeros);
    EXPECT_EQ(std::vector<uint32_t>(v.counts, v.counts + 4), (std::vector<uint32_t>{4, 0, 0, 2}));
    // A mark decides alone: nothing counted, whatever the record held before.
    std::string marked = "\xEF\xBB\xBFx";
    TextSource m = Over(marked);
    memset(&v, 0x5A, sizeof v);
    DetectEncodingExplained(&m, &v);
    EXPECT_EQ(v.reason, kEncodingByMark);
    EXPECT_EQ(v.examined + v.counts[0] + v.counts[3] + v.offset, 0u);
}

TEST(DetectEncoding, Utf16WithoutMarkNeedsSpaces) {
    std::u16string words = u"some words of text with spaces between them\r\n";
    EXPECT_DETECTED(EncodeUtf16(words, false), Encoding::Utf16LE, 0);
    EXPECT_DETECTED(EncodeUtf16(words, true), Encoding::Utf16BE, 0);
    // More than 32 bytes and no space at all: not taken for UTF-16.
    EXPECT_DETECTED(EncodeUtf16(u"nospacesanywhereinthislongerline", false), Encoding::Ansi, 0);
}

TEST(DetectEncoding, Utf32WithoutMarkAndLargeFilesInBothOrders) {
    std::u32string text = U"Function help \u00e9\u4e2d line\r\n";
    EXPECT_DETECTED(EncodeUtf32(text, false), Encoding::Utf32LE, 0);
    EXPECT_DETECTED(EncodeUtf32(text, true), Encoding::Utf32BE, 0);
    // Past 65,536 examined units the threshold must follow the units counted, not the size:
    // a well-formed 400 KiB file is still UTF-32.
    std::u32string large;
    while (large.size() * 4 < 400 * 1024) {
        large += text;
    }
    EXPECT_DETECTED(std::string("\xFF\xFE\0\0", 4) + EncodeUtf32(large, false), Encoding::Utf32LE,
                    4);
    EXPECT_DETECTED(std::string("\0\0\xFE\xFF", 4) + EncodeUtf32(large, true), Encoding::Utf32BE,
                    4);
    EXPECT_DETECTED(EncodeUtf32(large, false), Encoding::Utf32LE, 0);
    EXPECT_DETECTED(EncodeUtf32(large, true), Encoding::Utf32BE, 0);
}

TEST(DetectEncoding, FirstQuarterMebibyteOfUtf8DecidesAlone) {
    std::string text = "\xC3\xA9";
    text.resize(262144, 'a');
    text += "\xFF\xFE bad afterwards";
    EXPECT_DETECTED(text, Encoding::Utf8, 0);
    text[262143] = '\xFF'; // the last byte looked at
    EXPECT_DETECTED(text, Encoding::Ansi, 0);
}

TEST(DetectEncoding, SystemInUtf8ReadsWhatUnicodeTestsLeaveAsUtf8) {
    Detected d = Detect("caf\xE9", 65001);
    EXPECT_EQ(d.encoding, Encoding::Utf8);
    d = Detect("\xEF\xBB\xBFx", 65001);
    EXPECT_EQ(d.bomLength, 3u);
    d = Detect("plain", 65001);
    EXPECT_EQ(d.encoding, Encoding::Utf8);
    std::string bytes = "caf\xE9";
    TextSource s = Over(bytes, 65001);
    DetectEncoding(&s);
    int chars[5];
    for (int& c : chars) {
        c = NextChar(&s);
    }
    EXPECT_EQ(chars[3], 0xFFFD);
    EXPECT_EQ(chars[4], -1);
}

TEST(AnsiTables, SelectionAndTellingRows) {
    EXPECT_EQ(SelectAnsiTable(1252), 0);
    EXPECT_EQ(SelectAnsiTable(437), 9);
    EXPECT_EQ(SelectAnsiTable(21866), 23);
    EXPECT_EQ(SelectAnsiTable(932), 0);
    EXPECT_EQ(SelectAnsiTable(65001), 0);
    for (int i = 0; i < kAnsiTableCount; ++i) {
        EXPECT_EQ(SelectAnsiTable(kAnsiCodePages[i]), i);
    }
    auto at = [](uint32_t cp, int byte) { return kAnsiTables[SelectAnsiTable(cp)][byte - 0x80]; };
    EXPECT_EQ(at(1252, 0x80), 0x20AC);
    EXPECT_EQ(at(1252, 0x81), 0xFFFD);
    EXPECT_EQ(at(1252, 0x9F), 0x0178);
    EXPECT_EQ(at(437, 0xB0), 0x2591);
    for (int b : {0x80, 0x81, 0x84, 0x86, 0x8D, 0x8E, 0x8F, 0x90}) {
        EXPECT_EQ(at(720, b), 0xFFFD) << b;
    }
    EXPECT_EQ(at(10000, 0xF0), 0x0150);
    EXPECT_EQ(at(20866, 0xC1), 0x0430); // KOI8-R a
    EXPECT_EQ(at(21866, 0xA4), 0x0454); // KOI8-U ie
    // Outside the list, bytes above 0x7F read through the 1252 table.
    std::string bytes = "\x80\x41";
    TextSource s = Over(bytes, 932);
    DetectEncoding(&s);
    EXPECT_EQ(NextChar(&s), 0x20AC);
    EXPECT_EQ(NextChar(&s), 'A');
}

} // namespace
