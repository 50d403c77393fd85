#include "base/text16.h"
#include "platform/utf8.h"
#include "tests/support/test_support.h"

namespace {

TEST(Text16, Utf8ConversionCutsAtACharacterBoundary) {
    char out[6];
    out[5] = '#';
    // "aé€": 1 + 2 + 3 bytes; with room for 5 bytes and the terminator... only "aé" fits in 5
    EXPECT_EQ(Utf16ToUtf8(u"a\u00e9\u20ac", out, 5), 3u);
    EXPECT_EQ(std::string(out), "a\xc3\xa9");
    EXPECT_EQ(out[5], '#');
    char pair[8];
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600", pair, 8), 4u);
    EXPECT_EQ(std::string(pair), "\xf0\x9f\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(u"\xd800x", pair, 8), 4u); // a lone surrogate becomes U+FFFD
    EXPECT_EQ(std::string(pair), "\xef\xbf\xbdx");
}

TEST(Text16, Utf8ToUtf16ReplacesBadBytes) {
    char16_t out[8];
    Utf8ToUtf16("a\xc3(\xed\xa0\x80", out, 8);
    EXPECT_EQ(std::u16string(out), u"a\ufffd(\ufffd\ufffd\ufffd");
    Utf8ToUtf16("\xf0\x9f\x98\x80", out, 8);
    EXPECT_EQ(std::u16string(out), u"\U0001F600");
    Utf8ToUtf16("\xf0\x9f\x98\x80", out, 2); // no room for the pair: nothing
    EXPECT_EQ(std::u16string(out), u"");
}

TEST(Text16, AppendKeepsTheTerminatorInside) {
    char16_t buffer[6] = u"ab";
    EXPECT_EQ(Str16Append(buffer, 6, u"cdefgh"), 5u);
    EXPECT_EQ(std::u16string(buffer), u"abcde");
}

TEST(Text16, CharacterClassesFollowTheFixedRulesAndTheSystemTables) {
    EXPECT_TRUE(IsLetterUnit(u'\u00e9'));
    EXPECT_FALSE(IsLetterUnit(u'\u00d7'));
    EXPECT_FALSE(IsLetterUnit(u'\u00f7'));
    EXPECT_TRUE(IsLetterUnit(u'\u0416'));
    EXPECT_TRUE(IsLetterUnit(u'\u4e2d'));
    EXPECT_FALSE(IsLetterUnit(u'\u2014'));
    EXPECT_TRUE(IsDigitUnit(u'\u00b2'));
    EXPECT_TRUE(IsDigitUnit(u'\u0663'));
    EXPECT_FALSE(IsDigitUnit(u'\u00bd'));
    EXPECT_TRUE(IsSpaceUnit(u'\u00a0'));
    EXPECT_TRUE(IsSpaceUnit(u'\u2003'));
    EXPECT_TRUE(IsSpaceUnit(u'\u3000'));
    EXPECT_FALSE(IsSpaceUnit(u'\u200b'));
    EXPECT_FALSE(IsSpaceUnit(u'\u0085'));
    EXPECT_TRUE(IsUpperUnit(u'\u00de'));
    EXPECT_TRUE(IsLowerUnit(u'\u00ff'));
}

} // namespace
