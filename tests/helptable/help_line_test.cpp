#include "base/text16.h"
#include "helptable/help_line.h"
#include "tests/support/test_support.h"

#include <cstring>
#include <string>

namespace {

struct Parsed {
    int result;
    std::u16string name, syntax, info;
};

Parsed Parse(const std::u16string& line) {
    char16_t name[kNameUnits];
    char16_t syntax[kSyntaxUnits];
    char16_t info[kLineUnits];
    int result = ParseHelpLine(name, line.c_str(), syntax, info);
    if (result <= 0) {
        return {result, name, u"", u""};
    }
    return {result, name, syntax, info};
}

int Count(const std::u16string& line) {
    char16_t name[kNameUnits];
    return ParseHelpLine(name, line.c_str(), nullptr, nullptr);
}

// The UTF-8 form of a line that the reader would pass as UTF-8 (well-formed, shorter than a
// line's limit), parsed by the UTF-8 parser: false where that parser leaves it to the UTF-16
// one; otherwise the same verdict, name and texts as the case expects.
bool SameInUtf8(const std::u16string& line, int result, const std::u16string& name,
                const std::u16string& syntax, const std::u16string& info) {
    std::string bytes = U8(line);
    if (line.size() >= kLineUnits || U16(bytes) != line) {
        return false;
    }
    char16_t parsedName[kNameUnits];
    HelpLineParts parts = {};
    Utf8HelpLine verdict = ParseHelpLineUtf8(bytes.data(), bytes.size(), parsedName, &parts);
    if (verdict == Utf8HelpLine::Other) {
        return false;
    }
    EXPECT_EQ(verdict == Utf8HelpLine::Entry, result > 0);
    EXPECT_EQ(U8(parsedName), U8(name));
    if (result > 0) {
        std::string kept = bytes.substr(0, parts.syntax);
        for (size_t i = parts.nameStart; i < parts.nameStart + parts.nameBytes; ++i) {
            kept[i] = static_cast<char>(UpperAscii(static_cast<uint8_t>(kept[i])));
        }
        EXPECT_EQ(kept, U8(syntax));
        EXPECT_EQ(bytes.substr(parts.infoStart, parts.info), U8(info));
    }
    return true;
}

TEST(HelpLine, SampleLines) {
    struct Case {
        std::u16string line;
        int result;
        std::u16string name, syntax, info;
    } cases[] = {
        {u"@left[n,string] - Returns the leftmost n characters", 4, u"LEFT", u"@LEFT[n,string]",
         u"Returns the leftmost n characters"},
        {u"  @Left[n,string]: Leftmost characters", 4, u"LEFT", u"  @LEFT[n,string]",
         u"Leftmost characters"},
        {u"@if[cond,@eval[1+1],no] -- Conditional value", 2, u"IF", u"@IF[cond,@eval[1+1],no]",
         u"Conditional value"},
        {u"@x[a] \u2014 text", 1, u"X", u"@X[a]", u"text"},
        {u"@x[a]text", 1, u"X", u"@X[a]", u"text"},
        {u"@x[a] ---:text", 1, u"X", u"@X[a]", u":text"},
        {u"@date[]", 4, u"DATE", u"@DATE[]", u""},
        {u"@x[a] --", 1, u"X", u"@X[a]", u""},
        {u"@x[a[b] text", 1, u"X", u"@X[a[b] text", u""},
        {u"@my_func$2[s]", 9, u"MY_FUNC$2", u"@MY_FUNC$2[s]", u""},
        {u"@\u00e9lan[x]", 4, u"\u00e9LAN", u"@\u00e9LAN[x]", u""},
        {u"@x [a]", 0, u"", u"", u""},
        {u"@1x[a]", 0, u"", u"", u""},
        {u"@_tmp[a]", 0, u"", u"", u""},
        {u"@abc-def[x]", 0, u"", u"", u""},
        {u"see @left[n,string]", 0, u"", u"", u""},
        // More of the same kind.
        {u"", 0, u"", u"", u""},
        {u" \t\u00a0\u3000 ", 0, u"", u"", u""},
        {u"\t\u3000@x[a]\u3000:\u3000text \u00b6 more\u00ac", 1, u"X", u"\t\u3000@X[a]",
         u"text \u00b6 more\u00ac"},
        {u"@x[a] \u2212 minus", 1, u"X", u"@X[a]", u"\u2212 minus"},
        {u"@x[a] \u2010\u2010 two", 1, u"X", u"@X[a]", u"\u2010 two"},
        {u"@x[a] \u2015 bar", 1, u"X", u"@X[a]", u"bar"},
        {u"@x[a] \u2016 not", 1, u"X", u"@X[a]", u"\u2016 not"},
        {u"@x[a] \u200f not", 1, u"X", u"@X[a]", u"\u200f not"},
        {u"@x[a] :: two", 1, u"X", u"@X[a]", u": two"},
        {u"@x[\"]\"] q", 1, u"X", u"@X[\"]", u"\"] q"}, // quotes do not hide brackets
        {u"@a\u00b2b[]", 3, u"A\u00b2B", u"@A\u00b2B[]", u""},
        {u"@\u0436\u0416[]", 2, u"\u0436\u0416", u"@\u0436\u0416[]", u""},
        {u"@x\u00d7[]", 0, u"", u"", u""},
        {u"@x", 0, u"", u"", u""},
        {u"@" + std::u16string(48, u'a') + u"[x]", 0, u"", u"", u""}, // too long a name
        {u"@", 0, u"", u"", u""},
        {u"@[x] - no name", 0, u"", u"", u""},
        // A description is cut to its buffer, never inside a pair; a lone high surrogate that
        // ends the line is kept as it is.
        {u"@x[a] - t\xd800", 1, u"X", u"@X[a]", u"t\xd800"},
        {u"@x[a] " + std::u16string(9000, u'd'), 1, u"X", u"@X[a]", std::u16string(8191, u'd')},
        {u"@x[a] " + std::u16string(8190, u'd') + u"\U0001F600", 1, u"X", u"@X[a]",
         std::u16string(8190, u'd')},
        {u"@x[a] " + std::u16string(8189, u'd') + u"\U0001F600!", 1, u"X", u"@X[a]",
         std::u16string(8189, u'd') + u"\U0001F600"},
        // The units just below and just above the high surrogates are kept at the cut.
        {u"@x[a] " + std::u16string(8190, u'd') + u"\xd7ff!", 1, u"X", u"@X[a]",
         std::u16string(8190, u'd') + u"\xd7ff"},
        {u"@x[a] " + std::u16string(8190, u'd') + u"\xdc00!", 1, u"X", u"@X[a]",
         std::u16string(8190, u'd') + u"\xdc00"},
        // The first and the last high surrogate.
        {u"@x[a] " + std::u16string(8190, u'd') + u"\U00010000", 1, u"X", u"@X[a]",
         std::u16string(8190, u'd')},
        {u"@x[a] " + std::u16string(8190, u'd') + u"\U0010FFFF", 1, u"X", u"@X[a]",
         std::u16string(8190, u'd')},
        // Decided in UTF-8: the last character and those next to the surrogates where a
        // description begins, a name that runs into DEL, and the longest uncut syntax line.
        {u"@x[a] \U0010FFFF", 1, u"X", u"@X[a]", u"\U0010FFFF"},
        {u"@x[a] \xd7ff", 1, u"X", u"@X[a]", u"\xd7ff"},
        {u"@x[a] \xe000", 1, u"X", u"@X[a]", u"\xe000"},
        {u"@x\x7f[a]", 0, u"", u"", u""},
        {u"@f[" + std::u16string(1019, u'b') + u"]", 1, u"F",
         u"@F[" + std::u16string(1019, u'b') + u"]", u""},
    };
    int decidedInUtf8 = 0;
    for (const Case& c : cases) {
        Parsed p = Parse(c.line);
        SCOPED_TRACE(U8(c.line));
        EXPECT_EQ(p.result, c.result);
        EXPECT_EQ(U8(p.name), U8(c.name));
        EXPECT_EQ(U8(p.syntax), U8(c.syntax));
        EXPECT_EQ(U8(p.info), U8(c.info));
        // The counting form agrees on what is an entry, and so does the UTF-8 parser.
        EXPECT_EQ(Count(c.line), c.result);
        decidedInUtf8 += SameInUtf8(c.line, c.result, c.name, c.syntax, c.info);
    }
    EXPECT_EQ(decidedInUtf8, 34);
    // Bytes that are not UTF-8, where it would read a blank or a separator, or no line at
    // all: left to the UTF-16 parser.
    for (const char* line :
         {"\xC0\xA0@x[]", "\xE2\x80", "@x[a] \xED\xA0\x80 d", "@x[a]\xC2\xA0\xF4\x90\x80\x80",
          "@x[a] -\xE2\x80\x80\x80", "@x[a] \xED\xBF\xBF d"}) {
        char16_t name[kNameUnits];
        HelpLineParts parts = {};
        EXPECT_EQ(ParseHelpLineUtf8(line, strlen(line), name, &parts), Utf8HelpLine::Other) << line;
    }
    HelpLineParts parts = {};
    EXPECT_EQ(ParseHelpLineUtf8(nullptr, 0, nullptr, &parts), Utf8HelpLine::Other);
    // The line ends at its length, whatever the bytes after it.
    char16_t name[kNameUnits];
    EXPECT_EQ(ParseHelpLineUtf8("@x[] d", 2, name, &parts), Utf8HelpLine::NotEntry);
}

TEST(HelpLine, NamesUpToFortySevenUnits) {
    std::u16string name47(47, u'a');
    Parsed p = Parse(u"@" + name47 + u"[x] d");
    EXPECT_EQ(p.result, 47);
    EXPECT_EQ(p.name, std::u16string(47, u'A'));
    EXPECT_EQ(Parse(u"@" + name47 + u"b[x] d").result, 0);
    EXPECT_EQ(Count(u"@" + name47 + u"b[x] d"), 0);
    EXPECT_EQ(Parse(u"@" + std::u16string(3000, u'a') + u"[x]").result, 0);
}

TEST(HelpLine, MissingArgumentsAndUntouchedBuffers) {
    char16_t name[kNameUnits] = u"old";
    char16_t syntax[kSyntaxUnits] = u"keep";
    char16_t info[kLineUnits] = u"keep";
    EXPECT_EQ(ParseHelpLine(nullptr, u"@x[a]", syntax, info), -1);
    EXPECT_EQ(ParseHelpLine(name, nullptr, syntax, info), -1);
    EXPECT_EQ(ParseHelpLine(name, u"not an entry", syntax, info), 0);
    EXPECT_EQ(std::u16string(name), u"");
    EXPECT_EQ(std::u16string(syntax), u"keep");
    EXPECT_EQ(std::u16string(info), u"keep");
    // Either buffer may be absent.
    EXPECT_EQ(ParseHelpLine(name, u"@ab[c] - d", nullptr, info), 2);
    EXPECT_EQ(std::u16string(info), u"d");
    EXPECT_EQ(ParseHelpLine(name, u"@ab[c] - d", syntax, nullptr), 2);
    EXPECT_EQ(std::u16string(syntax), u"@AB[c]");
    // Without a verdict to fill, the explaining form is the plain one.
    EXPECT_EQ(ParseHelpLineVerdict(name, u"@abc[d] - e", syntax, info, nullptr), 3);
    EXPECT_EQ(std::u16string(info), u"e");
    // A line with no description empties a buffer that held one.
    EXPECT_EQ(ParseHelpLine(name, u"@ab[c]", syntax, info), 2);
    EXPECT_EQ(std::u16string(info), u"");
}

// A syntax line too long for its 1,024-unit buffer is cut to 1,023 units; the line stays an
// entry in both forms and its description is still found after the balancing "]".
TEST(HelpLine, LongSyntaxLinesAreCut) {
    std::u16string args(2000, u'a');
    std::u16string line = u"@long[" + args + u"] - tail";
    char16_t name[kNameUnits];
    char16_t syntax[kSyntaxUnits + 8];
    char16_t info[kLineUnits];
    for (char16_t& unit : syntax) {
        unit = u'#';
    }
    EXPECT_EQ(ParseHelpLine(name, line.c_str(), syntax, info), 4);
    EXPECT_EQ(Count(line), 4);
    EXPECT_EQ(std::u16string(syntax), line.substr(0, 1023).replace(1, 4, u"LONG"));
    EXPECT_EQ(syntax[kSyntaxUnits], u'#');
    EXPECT_EQ(std::u16string(info), u"tail");

    // Exactly 1,023 units fit whole.
    std::u16string fits = u"@f[" + std::u16string(1019, u'b') + u"]";
    ASSERT_EQ(fits.size(), 1023u);
    EXPECT_EQ(Parse(fits + u" d").syntax, u"@F[" + std::u16string(1019, u'b') + u"]");
    // So does a line that ends unbalanced in a high surrogate there.
    EXPECT_EQ(Parse(u"@f[" + std::u16string(1019, u'b') + u"\xd800").syntax.size(), 1023u);

    // One unit more is cut to the same 1,023, and the buffer's end is kept.
    std::u16string over = u"@f[" + std::u16string(1020, u'b') + u"]";
    EXPECT_EQ(ParseHelpLine(name, over.c_str(), syntax, info), 1);
    EXPECT_EQ(std::u16string(syntax), u"@F" + over.substr(2, 1021));
    EXPECT_EQ(syntax[kSyntaxUnits], u'#');

    // The cut never splits a surrogate pair.
    std::u16string pairs = u"@p[";
    while (pairs.size() < 1022) {
        pairs += u"x";
    }
    pairs += u"\U0001F600\U0001F600]";
    Parsed p = Parse(pairs);
    EXPECT_EQ(p.syntax.size(), 1022u);
    EXPECT_EQ(p.syntax.back(), u'x');

    // A pair that ends just inside the buffer is kept whole.
    pairs = u"@p[" + std::u16string(1018, u'x') + u"\U0001F600\U0001F600]";
    p = Parse(pairs);
    EXPECT_EQ(p.syntax.size(), 1023u);
    EXPECT_EQ(p.syntax.back(), u'\xde00');

    // An indent longer than the buffer leaves a syntax of blanks, but the entry is kept.
    Parsed indented = Parse(std::u16string(1500, u' ') + u"@x[a] d");
    EXPECT_EQ(indented.result, 1);
    EXPECT_EQ(indented.syntax.size(), 1023u);
    EXPECT_EQ(indented.info, u"d");
}

} // namespace
