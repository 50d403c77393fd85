// The status-bar text of one help entry, and the unit replacement it relies on.
#include "helptable/help_table.h"
#include "livehelp/help_text.h"
#include "tests/support/test_support.h"

#include <span>
#include <string>
#include <vector>

namespace {

constexpr char16_t kGuard = 0xBEEF;

// A node on the stack: ComposeHelpText reads only syntax and info.
HelpNode Node(const char* syntax, const char* info) {
    HelpNode node = {};
    node.syntax = const_cast<char*>(syntax);
    node.info = const_cast<char*>(info);
    return node;
}

// The marker and a syntax line. (Appending rather than prefixing keeps a spurious -Wrestrict
// of GCC 12 quiet.)
std::u16string Marked(const std::string& syntax) {
    std::u16string text = u"\u200B";
    text += U16(syntax);
    return text;
}

// Composes into a buffer of exactly 8,192 units followed by guard units.
struct Composition {
    std::vector<char16_t> buffer = std::vector<char16_t>(kLineUnits + 64, kGuard);
    int result = 0;

    explicit Composition(const HelpNode& node) {
        result = ComposeHelpText(&node, std::span<char16_t>(buffer.data(), kLineUnits));
    }
    std::u16string Text() const { return std::u16string(buffer.data()); }
    bool GuardsIntact() const {
        for (size_t i = kLineUnits; i < buffer.size(); ++i) {
            if (buffer[i] != kGuard) {
                return false;
            }
        }
        return true;
    }
};

TEST(ComposeHelpText, SyntaxAloneGetsTheMarkerAndNothingAfter) {
    Composition c(Node("@LEN[string]", nullptr));
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.Text(), u"\u200B@LEN[string]");
}

TEST(ComposeHelpText, InfoFollowsABreakWithMarksTurnedIntoControls) {
    Composition c(Node("@LEN[string]", "Length of a string.\u00B6\u00ACExample"));
    EXPECT_EQ(c.Text(), u"\u200B@LEN[string]\r\n\nLength of a string.\n\tExample");
    // Controls already in the info are kept; the marks count only in the info, and an empty
    // info adds no break.
    EXPECT_EQ(Composition(Node("@A[\u00B6]", "x\ry\u0001z\u00B6")).Text(),
              u"\u200B@A[\u00B6]\r\n\nx\ry\u0001z\n");
    EXPECT_EQ(Composition(Node("@A[]", "")).Text(), u"\u200B@A[]");
    // The help window shows the same lines, each ended by a line feed alone.
    HelpNode node = Node("@LEN[string]", "Length.\u00B6\u00ACExample");
    HelpContent help;
    ComposeHelp(&node, &help);
    char16_t window[64];
    EXPECT_TRUE(RenderWindowText(help, window));
    EXPECT_EQ(std::u16string(window), u"@LEN[string]\n\nLength.\n\tExample");
}

TEST(ComposeHelpText, NoSyntaxLineMeansNoText) {
    EXPECT_EQ(Composition(Node("", "Info only")).Text(), u"");
    Composition missing(Node(nullptr, "Info only"));
    EXPECT_EQ(missing.result, 0);
    EXPECT_EQ(missing.Text(), u"");
}

TEST(ComposeHelpText, MissingArgumentsWriteNothing) {
    HelpNode node = Node("@A[]", nullptr);
    char16_t text[4] = {u'k', 0};
    EXPECT_EQ(ComposeHelpText(nullptr, text), -1);
    EXPECT_EQ(text[0], u'k');
    EXPECT_EQ(ComposeHelpText(&node, {}), -1);
    EXPECT_EQ(text[0], u'k');
    HelpContent help = {};
    EXPECT_FALSE(ComposeHelp(nullptr, &help));
    EXPECT_FALSE(ComposeHelp(&node, nullptr));
    EXPECT_FALSE(RenderTitleText(help, {}));
    EXPECT_FALSE(RenderWindowText(help, {}));
}

TEST(ComposeHelpText, UnitsAboveTheBasicPlaneSurvive) {
    EXPECT_EQ(Composition(Node("@E[\xF0\x9F\x98\x80]", "caf\xC3\xA9")).Text(),
              u"\u200B@E[\U0001F600]\r\n\ncaf\u00E9");
}

// The longest syntax line and info the reader can yield do not fit together: the info is
// cut at the buffer's end, never written past it.
TEST(ComposeHelpText, TooLongATextIsCutAtTheBuffersEnd) {
    std::string syntax = "@S[" + std::string(1020, 's');    // 1,023 units
    std::string info = std::string(8190, 'i') + "\xC2\xB6"; // 8,191 units
    Composition c(Node(syntax.c_str(), info.c_str()));
    EXPECT_TRUE(c.GuardsIntact());
    std::u16string text = c.Text();
    ASSERT_EQ(text.size(), size_t(kLineUnits - 1));
    EXPECT_EQ(text.substr(0, 1024), Marked(syntax));
    EXPECT_EQ(text.substr(1024, 3), u"\r\n\n");
    EXPECT_EQ(text.find_first_not_of(u'i', 1027), std::u16string::npos);
}

TEST(ComposeHelpText, ACutNeverSplitsASurrogatePair) {
    // 1 + 3 + 3 units, then 8,183 units of info: one place is left before the terminator's,
    // and the pair needs two.
    std::string info = std::string(8183, 'i') + "\xF0\x9F\x98\x80";
    Composition c(Node("@S[", info.c_str()));
    EXPECT_TRUE(c.GuardsIntact());
    std::u16string text = c.Text();
    EXPECT_EQ(text.size(), size_t(4 + 3 + 8183));
    EXPECT_EQ(text.back(), u'i');
}

// A buffer smaller than the text holds as much of it as fits, and nothing beyond.
TEST(ComposeHelpText, SmallBuffersHoldWhatFits) {
    HelpNode node = Node("@A[x]", "info");
    std::u16string full = Composition(node).Text();
    for (size_t size = 1; size <= full.size() + 1; ++size) {
        std::vector<char16_t> buffer(size + 4, kGuard);
        EXPECT_EQ(ComposeHelpText(&node, std::span<char16_t>(buffer.data(), size)), 0);
        std::u16string text(buffer.data());
        EXPECT_EQ(text.size(), std::min(size - 1, full.size())) << size; // as much as fits
        EXPECT_EQ(full.substr(0, text.size()), text) << size;
        EXPECT_EQ(buffer[size], kGuard) << size;
    }
}

TEST(ComposeHelpText, ASyntaxLineIsReadIntoItsOwn1024Units) {
    std::string syntax = "@S[" + std::string(2000, 's');
    std::u16string text = Composition(Node(syntax.c_str(), "i")).Text();
    EXPECT_EQ(text, Marked(syntax.substr(0, 1023)) + u"\r\n\ni");
}

TEST(ReplaceChar, ReplacesEveryUnitAndCounts) {
    char16_t text[] = u"a\u00B6b\u00B6\u00B6";
    EXPECT_EQ(ReplaceChar(text, u'\u00B6', u'\n'), 3);
    EXPECT_EQ(std::u16string(text), u"a\nb\n\n");
    EXPECT_EQ(ReplaceChar(text, u'\u00B6', u'\n'), 0);
    char16_t empty[] = u"";
    EXPECT_EQ(ReplaceChar(empty, u'x', u'y'), 0);
    EXPECT_EQ(ReplaceChar(nullptr, u'x', u'y'), -1);
    EXPECT_EQ(ReplaceChar(text, u'\n', u'\n'), -1);
}

// The title's text of a node, as the title presenter renders it.
bool TitleOf(const HelpNode* node, std::span<char16_t> title) {
    HelpContent help;
    ComposeHelp(node, &help);
    return RenderTitleText(help, title);
}

} // namespace

// The console title's one line: blanks for the breaks, and a cut with an ellipsis that
// fills the title exactly and never splits a pair.
TEST(RenderTitleText, OneLineCutWithAnEllipsis) {
    struct Case {
        const char* syntax;
        std::string info; // empty: none
        std::u16string title;
    };
    // "@A[x] - " is 8 units: a pair after 149 more stands at units 157 and 158.
    std::string pairAtCut = std::string(149, 'i') + "\xF0\x9F\x98\x80" + "x";
    Case cases[] = {
        {"@A[x]", "", u"@A[x]"},
        {"@A[x]",
         "One\xC2\xB6two\xC2\xAC"
         "three\r4",
         u"@A[x] - One two three 4"},
        {"", "Info without syntax", u""},
        // 8 + 151 units: exactly 159, the most a title holds.
        {"@A[x]", std::string(151, 'i'), u"@A[x] - " + std::u16string(151, u'i')},
        {"@A[x]", std::string(152, 'i'), u"@A[x] - " + std::u16string(150, u'i') + u"\u2026"},
        {"@A[x]", pairAtCut, u"@A[x] - " + std::u16string(149, u'i') + u"\u2026"},
        // A whole pair that ends at the cut is kept.
        {"@A[x]", std::string(148, 'i') + "\xF0\x9F\x98\x80xx",
         u"@A[x] - " + std::u16string(148, u'i') + u"\U0001F600\u2026"},
        // A pair the cut would split goes, with the first or the last high surrogate.
        {"@A[x]", std::string(149, 'i') + "\xF0\x90\x80\x80" + "x",
         u"@A[x] - " + std::u16string(149, u'i') + u"\u2026"},
        {"@A[x]", std::string(149, 'i') + "\xF4\x8F\xBF\xBF" + "x",
         u"@A[x] - " + std::u16string(149, u'i') + u"\u2026"},
        // Units just outside the high surrogates at the cut are kept: U+D7FF, and a low
        // surrogate U+DC00 that ends a whole pair.
        {"@A[x]", std::string(149, 'i') + "\xED\x9F\xBFxx",
         u"@A[x] - " + std::u16string(149, u'i') + u"\xd7ff\u2026"},
        {"@A[x]", std::string(148, 'i') + "\xF0\x9F\x90\x80xx",
         u"@A[x] - " + std::u16string(148, u'i') + u"\U0001F400\u2026"},
        // A unit above the high surrogates at the cut is kept.
        {"@A[x]", std::string(149, 'i') + "\xEF\xBC\x81xx",
         u"@A[x] - " + std::u16string(149, u'i') + u"\uFF01\u2026"},
    };
    for (const Case& c : cases) {
        HelpNode node = Node(c.syntax, c.info.empty() ? nullptr : c.info.c_str());
        std::vector<char16_t> title(kTitleUnits + 8, kGuard);
        EXPECT_TRUE(TitleOf(&node, std::span<char16_t>(title.data(), kTitleUnits)));
        EXPECT_EQ(U8(title.data()), U8(c.title)) << c.syntax << " " << c.info;
        EXPECT_EQ(title[kTitleUnits], kGuard);
    }
    // Titles of one and two units: nothing, and the ellipsis alone.
    HelpNode node = Node("@A[x]", nullptr);
    char16_t tiny[3] = {kGuard, kGuard, kGuard};
    EXPECT_TRUE(TitleOf(&node, std::span<char16_t>(tiny, 1)));
    EXPECT_EQ(tiny[0], 0);
    EXPECT_EQ(tiny[1], kGuard);
    EXPECT_TRUE(TitleOf(&node, std::span<char16_t>(tiny, 2)));
    EXPECT_EQ(std::u16string(tiny), u"\u2026");
    EXPECT_EQ(tiny[2], kGuard);
}
