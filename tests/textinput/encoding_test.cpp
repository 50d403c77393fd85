#include "textinput/encoding.h"
#include "textinput/text_lines.h"
#include "tests/support/test_support.h"
#include "tests/textinput/source_fixture.h"

#include <string>

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
