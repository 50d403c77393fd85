// The reference shell's status bar row: how a help text is flattened and cut to the width.
#include "host/shell/status_render.h"

#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <string>

namespace {

struct Rendered {
    std::string text;
    int columns;
};

Rendered Render(const char16_t* text, int columns) {
    char out[1024];
    int used = RenderStatusRow(text, columns, out, sizeof out);
    return {out, used};
}

TEST(StatusRender, PlainTextIsShownAsItIs) {
    Rendered r = Render(u"Ready", 80);
    EXPECT_EQ(r.text, "Ready");
    EXPECT_EQ(r.columns, 5);
}

TEST(StatusRender, HelpTextBreaksBecomeSeparatorsAndTabsBlanks) {
    // A composed help text: zero width space, syntax, CR LF LF, description with a break
    // and a tab.
    Rendered r = Render(u"\u200B@LEFT[n,string]\r\n\nFirst n characters.\nn\tcount", 80);
    EXPECT_EQ(r.text, "@LEFT[n,string] \u2502 First n characters. \u2502 n   count");
    // Breaks at the start or the end show nothing.
    EXPECT_EQ(Render(u"\n\nabc\r\n", 80).text, "abc");
}

TEST(StatusRender, TerminalControlsInTheTextAreDropped) {
    EXPECT_EQ(Render(u"a\x1b[2Jb\x07\x9b"
                     "c",
                     80)
                  .text,
              "a[2Jbc");
}

TEST(StatusRender, TextCutToTheWidthEndsWithAnEllipsis) {
    EXPECT_EQ(Render(u"0123456789", 10).text, "0123456789"); // fits exactly: not cut
    Rendered r = Render(u"0123456789A", 10);
    EXPECT_EQ(r.text, "012345678\u2026");
    EXPECT_EQ(r.columns, 10);
    EXPECT_EQ(Render(u"abc", 1).text, "\u2026");
    EXPECT_EQ(Render(u"abc", 0).text, "");
}

TEST(StatusRender, WideCharactersTakeTwoColumns) {
    Rendered r = Render(u"\u65E5\u672C\u8A9E", 5); // three wide characters, six columns
    EXPECT_EQ(r.text, "\u65E5\u672C\u2026");
    EXPECT_EQ(r.columns, 5);
    EXPECT_EQ(Render(u"e\u0301", 80).columns, 1); // a combining accent stays, in no column
}

TEST(StatusRender, SurrogatesAreDecodedOrReplaced) {
    EXPECT_EQ(Render(u"\U0001F600", 80).text, "\U0001F600");
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    EXPECT_EQ(Render(lone, 80).text, "a\uFFFDb");
}

TEST(StatusRender, NeverWritesPastASmallBuffer) {
    char out[16];
    memset(out, 'x', sizeof out);
    RenderStatusRow(u"\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9", 80, out, 8);
    EXPECT_LT(strlen(out), 8u);
    EXPECT_EQ(out[8], 'x');
    EXPECT_EQ(RenderStatusRow(nullptr, 80, out, sizeof out), 0);
    EXPECT_STREQ(out, "");
}

} // namespace

// The help box's rows: a word longer than a row breaks where the row ends, a wide character
// that would straddle the edge goes to the next row, and the last row makes room for the "…"
// that says more was cut. Emphasis marks take no column: their run is bold in each row it
// reaches, and closes before the "…".
TEST(StatusRender, HelpTextWrapsToTheBoxAndSaysWhereItIsCut) {
    BoxRow rows[10];
    auto wrap = [&](const char16_t* text, int columns, size_t most) {
        std::string out;
        int count = WrapHelpText(text, columns, std::span<BoxRow>(rows, most));
        for (int i = 0; i < count; ++i) {
            EXPECT_LE(rows[i].columns, columns) << rows[i].text;
            out += rows[i].text + "|";
        }
        return out;
    };
    EXPECT_EQ(wrap(u"ab abcdefgh\n\tx", 5, 4), "ab|abcde|fgh|    x|");
    EXPECT_EQ(wrap(u"abcd \u65E5\u672C", 5, 4), "abcd|\u65E5\u672C|");
    EXPECT_EQ(wrap(u"abcde fghij klm", 5, 2), "abcde|fghi\u2026|");
    EXPECT_EQ(wrap(u"abc\n\nd", 5, 2), "abc|\u2026|");
    EXPECT_EQ(wrap(u"a\u000Ebcd\u000Fe f", 5, 4), "a\x1b[1mbcd\x1b[22me|f|");
    EXPECT_EQ(wrap(u"ab \u000Ecd efgh\u000F", 5, 4), "ab \x1b[1mcd\x1b[22m|\x1b[1mefgh\x1b[22m|");
    EXPECT_EQ(wrap(u"ab \u000Ecdefgh ij\u000F", 5, 2), "ab|\x1b[1mcdef\x1b[22m\u2026|");
    // A list of names, one to a line, whole when the box has room and cut when it has not.
    const char16_t* names = u"A1\nA2\nA3\nA4\nA5\nA6\nA7\nA8\n\u2026 and 4 more";
    EXPECT_EQ(wrap(names, 14, 9), "A1|A2|A3|A4|A5|A6|A7|A8|\u2026 and 4 more|");
    EXPECT_EQ(wrap(names, 14, 3), "A1|A2|A3\u2026|");
}
