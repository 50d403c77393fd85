#include "base/text16.h"
#include "platform/utf8.h"
#include "tests/support/test_support.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(Text16, Utf8ConversionCutsAtACharacterBoundary) {
    char out[6];
    out[5] = '#';
    // "aé€": 1 + 2 + 3 bytes; with room for 5 bytes and the terminator... only "aé" fits in 5
    EXPECT_EQ(Utf16ToUtf8(u"a\u00e9\u20ac", {out, 5}), 3u);
    EXPECT_EQ(std::string(out), "a\xc3\xa9");
    EXPECT_EQ(out[5], '#');
    char pair[8];
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600", pair), 4u);
    EXPECT_EQ(std::string(pair), "\xf0\x9f\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(u"\xd800x", pair), 4u); // a lone surrogate becomes U+FFFD
    EXPECT_EQ(std::string(pair), "\xef\xbf\xbdx");
    for (const char16_t* low : {u"\xdc00x", u"\xdfffx"}) { // each end of the low halves
        EXPECT_EQ(Utf16ToUtf8(low, pair), 4u);
        EXPECT_EQ(std::string(pair), "\xef\xbf\xbdx");
    }
    EXPECT_EQ(Utf16ToUtf8(u"\xd800\xe000", pair), 6u); // a high surrogate before no low one
    EXPECT_EQ(std::string(pair), "\xef\xbf\xbd\xee\x80\x80");
    char none = '#';
    EXPECT_EQ(Utf16ToUtf8(u"a", {&none, 0}), 0u); // no room even for the terminator
    EXPECT_EQ(none, '#');
    // The allocating form never cuts: three bytes for each unit are room enough.
    char* whole = Utf16ToUtf8Alloc(u"\u20ac\u20ac\u20ac");
    EXPECT_EQ(std::string(whole), "\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac");
    free(whole);
}

// ASCII goes four units a word: against a plain oracle, every cut and every count, with the
// words starting at each offset, so that a word never takes a byte, a NUL or a character
// too many. The sanitizer build sees any read past the count.
TEST(Text16, Utf8ConversionOfAsciiWordsMatchesOneCharacterAtATime) {
    const std::u16string text = u"abcdefg\u00e9hijklmnop\u20acqr\U0001F600stuvwxyz0123";
    std::vector<std::string> pieces; // each character's UTF-8
    for (size_t i = 0; i < text.size(); ++i) {
        size_t units = text[i] >= 0xD800 && text[i] <= 0xDBFF ? 2 : 1;
        pieces.push_back(U8(text.substr(i, units)));
        i += units - 1;
    }
    for (size_t start = 0; start < 4; ++start) {
        for (size_t capacity = 1; capacity < 48; ++capacity) {
            std::string expected;
            for (size_t k = start; k < pieces.size(); ++k) {
                if (expected.size() + pieces[k].size() + 1 > capacity) {
                    break;
                }
                expected += pieces[k];
            }
            std::u16string source = text.substr(start);
            std::vector<char> out(capacity + 1, '#');
            EXPECT_EQ(Utf16ToUtf8(source.c_str(), {out.data(), capacity}), expected.size());
            EXPECT_EQ(std::string(out.data()), expected) << start << " " << capacity;
            EXPECT_EQ(out[capacity], '#');
        }
        // A count ends the text as its terminator would; so does a NUL before it.
        std::vector<char16_t> exact(text.begin() + static_cast<long>(start), text.begin() + 9);
        char out[64];
        EXPECT_EQ(std::string(out, Utf16ToUtf8Units(exact.data(), exact.size(), out)),
                  U8(text.substr(start, 9 - start)));
        std::u16string withNul = u"abc";
        withNul += u'\0';
        withNul += u"defgh";
        EXPECT_EQ(Utf16ToUtf8Units(withNul.data(), withNul.size(), out), 3u);
        EXPECT_EQ(Utf16ToUtf8Units(u"abc", 2, out), 2u); // nor is the unit after the count
        // A count that ends between the halves of a pair ends the text there: the high half
        // alone is no character, and the low one past the count is not read.
        const char16_t pair[] = {0xD83D, 0xDE00, 0};
        EXPECT_EQ(std::string(out, Utf16ToUtf8Units(pair, 1, out)), "\xEF\xBF\xBD");
    }
}

TEST(Text16, Utf8ToUtf16ReplacesBadBytes) {
    // Each form at its limits: the shortest and longest of each length, and the ill-formed
    // byte strings just past them (an overlong form, a surrogate, a value above U+10FFFF),
    // replaced as a help file's reader replaces them.
    const struct {
        const char* bytes;
        std::u16string text;
    } cases[] = {
        {"a\xc3(\xed\xa0\x80", u"a\ufffd(\ufffd"}, // a surrogate: one for its three bytes
        {"\xf0\x9f\x98\x80", u"\U0001F600"},
        {"\x7f", u"\x7f"},
        {"\xc1\xbf", u"\ufffd\ufffd"},
        {"\xc2\x80", u"\x80"},
        {"\xdf\xbf", u"\u07ff"},
        {"\xe0\x9f\xbf", u"\ufffd\ufffd\ufffd"},
        {"\xe0\xa0\x80", u"\u0800"},
        {"\xed\x9f\xbf", u"\ud7ff"},
        {"\xed\xbf\xbf", u"\ufffd"},
        {"\xee\x80\x80", u"\ue000"},
        {"\xef\xbf\xbf", u"\uffff"},
        {"\xf0\x8f\xbf\xbf", u"\ufffd\ufffd\ufffd\ufffd"},
        {"\xf0\x90\x80\x80", u"\U00010000"},
        {"\xf4\x8f\xbf\xbf", u"\U0010FFFF"},
        {"\xf4\x90\x80\x80", u"\ufffd"}, // beyond U+10FFFF: one for the sequence
        {"\xf5\x80\x80\x80", u"\ufffd"},
        {"\xf9\x80\x80\x80", u"\ufffd\ufffd\ufffd\ufffd"}, // no lead, whatever its bits
        {"\xe0\xa0", u"\ufffd\ufffd"},
        {"\xc3\xc3\xa9", u"\ufffd\u00e9"},
    };
    char16_t out[8];
    for (const auto& c : cases) {
        Utf8ToUtf16(c.bytes, out);
        EXPECT_EQ(U8(out), U8(c.text)) << c.bytes;
        // A well-formed form converts back to the same bytes.
        char back[16];
        if (c.text.find(u'\ufffd') == std::u16string::npos) {
            Utf16ToUtf8(c.text.c_str(), back);
            EXPECT_EQ(std::string(back), c.bytes);
        }
    }
    Utf8ToUtf16("\xf0\x9f\x98\x80", {out, 2}); // no room for the pair: nothing
    EXPECT_EQ(std::u16string(out), u"");
    char16_t none = u'#';
    EXPECT_EQ(Utf8ToUtf16("a", {&none, 0}), 0u); // no room even for the terminator
    EXPECT_EQ(none, u'#');
}

TEST(Text16, ComparisonsOrderByUnit) {
    EXPECT_EQ(Str16Compare(u"ab", u"b"), -1);
    EXPECT_EQ(Str16Compare(u"ab", u"a"), 1);
    EXPECT_EQ(Str16CompareNoCase(u"ab", u"B"), -1);
    EXPECT_EQ(Str16CompareNoCase(u"Ab", u"a"), 1);
    EXPECT_EQ(Str16CompareNoCase(u"aB", u"Ab"), 0);
    EXPECT_NE(Str16CompareNoCase(u"\u00e9", u"\u00c9"), 0); // ASCII letters only
}

TEST(Text16, AppendKeepsTheTerminatorInside) {
    char16_t buffer[6] = u"ab";
    EXPECT_EQ(Str16Append(buffer, u"cdefgh"), 5u);
    EXPECT_EQ(std::u16string(buffer), u"abcde");
    // A buffer without a terminator gets one in its last unit, and nothing more.
    char16_t full[4] = {u'w', u'x', u'y', u'z'};
    EXPECT_EQ(Str16Append(full, u"more"), 3u);
    EXPECT_EQ(std::u16string(full), u"wxy");
    EXPECT_EQ(Str16Append({full, 0}, u"more"), 0u);
    EXPECT_EQ(Str16Append(std::span<char16_t>{}, u"more"), 0u);
    EXPECT_EQ(Str16UpperAscii(nullptr), nullptr);
}

TEST(Text16, CharacterClassesFollowTheFixedRulesAndTheSystemTables) {
    // The fixed rules below U+0100 at each end of their ranges, and the system's above.
    const struct {
        char16_t unit;
        bool letter, digit, space, upper, lower;
    } cases[] = {
        {u'Z', true, false, false, true, false},
        {u'a', true, false, false, false, true},
        {u'z', true, false, false, false, true},
        {u'\u00bf', false, false, false, false, false},
        {u'\u00c0', true, false, false, true, false},
        {u'\u00d7', false, false, false, false, false},
        {u'\u00de', true, false, false, true, false},
        {u'\u00df', true, false, false, false, true},
        {u'\u00e9', true, false, false, false, true},
        {u'\u00f7', false, false, false, false, false},
        {u'\u00ff', true, false, false, false, true},
        {u'\u0100', true, false, false, true, false}, // the first unit the system types
        {u'\u0416', true, false, false, true, false},
        {u'\u4e2d', true, false, false, false, false},
        {u'\u2014', false, false, false, false, false},
        {u'\u00b2', false, true, false, false, false},
        {u'\u00b3', false, true, false, false, false},
        {u'\u00b9', false, true, false, false, false},
        {u'\u00b4', false, false, false, false, false},
        {u'\u0663', false, true, false, false, false},
        {u'\u00bd', false, false, false, false, false},
        {u'\u00a0', false, false, true, false, false},
        {u'\u2003', false, false, true, false, false},
        {u'\u3000', false, false, true, false, false},
        {u'\u200b', false, false, false, false, false},
        {u'\u0085', false, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.unit));
        EXPECT_EQ(IsLetterUnit(c.unit), c.letter);
        EXPECT_EQ(IsDigitUnit(c.unit), c.digit);
        EXPECT_EQ(IsSpaceUnit(c.unit), c.space);
        EXPECT_EQ(IsUpperUnit(c.unit), c.upper);
        EXPECT_EQ(IsLowerUnit(c.unit), c.lower);
    }
}

} // namespace
