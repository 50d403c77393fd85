// The line reader copies runs of ASCII several bytes at a time, and the loader reads most
// lines as UTF-8 without it. Against a plain reference splitter, random ASCII texts full of
// breaks, NULs, blanks and over-long lines must give the same lines in every encoding that
// takes those paths, wherever a break falls in a block.
#include "tests/support/test_support.h"
#include "textinput/encoding.h"
#include "textinput/text_lines.h"
#include "textinput/utf8_lines.h"

#include <random>
#include <string>
#include <vector>

namespace {

bool IsBlank(char16_t c) {
    return c == 0x20 || (c >= 0x09 && c <= 0x0D);
}

// Where a line stands: its number (NUL is no line break here) and the characters before it.
struct Place {
    uint32_t number, column, length;
    bool endsInNul;
    bool operator==(const Place&) const = default;
};

// Lines as the reader defines them, for text whose every character is one ASCII unit, and
// where each stands.
std::vector<std::u16string> ReferenceLines(const std::u16string& text,
                                           std::vector<Place>* places = nullptr) {
    std::vector<std::u16string> lines;
    size_t pos = 0;
    uint32_t number = 1;
    size_t lineStart = 0; // of the line as an editor counts them
    for (;;) {
        std::u16string line;
        bool significant = false;
        char16_t c = 0;
        bool ended = false;
        Place place{number, static_cast<uint32_t>(pos - lineStart), 0, false};
        for (;;) {
            if (pos == text.size()) {
                ended = true;
                break;
            }
            c = text[pos++];
            if (c == 0 || c == u'\r' || c == u'\n') {
                break;
            }
            significant = significant || !IsBlank(c);
            if (line.size() < 8191) {
                line += c;
            }
            ++place.length;
        }
        if (ended) {
            if (!line.empty()) {
                lines.push_back(line);
                if (places) {
                    places->push_back(place);
                }
            }
            return lines;
        }
        if (pos < text.size() &&
            ((c == u'\r' && text[pos] == u'\n') || (c == u'\n' && text[pos] == u'\r'))) {
            ++pos;
        }
        if (c != 0) {
            ++number;
            lineStart = pos;
        }
        place.endsInNul = c == 0;
        if (significant) {
            lines.push_back(line);
            if (places) {
                places->push_back(place);
            }
        }
    }
}

// Text as UTF-16LE bytes.
std::string Wide(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

TextSource Over(const std::string& bytes, Encoding encoding) {
    TextSource s{};
    s.data = reinterpret_cast<const uint8_t*>(bytes.data());
    s.size = static_cast<uint32_t>(bytes.size());
    s.encoding = encoding;
    s.replacement = 0xFFFD;
    return s;
}

// The lines as the loader reads them: as UTF-8 where that passes, blank ones left out, else
// through the reader.
std::vector<std::u16string> ReadAllAsUtf8(const std::string& bytes, Encoding encoding) {
    TextSource s = Over(bytes, encoding);
    std::vector<std::u16string> lines;
    std::vector<char16_t> line(kLineUnits, u'#');
    std::vector<char> utf8(kUtf8LineBytes);
    for (;;) {
        uint32_t start = s.position;
        Utf8Line read = ReadLineAsUtf8(&s, utf8);
        if (read.read == Utf8LineRead::NoMore) {
            return lines;
        }
        if (read.read == Utf8LineRead::Line) {
            std::u16string text = U16(std::string(read.text, read.bytes));
            if (text.find_first_not_of(u" \t\r\n\v\f") != std::u16string::npos) {
                lines.push_back(text);
            }
            continue;
        }
        EXPECT_EQ(s.position, start) << "a line left to the reader is left unread";
        if (ReadTextLine(&s, line) == LineRead::NoMore) {
            return lines;
        }
        lines.emplace_back(line.data());
    }
}

// The lines of the reader; with places, those of its reporting form and where it says they
// stand.
std::vector<std::u16string> ReadAll(const std::string& bytes, Encoding encoding,
                                    std::vector<Place>* places = nullptr) {
    TextSource s = Over(bytes, encoding);
    std::vector<std::u16string> lines;
    std::vector<char16_t> line(kLineUnits, u'#');
    TextLineReport report = {};
    while ((places ? ReadTextLineReported(&s, line, &report) : ReadTextLine(&s, line)) ==
           LineRead::Line) {
        lines.emplace_back(line.data());
        if (places) {
            places->push_back(Place{report.number, report.column, report.length, report.endsInNul});
        }
    }
    return lines;
}

std::u16string RandomText(std::mt19937* random) {
    const char16_t alphabet[] = u"aaaaaaaaaaaaaaaabbbbbbbbbbxyz   \t\r\n\n\v\f";
    std::u16string text;
    while (text.size() < 40000) {
        auto pick = static_cast<unsigned>((*random)() % 200);
        if (pick == 0) {
            text.append(8185 + (*random)() % 20, u'q'); // around the 8,191-unit cut
        } else if (pick == 1) {
            text += char16_t{0};
        } else {
            text += alphabet[(*random)() % (sizeof alphabet / sizeof *alphabet - 1)];
        }
    }
    return text;
}

TEST(LineReaderDifferential, AsciiRunsReadAsTheReferenceSplitsThem) {
    std::mt19937 random(20261207u);
    for (int round = 0; round < 20; ++round) {
        std::u16string text = RandomText(&random);
        std::vector<std::u16string> expected = ReferenceLines(text);
        std::string narrow;
        std::string utf16;
        for (char16_t c : text) {
            narrow += static_cast<char>(c);
            utf16 += static_cast<char>(c);
            utf16 += '\0';
        }
        ASSERT_EQ(ReadAll(narrow, Encoding::Utf8), expected) << "UTF-8, round " << round;
        ASSERT_EQ(ReadAll(narrow, Encoding::Ansi), expected) << "ANSI, round " << round;
        ASSERT_EQ(ReadAll(utf16, Encoding::Utf16LE), expected) << "UTF-16LE, round " << round;
        for (Encoding encoding : {Encoding::Utf8, Encoding::Ansi, Encoding::Utf16LE}) {
            ASSERT_EQ(ReadAllAsUtf8(encoding == Encoding::Utf16LE ? utf16 : narrow, encoding),
                      expected)
                << "as UTF-8, encoding " << static_cast<int>(encoding) << ", round " << round;
        }
        // The reporting form reads the same lines, and places them as the reference does.
        std::vector<Place> expectedPlaces;
        ReferenceLines(text, &expectedPlaces);
        for (Encoding encoding : {Encoding::Utf8, Encoding::Utf16LE}) {
            std::vector<Place> places;
            ASSERT_EQ(ReadAll(encoding == Encoding::Utf8 ? narrow : utf16, encoding, &places),
                      expected);
            ASSERT_TRUE(places == expectedPlaces) << "places, round " << round;
        }
    }
}

// What cannot pass is left to the reader, untouched: a missing source, a buffer too small
// for a transcoded line, the forms the fast reader does not take, an odd byte at the end.
TEST(LineReaderDifferential, LinesAsUtf8LeaveTheRestToTheReader) {
    std::vector<char> utf8(kUtf8LineBytes);
    EXPECT_EQ(ReadLineAsUtf8(nullptr, utf8).read, Utf8LineRead::Other);
    std::string text = "ab\n";
    std::string wide("a\0b\0\n\0", 6);
    std::vector<char> small(kUtf8LineBytes - 1);
    struct Case {
        std::string bytes;
        Encoding encoding;
        std::span<char> buffer;
        Utf8LineRead read;
    } cases[] = {
        {text, Encoding::Utf8, small, Utf8LineRead::Line}, // passed where it lies
        {text, Encoding::Ansi, small, Utf8LineRead::Other},
        {wide, Encoding::Utf16LE, small, Utf8LineRead::Other},
        {wide, Encoding::Utf16BE, utf8, Utf8LineRead::Other},
        {std::string(8, '\0'), Encoding::Utf32LE, utf8, Utf8LineRead::Other},
        {wide + "x", Encoding::Utf16LE, utf8, Utf8LineRead::Line},
        {"", Encoding::Utf8, utf8, Utf8LineRead::NoMore},
        // The longest line that is read whole, with and without its break, and one unit more.
        {std::string(8191, 'a') + "\n", Encoding::Utf8, utf8, Utf8LineRead::Line},
        {std::string(8191, 'a'), Encoding::Utf8, utf8, Utf8LineRead::Line},
        {std::string(8192, 'a'), Encoding::Utf8, utf8, Utf8LineRead::Other},
        {Wide(std::u16string(8191, u'a')), Encoding::Utf16LE, utf8, Utf8LineRead::Line},
        {Wide(std::u16string(8189, u'a') + u"\U0001F600"), Encoding::Utf16LE, utf8,
         Utf8LineRead::Line},
        {Wide(std::u16string(8192, u'a')), Encoding::Utf16LE, utf8, Utf8LineRead::Other},
        {Wide(u"\U0001F600" + std::u16string(8190, u'a')), Encoding::Utf16LE, utf8,
         Utf8LineRead::Other}, // a pair counts two units
        {text, Encoding::Ansi, utf8, Utf8LineRead::Line},
        // A line too long after its three-byte characters: its last word is written nowhere.
        {std::string(8191, '\x80') + "abcdefgh\n", Encoding::Ansi, utf8, Utf8LineRead::Other},
        {"ab\r\n", Encoding::Utf8, utf8, Utf8LineRead::Line},         // a CR LF that ends the data
        {"\x80\n", Encoding::Utf8, utf8, Utf8LineRead::Other},        // a continuation alone
        {"\xE0\xA0\x80\n", Encoding::Utf8, utf8, Utf8LineRead::Line}, // U+0800
        {"\xF0\x90\x80\x80\n", Encoding::Utf8, utf8, Utf8LineRead::Line}, // U+10000
        {"\xF4\x8F\xBF\xBF\n", Encoding::Utf8, utf8, Utf8LineRead::Line}, // U+10FFFF
        {"\xED\x9F\xBF\n", Encoding::Utf8, utf8, Utf8LineRead::Line},     // U+D7FF
        {"\xED\xBF\xBF\n", Encoding::Utf8, utf8, Utf8LineRead::Other},    // U+DFFF
        {"\xEE\x80\x80\n", Encoding::Utf8, utf8, Utf8LineRead::Line},     // U+E000
        {Wide(u"a\xDFFF"), Encoding::Utf16LE, utf8, Utf8LineRead::Other}, // a lone low half
        // UTF-16LE: a CR LF inside the data and at its end, the units beside the surrogates,
        // a high half before a unit that is no low half, and a pair one unit too long.
        {Wide(u"ab\r\ncd"), Encoding::Utf16LE, utf8, Utf8LineRead::Line},
        {Wide(u"ab\r\n"), Encoding::Utf16LE, utf8, Utf8LineRead::Line},
        {Wide(u"\xD7FF\xE000\n"), Encoding::Utf16LE, utf8, Utf8LineRead::Line},
        {Wide(u"\xD800\xDBFF\n"), Encoding::Utf16LE, utf8, Utf8LineRead::Other},
        {Wide(u"\xD800\xE000\n"), Encoding::Utf16LE, utf8, Utf8LineRead::Other},
        {Wide(std::u16string(8190, u'a') + u"\U0001F600"), Encoding::Utf16LE, utf8,
         Utf8LineRead::Other},
    };
    for (const Case& c : cases) {
        TextSource s = Over(c.bytes, c.encoding);
        EXPECT_EQ(ReadLineAsUtf8(&s, c.buffer).read, c.read) << c.bytes.size();
    }
    // Units of every length of UTF-8, at the ends of each, come out as their UTF-8.
    std::u16string edges = u"\u007f\u0080\u07ff\u0800\uffff\U00010000\U0010FFFF";
    std::string edgeBytes = Wide(edges + u"\n");
    TextSource e = Over(edgeBytes, Encoding::Utf16LE);
    Utf8Line edge = ReadLineAsUtf8(&e, utf8);
    ASSERT_EQ(edge.read, Utf8LineRead::Line);
    EXPECT_EQ(std::string(edge.text, edge.bytes), U8(edges));
    // A table index out of range reads the first table, 1252's, as the reader does.
    for (int32_t table : {-1, kAnsiTableCount}) {
        std::string euro = "\x80\x83\n"; // 0x83 is in 1252 alone
        TextSource a = Over(euro, Encoding::Ansi);
        a.ansiTable = table;
        Utf8Line line = ReadLineAsUtf8(&a, utf8);
        ASSERT_EQ(line.read, Utf8LineRead::Line) << table;
        EXPECT_EQ(std::string(line.text, line.bytes), "\xE2\x82\xAC\xC6\x92") << table;
    }
    // Every byte above ASCII, in every code page, comes out as the reader decodes it.
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) {
        high += static_cast<char>(b);
    }
    high += "\n";
    std::vector<char16_t> decoded(kLineUnits);
    for (int32_t table = 0; table < kAnsiTableCount; ++table) {
        TextSource fast = Over(high, Encoding::Ansi);
        TextSource plain = Over(high, Encoding::Ansi);
        fast.ansiTable = plain.ansiTable = table;
        Utf8Line line = ReadLineAsUtf8(&fast, utf8);
        ASSERT_EQ(line.read, Utf8LineRead::Line) << table;
        ASSERT_EQ(ReadTextLine(&plain, decoded), LineRead::Line) << table;
        EXPECT_EQ(std::string(line.text, line.bytes), U8(decoded.data())) << table;
    }
    // A CR LF is one break: the next line begins after the LF.
    std::string crlf = "ab\r\ncd";
    TextSource c = Over(crlf, Encoding::Utf8);
    ASSERT_EQ(ReadLineAsUtf8(&c, utf8).read, Utf8LineRead::Line);
    Utf8Line second = ReadLineAsUtf8(&c, utf8);
    EXPECT_EQ(std::string(second.text, second.bytes), "cd");
    // The odd byte after the last whole line is left to the reader, which finds no line in it.
    std::string odd = wide + "x";
    TextSource s = Over(odd, Encoding::Utf16LE);
    ASSERT_EQ(ReadLineAsUtf8(&s, utf8).read, Utf8LineRead::Line);
    EXPECT_EQ(ReadLineAsUtf8(&s, utf8).read, Utf8LineRead::Other);
    EXPECT_EQ(s.position, 6u);
}

} // namespace
