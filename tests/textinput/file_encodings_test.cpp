#include "platform/platform.h"
#include "textinput/encoding.h"
#include "tests/textinput/source_fixture.h"
#include "textinput/text_source.h"

#include <cstring>

namespace {

// Code points, each surrogate pair made one.
std::u32string Wide32(const std::u16string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        out += c;
    }
    return out;
}

class FileEncodings : public SourceTest {
  protected:
    void TearDown() override {
        PlatformSetAnsiCodePage(0);
        SourceTest::TearDown();
    }
};

TEST_F(FileEncodings, EveryFormAndOrderWithAndWithoutMark) {
    const std::u16string text =
        u"@LEFT[string,n] - first n chars\r\ncaf\u00e9 \u20ac \u4e2d \U0001F600\n";
    const std::string utf8 = U8(text);
    const std::u16string mark = u"\uFEFF";
    const struct {
        const char* label;
        std::string bytes;
        Encoding encoding;
        uint32_t bomLength;
    } files[] = {
        {"utf8", utf8, Encoding::Utf8, 0},
        {"utf8 mark", "\xEF\xBB\xBF" + utf8, Encoding::Utf8, 3},
        {"utf16le", EncodeUtf16(text, false), Encoding::Utf16LE, 0},
        {"utf16le mark", EncodeUtf16(mark + text, false), Encoding::Utf16LE, 2},
        {"utf16be", EncodeUtf16(text, true), Encoding::Utf16BE, 0},
        {"utf16be mark", EncodeUtf16(mark + text, true), Encoding::Utf16BE, 2},
        {"utf32le", EncodeUtf32(Wide32(text), false), Encoding::Utf32LE, 0},
        {"utf32le mark", EncodeUtf32(Wide32(mark + text), false), Encoding::Utf32LE, 4},
        {"utf32be", EncodeUtf32(Wide32(text), true), Encoding::Utf32BE, 0},
        {"utf32be mark", EncodeUtf32(Wide32(mark + text), true), Encoding::Utf32BE, 4},
    };
    for (const auto& f : files) {
        TextSource s;
        ASSERT_EQ(OpenTextSource(&s, MakeFile("f.txt", f.bytes).c_str()), kOpened) << f.label;
        EXPECT_EQ(s.encoding, f.encoding) << f.label;
        EXPECT_EQ(s.bomLength, f.bomLength) << f.label;
        EXPECT_EQ(Lines(&s), (std::vector<std::string>{"@LEFT[string,n] - first n chars",
                                                       "caf\u00e9 \u20ac \u4e2d \U0001F600"}))
            << f.label;
        CloseTextSource(&s);
    }
}

TEST_F(FileEncodings, AnsiReadsThroughTheTableOfTheSystemCodePage) {
    PlatformSetAnsiCodePage(1252);
    TextSource s;
    ASSERT_EQ(OpenTextSource(&s, MakeFile("a.txt", "caf\xE9 \x80\r\n").c_str()), kOpened);
    EXPECT_EQ(s.encoding, Encoding::Ansi);
    EXPECT_EQ(Lines(&s), (std::vector<std::string>{"caf\u00e9 \u20ac"}));
    CloseTextSource(&s);

    PlatformSetAnsiCodePage(866);
    ASSERT_EQ(OpenTextSource(&s, MakeFile("b.txt", "\x8F\xE0\xA8\xA2\xA5\xE2\n").c_str()), kOpened);
    EXPECT_EQ(s.ansiCodePage, 866u);
    EXPECT_EQ(s.ansiTable, SelectAnsiTable(866));
    EXPECT_EQ(Lines(&s), (std::vector<std::string>{"\u041f\u0440\u0438\u0432\u0435\u0442"}));
    CloseTextSource(&s);

    // Bytes in memory too, into a record that held anything before; in UTF-8 by the code page,
    // a stray byte is replaced.
    const struct {
        uint32_t codePage;
        std::string bytes;
        std::string line;
    } held[] = {{866, "\x8F\xE0\n", "\u041f\u0440"}, {65001, "x\x80\n", "x\uFFFD"}};
    for (const auto& h : held) {
        PlatformSetAnsiCodePage(h.codePage);
        memset(&s, 0x5A, sizeof s);
        ASSERT_EQ(OpenTextBytes(&s, reinterpret_cast<const uint8_t*>(h.bytes.data()),
                                static_cast<uint32_t>(h.bytes.size())),
                  kOpened);
        EXPECT_EQ(Lines(&s), std::vector<std::string>{h.line}) << h.codePage;
    }
}

} // namespace
