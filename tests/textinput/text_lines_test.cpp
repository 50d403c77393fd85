#include "tests/support/test_support.h"
#include "tests/textinput/source_fixture.h"
#include "platform/unicode.h"
#include "platform/utf8.h"
#include "textinput/encoding.h"
#include "textinput/text_lines.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

TextSource Over(const std::string& bytes, Encoding encoding, uint32_t codePage = 1252) {
    TextSource s{};
    s.data = reinterpret_cast<const uint8_t*>(bytes.data());
    s.size = static_cast<uint32_t>(bytes.size());
    s.encoding = encoding;
    s.ansiCodePage = codePage;
    s.ansiTable = SelectAnsiTable(codePage);
    s.replacement = 0xFFFD;
    return s;
}

std::vector<int> Chars(const std::string& bytes, Encoding encoding) {
    TextSource s = Over(bytes, encoding);
    std::vector<int> out;
    for (int c; (c = NextChar(&s)) != -1;) {
        out.push_back(c);
    }
    EXPECT_EQ(NextChar(&s), -1);
    return out;
}

// Lines in UTF-8 of text given as UTF-16 (read as UTF-16LE).
std::vector<std::string> LinesOf(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    TextSource s = Over(bytes, Encoding::Utf16LE);
    std::vector<std::string> lines;
    std::vector<char16_t> line(kLineUnits);
    while (ReadTextLine(&s, line) == LineRead::Line) {
        EXPECT_NE(line[0], 0);
        lines.push_back(U8(line.data()));
    }
    EXPECT_EQ(ReadTextLine(&s, line), LineRead::NoMore);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(ReadTextLine, BreaksAndBlankLines) {
    EXPECT_EQ(LinesOf(u"a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf(u"a\n\rb"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf(u"a\r\rb"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf(u"a\n\nb\r\n\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf(u"a\u0085\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf(u"a\n   \n\tb\n"), (Lines{"a", "\tb"}));
    EXPECT_EQ(LinesOf(u"a\n\u00a0\u000b\u000c\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(LinesOf(u"a\n   "), (Lines{"a", "   "})); // the last line, even when blank
    EXPECT_EQ(LinesOf(std::u16string(u"ab\0cd\n\0x", 8)), (Lines{"ab", "cd", "x"}));
    EXPECT_EQ(LinesOf(u""), Lines{});
    EXPECT_EQ(LinesOf(u"\r\n \n"), Lines{});
    // A character beyond U+FFFF, read whole from UTF-8, is never blank, whatever its low
    // sixteen bits.
    std::string bytes = "\xF0\x90\x80\xA0\nb";
    TextSource s = Over(bytes, Encoding::Utf8);
    std::vector<char16_t> line(kLineUnits);
    ASSERT_EQ(ReadTextLine(&s, line), LineRead::Line);
    EXPECT_EQ(U8(line.data()), "\xF0\x90\x80\xA0");
    // Blanks copied a block at a time leave a line blank, to be skipped.
    EXPECT_EQ(LinesOf(u"    \nx"), (Lines{"x"}));
    std::string blanks = "        \nx";
    TextSource b = Over(blanks, Encoding::Utf8);
    ASSERT_EQ(ReadTextLine(&b, line), LineRead::Line);
    EXPECT_EQ(U8(line.data()), "x");
}

TEST(ReadTextLine, OverlongLineIsCutAndItsRestDropped) {
    std::u16string text(10000, u'x');
    Lines lines = LinesOf(text + u"\r\nnext");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(8191, 'x'));
    EXPECT_EQ(lines[1], "next");
    // At the limit, in each encoding that copies ASCII runs a block at a time: 8,191 units
    // fit, the 8,192nd is dropped, and the break after it still ends the line.
    for (size_t length : {size_t{8191}, size_t{8192}}) {
        std::string ascii = std::string(length - 1, 'x') + "y\nnext";
        for (Encoding encoding : {Encoding::Utf8, Encoding::Ansi, Encoding::Utf16LE}) {
            std::string bytes =
                encoding == Encoding::Utf16LE ? EncodeUtf16(U16(ascii), false) : ascii;
            TextSource s = Over(bytes, encoding);
            std::vector<char16_t> line(kLineUnits);
            ASSERT_EQ(ReadTextLine(&s, line), LineRead::Line);
            EXPECT_EQ(U8(line.data()), ascii.substr(0, 8191)) << length;
            ASSERT_EQ(ReadTextLine(&s, line), LineRead::Line);
            EXPECT_EQ(U8(line.data()), "next") << length;
        }
    }
    // Dropped characters still make a line significant.
    lines = LinesOf(std::u16string(8191, u' ') + u"x\nnext");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(8191, ' '));
}

// A character beyond U+FFFF reaches the line as a surrogate pair, whatever the encoding, and
// the line's limit never splits one: a pair that does not fit is dropped whole.
TEST(ReadTextLine, PairsAreNeverSplitAtTheLimit) {
    const std::u16string smile = u"\U0001F600";
    const std::u32string smile32 = U"\U0001F600";
    const std::u32string halves = {0xD83D, 0xDE00}; // surrogates in UTF-32 pass as they are
    struct Case {
        const char* label;
        std::string bytes;
        Encoding encoding;
    };
    for (size_t before : {size_t{8189}, size_t{8190}}) {
        std::u16string x16(before, u'x');
        std::u32string x32(before, U'x');
        const Case cases[] = {
            {"utf8", U8(x16 + smile + u"y\nnext"), Encoding::Utf8},
            {"utf16le", EncodeUtf16(x16 + smile + u"y\nnext", false), Encoding::Utf16LE},
            {"utf32le", EncodeUtf32(x32 + smile32 + U"y\nnext", false), Encoding::Utf32LE},
            {"utf32be pair of halves", EncodeUtf32(x32 + halves + U"y\nnext", true),
             Encoding::Utf32BE},
        };
        for (const Case& c : cases) {
            TextSource s = Over(c.bytes, c.encoding);
            std::vector<char16_t> line(kLineUnits);
            ASSERT_EQ(ReadTextLine(&s, line), LineRead::Line) << c.label;
            std::u16string got(line.data());
            // 8,189 units before it leave room for the pair; 8,190 do not, and the "y"
            // after it is not taken in its place.
            EXPECT_EQ(got, before == 8189 ? x16 + smile : x16) << c.label << " " << before;
            ASSERT_EQ(ReadTextLine(&s, line), LineRead::Line) << c.label;
            EXPECT_EQ(U8(line.data()), "next") << c.label;
        }
    }
    // A lone low surrogate at the limit is not taken for the second half of a pair.
    const struct {
        std::u16string text;
        std::u16string line;
        size_t buffer = kLineUnits;
    } rows[] = {
        {std::u16string(8191, u'x') + u"\xDC00y\nnext", std::u16string(8191, u'x')},
        {std::u16string(8190, u'x') + u"\xDC00\xDC00y\nnext",
         std::u16string(8190, u'x') + u"\xDC00"},
        // A shorter buffer keeps as much less, and still no half of a pair.
        {u"\U0001F600\nnext", u"", 2},
        {u"\xD800\xDFFF\nnext", u"", 2},        // the first high half and the last low one
        {u"\xDBFF\xDC00\nnext", u"", 2},        // the last high half and the first low one
        {u"\xD800y\nnext", u"\xD800", 2},       // a high half alone is kept
        {u"\xD800y\xDC00\nnext", u"\xD800", 2}, // even when a low half follows the cut
        {u"\xDC00\nnext", u"", 1},
        {u"xyz\nnext", u"xy", 3},
    };
    for (const auto& row : rows) {
        std::string bytes = EncodeUtf16(row.text, false);
        TextSource s = Over(bytes, Encoding::Utf16LE);
        std::vector<char16_t> line(kLineUnits);
        ASSERT_EQ(ReadTextLine(&s, std::span(line.data(), row.buffer)), LineRead::Line);
        EXPECT_EQ(std::u16string(line.data()), row.line) << row.buffer;
        ASSERT_EQ(ReadTextLine(&s, line), LineRead::Line);
        EXPECT_EQ(U8(line.data()), "next");
    }
}

TEST(ReadTextLine, BufferIsNeverWrittenPastItsEnd) {
    std::u16string text(9000, u'y');
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c);
        bytes += '\0';
    }
    TextSource s = Over(bytes, Encoding::Utf16LE);
    std::vector<char16_t> line(kLineUnits + 1, u'#');
    ASSERT_EQ(ReadTextLine(&s, std::span(line.data(), kLineUnits)), LineRead::Line);
    EXPECT_EQ(line[kLineUnits - 1], 0);
    EXPECT_EQ(line[kLineUnits], u'#');
    // Nor before its start: a low half with no room looks at no unit before the buffer.
    std::string low = EncodeUtf16(u"\xDC00\n", false);
    TextSource t = Over(low, Encoding::Utf16LE);
    line[0] = 0xD800;
    ASSERT_EQ(ReadTextLine(&t, std::span(line.data() + 1, 1)), LineRead::Line);
    EXPECT_EQ(line[0], 0xD800);
    EXPECT_EQ(ReadTextLine(nullptr, line), LineRead::NoMore);
    EXPECT_EQ(ReadTextLine(&s, {}), LineRead::NoMore);
}

TEST(NextChar, Utf8ReplacesWhatDoesNotDecode) {
    using V = std::vector<int>;
    EXPECT_EQ(Chars("\xC3\x28", Encoding::Utf8), (V{0xFFFD, '('}));
    EXPECT_EQ(Chars("\xED\xA0\x80", Encoding::Utf8), (V{0xFFFD}));           // a surrogate
    EXPECT_EQ(Chars("\xF0\x9F\x98\x80", Encoding::Utf8), (V{0x1F600}));      // above U+FFFF
    EXPECT_EQ(Chars("\xF4\x90\x80\x80", Encoding::Utf8), (V{0xFFFD}));       // above U+10FFFF
    EXPECT_EQ(Chars("a\xE2\x82", Encoding::Utf8), (V{'a', 0xFFFD, 0xFFFD})); // cut at the end
    EXPECT_EQ(Chars("\xC0\x80\xE2\x82\xAC", Encoding::Utf8), (V{0xFFFD, 0xFFFD, 0x20AC}));
    // An overlong form is no character: each of its bytes is replaced, as for any ill-formed
    // sequence. Beside each, the longest overlong and the shortest real form of its length.
    EXPECT_EQ(Chars("\xC1\x9B", Encoding::Utf8), (V{0xFFFD, 0xFFFD}));
    EXPECT_EQ(Chars("\xC0\x8A", Encoding::Utf8), (V{0xFFFD, 0xFFFD}));
    EXPECT_EQ(Chars("\xC1\xBF\xC2\x80", Encoding::Utf8), (V{0xFFFD, 0xFFFD, 0x80}));
    EXPECT_EQ(Chars("\xE0\x80\x80", Encoding::Utf8), (V{0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(Chars("\xE0\x9F\xBF\xE0\xA0\x80", Encoding::Utf8),
              (V{0xFFFD, 0xFFFD, 0xFFFD, 0x800}));
    EXPECT_EQ(Chars("\xF0\x80\x80\x80", Encoding::Utf8), (V{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(Chars("\xF0\x8F\xBF\xBF\xF0\x90\x80\x80", Encoding::Utf8),
              (V{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0x10000}));
    EXPECT_EQ(Chars("\x80\xF8\xFF", Encoding::Utf8), (V{0xFFFD, 0xFFFD, 0xFFFD}));
}

TEST(NextChar, Utf16AndUtf32Units) {
    using V = std::vector<int>;
    EXPECT_EQ(Chars(std::string("A\0\x3D\xD8\x00\xDE\x42", 7), Encoding::Utf16LE),
              (V{'A', 0xD83D, 0xDE00})); // the pair as it is; the odd byte is no unit
    EXPECT_EQ(Chars(std::string("\0A\xD8\x3D", 4), Encoding::Utf16BE), (V{'A', 0xD83D}));
    EXPECT_EQ(Chars(std::string("\0\0\x01\0A\0\0\0\0\xD8\0\0", 12), Encoding::Utf32LE),
              (V{0x10000, 'A', 0xD800}));
    EXPECT_EQ(Chars(std::string("\0\0\x11\0\xFF\xFF\x10\0", 8), Encoding::Utf32LE),
              (V{0xFFFD, 0x10FFFF}));
    EXPECT_EQ(Chars(std::string("\xFF\xFF\xFF\xFF\0\0\0B\0\0", 10), Encoding::Utf32BE),
              (V{0xFFFD, 'B'}));
    EXPECT_EQ(Chars("\x80\x81\x41", Encoding::Ansi), (V{0x20AC, 0xFFFD, 'A'}));
    // A table index out of range reads the first table, 1252's.
    for (int32_t table : {-1, kAnsiTableCount}) {
        std::string bytes = "\x83"; // in 1252 alone
        TextSource s = Over(bytes, Encoding::Ansi);
        s.ansiTable = table;
        EXPECT_EQ(NextChar(&s), 0x0192) << table;
    }
}

// The bytes of a code point in UTF-8's bit pattern, whether or not it is one UTF-8 may carry.
std::string Utf8Bits(char32_t c) {
    auto at = [c](int shift, int lead) { return static_cast<char>(lead | ((c >> shift) & 0x3F)); };
    if (c < 0x80) {
        return std::string(1, static_cast<char>(c));
    }
    if (c < 0x800) {
        return {static_cast<char>(0xC0 | (c >> 6)), at(0, 0x80)};
    }
    if (c < 0x10000) {
        return {static_cast<char>(0xE0 | (c >> 12)), at(6, 0x80), at(0, 0x80)};
    }
    return {static_cast<char>(0xF0 | (c >> 18)), at(12, 0x80), at(6, 0x80), at(0, 0x80)};
}

// Each limit of the code space, on both sides, in every form: what the reader delivers.
TEST(NextChar, CodePointLimitsInEveryForm) {
    const struct {
        char32_t c;
        int utf8;  // from its UTF-8 bit pattern
        int utf32; // from its UTF-32 unit
    } rows[] = {
        {0x7F, 0x7F, 0x7F},
        {0x80, 0x80, 0x80},
        {0x7FF, 0x7FF, 0x7FF},
        {0x800, 0x800, 0x800},
        {0xD7FF, 0xD7FF, 0xD7FF},
        {0xD800, 0xFFFD, 0xD800}, // UTF-8 carries no surrogate; UTF-32's pass, as UTF-16's do
        {0xDFFF, 0xFFFD, 0xDFFF},
        {0xE000, 0xE000, 0xE000},
        {0xFFFD, 0xFFFD, 0xFFFD},
        {0xFFFF, 0xFFFF, 0xFFFF},
        {0x10000, 0x10000, 0x10000},
        {0x10FFFF, 0x10FFFF, 0x10FFFF},
        {0x110000, 0xFFFD, 0xFFFD},
        {0x1FFFFF, 0xFFFD, 0xFFFD},
        {0x7FFFFFFF, -2, 0xFFFD}, // -2: no UTF-8 form
        {0x80000000, -2, 0xFFFD},
        {0xFFFFFFFF, -2, 0xFFFD},
    };
    using V = std::vector<int>;
    for (const auto& row : rows) {
        std::u32string one(1, row.c);
        if (row.utf8 != -2) {
            EXPECT_EQ(Chars(Utf8Bits(row.c), Encoding::Utf8), V{row.utf8})
                << std::hex << static_cast<uint32_t>(row.c);
        }
        EXPECT_EQ(Chars(EncodeUtf32(one, false), Encoding::Utf32LE), V{row.utf32})
            << std::hex << static_cast<uint32_t>(row.c);
        EXPECT_EQ(Chars(EncodeUtf32(one, true), Encoding::Utf32BE), V{row.utf32})
            << std::hex << static_cast<uint32_t>(row.c);
        if (row.c <= 0xFFFF) { // every unit passes as it is
            const std::u16string unit(1, static_cast<char16_t>(row.c));
            EXPECT_EQ(Chars(EncodeUtf16(unit, false), Encoding::Utf16LE),
                      V{static_cast<int>(row.c)});
            EXPECT_EQ(Chars(EncodeUtf16(unit, true), Encoding::Utf16BE),
                      V{static_cast<int>(row.c)});
        }
    }
}

TEST(PeekChar, DoesNotMoveAndSeesACutSequenceAsTheEnd) {
    std::string bytes = "\xC3\xA9\xE2";
    TextSource s = Over(bytes, Encoding::Utf8);
    EXPECT_EQ(PeekChar(&s), 0xE9);
    EXPECT_EQ(PeekChar(&s), 0xE9);
    EXPECT_EQ(NextChar(&s), 0xE9);
    EXPECT_EQ(PeekChar(&s), -1);
    EXPECT_EQ(NextChar(&s), 0xFFFD);
    std::string least = "\xC0"; // the least lead byte, alone: a cut sequence too
    TextSource c = Over(least, Encoding::Utf8);
    EXPECT_EQ(PeekChar(&c), -1);
    EXPECT_EQ(PeekChar(nullptr), -1);
    EXPECT_EQ(NextChar(nullptr), -1);
    TextSource noData{};
    EXPECT_EQ(NextChar(&noData), -1);
    std::vector<char16_t> line(kLineUnits);
    EXPECT_EQ(ReadTextLine(&noData, line), LineRead::NoMore);
    EXPECT_EQ(ReadTextLineReported(&s, line, nullptr), LineRead::NoMore);
}

TEST(DecodeUtf8, ByLeadByte) {
    const struct {
        std::string_view bytes;
        Utf8Char decoded;
    } rows[] = {
        {"A", {'A', 1, Utf8Kind::Character}},
        {"\xC3\xA9", {0xE9, 2, Utf8Kind::Character}},
        {"\xE2\x82\xAC", {0x20AC, 3, Utf8Kind::Character}},
        {"\xF0\x9F\x98\x80", {0x1F600, 4, Utf8Kind::Character}},
        {"\xF7\xBF\xBF\xBF", {0x1FFFFF, 4, Utf8Kind::BeyondLast}},
        {"\xED\xA0\x80", {0xD800, 3, Utf8Kind::Surrogate}},
        {"\xC0\x80", {0, 1, Utf8Kind::IllFormed}}, // overlong
        {"\x80", {0, 1, Utf8Kind::IllFormed}},
        {"\xF8\x80\x80\x80", {0, 1, Utf8Kind::IllFormed}},
        {"\xE2\x28\xAC", {0, 1, Utf8Kind::IllFormed}},
        {"\xF0\x9F\x98\xC0", {0, 1, Utf8Kind::IllFormed}},
        {"\xE2\x82", {0, 1, Utf8Kind::Cut}}, // more bytes than there are
        {"", {0, 0, Utf8Kind::Cut}},
    };
    for (const auto& row : rows) {
        Utf8Char c = DecodeUtf8(
            std::span(reinterpret_cast<const uint8_t*>(row.bytes.data()), row.bytes.size()));
        EXPECT_EQ(c.value, row.decoded.value) << row.bytes;
        EXPECT_EQ(c.length, row.decoded.length) << row.bytes;
        EXPECT_EQ(c.kind, row.decoded.kind) << row.bytes;
    }
}

// The rule for ill-formed UTF-8, written from its words and not from the codec: a byte that
// begins no whole sequence of continuation bytes, or begins an overlong one, is one U+FFFD
// alone; a whole sequence that spells a surrogate or a value beyond U+10FFFF is one U+FFFD.
std::vector<int> Utf8Oracle(std::string_view text) {
    std::vector<int> out;
    for (size_t i = 0; i < text.size();) {
        auto byte = [&](size_t k) { return static_cast<unsigned>(static_cast<uint8_t>(text[k])); };
        unsigned lead = byte(i);
        size_t length = 0;
        for (size_t ones = 0; ones < 5 && (lead << ones & 0x80) != 0; ++ones) {
            length = ones + 1; // leading ones: 0 for ASCII, 1 for a continuation byte
        }
        length = length == 0 ? 1 : length == 1 || length > 4 ? 0 : length;
        bool whole = length > 0 && i + length <= text.size();
        unsigned value = length == 1 ? lead : lead & (0xFFu >> (length + 1));
        for (size_t k = 1; whole && k < length; ++k) {
            whole = byte(i + k) >> 6 == 2;
            value = value << 6 | (byte(i + k) & 0x3F);
        }
        size_t shortest = value < 0x80 ? 1 : value < 0x800 ? 2 : value < 0x10000 ? 3 : 4;
        if (!whole || shortest != length) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool character = value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        out.push_back(character ? static_cast<int>(value) : 0xFFFD);
        i += length;
    }
    return out;
}

// Code points of UTF-16 text, pairs joined.
std::vector<int> CodePoints(const std::u16string& text) {
    std::vector<int> out;
    for (size_t i = 0; i < text.size(); ++i) {
        bool pair = i + 1 < text.size() && text[i] >> 10 == 0x36 && text[i + 1] >> 10 == 0x37;
        out.push_back(pair ? 0x10000 + ((text[i] & 0x3FF) << 10 | (text[i + 1] & 0x3FF)) : text[i]);
        i += pair ? 1 : 0;
    }
    return out;
}

// Every reader of UTF-8 follows the one rule: the help file's reader, the codec's decoder one
// sequence at a time, and the conversion that the help texts and names go through.
TEST(DecodeUtf8, EveryReaderFollowsTheOracle) {
    const std::string_view rows[] = {
        "plain",
        "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
        "\xED\x9F\xBF\xED\xA0\x80\xED\xBF\xBF\xEE\x80\x80", // around the surrogates
        "a\xED\xA0\x80\xED\xB0\x80"
        "b",                                                    // a pair spelt in UTF-8
        "\xF4\x90\x80\x80\xF5\x80\x80\x80\xF7\xBF\xBF\xBF",     // beyond U+10FFFF
        "\xF8\x88\x80\x80\x80\xFC\x84\x80\x80\x80\x80\xFE\xFF", // no lead at all
        "\xC0\x80\xC1\xBF\xE0\x80\x80\xE0\x9F\xBF\xF0\x80\x80\x80\xF0\x8F\xBF\xBF", // overlong
        "\x80\xBF\x80x\xC3\xC3\xA9\xE2\x28\xA1\xF0\x9F\x98(", // bad continuations
        "\xED\xA0",
        "x\xF0\x9F\x98", // cut by the end
        "\xE2\x82\xAC\xF0\x9F\x98\x80\xC3",
    };
    for (std::string_view row : rows) {
        std::string bytes(row);
        std::vector<int> expected = Utf8Oracle(bytes);
        EXPECT_EQ(Chars(bytes, Encoding::Utf8), expected) << bytes;
        std::vector<int> decoded;
        auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        for (size_t at = 0; at < bytes.size();) {
            Utf8Char c = DecodeUtf8(std::span(data + at, bytes.size() - at));
            decoded.push_back(c.kind == Utf8Kind::Character ? static_cast<int>(c.value) : 0xFFFD);
            at += c.length;
        }
        EXPECT_EQ(decoded, expected) << bytes;
        std::vector<char16_t> units(2 * bytes.size() + 1);
        size_t n = Utf8ToUtf16(bytes.c_str(), units);
        EXPECT_EQ(CodePoints(std::u16string(units.data(), n)), expected) << bytes;
    }
}

} // namespace
