// The checker on small files, one group of cases per kind of finding: each case names the
// findings it must give, by line, column, severity and code, and no others.
#include "checker/encoding_advice.h"
#include "checker/file_check.h"
#include "checker/file_replace.h"
#include "checker/input_spool.h"
#include "checker/options.h"
#include "checker/report.h"
#include "checker/show.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "plugin/exports.h"
#include "tests/textinput/pipe_writer.h"
#include "tests/textinput/source_fixture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kBom = "\xEF\xBB\xBF";

class Checker : public SourceTest {
  protected:
    void TearDown() override {
        PlatformSetAnsiCodePage(0);
        SourceTest::TearDown();
    }

    // "line:column severity code" of each finding but the encoding note, in order; the
    // messages of all of them in messages_.
    std::vector<std::string> Check(const std::string& bytes, bool withNote = false) {
        FindingList findings = {};
        findings.optIn = optIn_;
        CheckResult result = {};
        EXPECT_EQ(CheckHelpFile(MakeFile("help.txt", bytes).c_str(), &findings, &result), 0);
        SortFindings(&findings);
        std::vector<std::string> out;
        messages_.clear();
        sources_.clear();
        for (uint32_t i = 0; i < findings.count; ++i) {
            const Finding& f = findings.items[i];
            messages_ += U8(f.message) + "\n";
            if (f.source) {
                sources_.push_back(std::to_string(f.caret) + ":" + U8(f.source));
            }
            if (!withNote && f.severity == kSeverityNote && U8(f.code) == "encoding") {
                continue;
            }
            out.push_back(std::to_string(f.line) + ":" + std::to_string(f.column) + " " +
                          U8(SeverityName(f.severity)) + " " + U8(f.code));
        }
        functions_ = result.count;
        ReleaseCheckResult(&result);
        ReleaseFindings(&findings);
        return out;
    }

    struct Case {
        std::string bytes;
        std::vector<std::string> found;
    };
    // Each case followed by a line of a sound entry, so that every file has one.
    void ExpectCases(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.bytes.substr(0, 80));
            EXPECT_EQ(Check(c.bytes + "\n@ok[] - sound"), c.found);
        }
    }

    std::string messages_;
    std::vector<std::string> sources_; // "caret:source" of each finding that has a source
    uint32_t functions_ = 0;
    CodeSet optIn_ = 0; // the codes off by default that Check looks for
};

using Found = std::vector<std::string>;

TEST_F(Checker, LinesMeantAsEntriesThatArePassedOver) {
    std::string name47(47, 'a');
    ExpectCases({
        {"@" + name47 + "[x] - fits", {}},
        {"@" + name47 + "b[x] - d", {"1:2 error name-too-long"}},
        {"@1x[a] - d", {"1:2 error name-start"}},
        {"  @_tmp[a]", {"1:4 error name-start"}},
        {"@$x [a]", {"1:2 error name-start"}},
        {"@abc-def[x] - d", {"1:5 error name-character"}},
        {kBom + "@x\xC3\x97[] - d", {"1:3 error name-character"}},
        {"@x [a] - d", {"1:3 error no-bracket"}},
        {"@DATE - today's date", {"1:6 error no-bracket"}},
        {"@DATE", {"1:6 error no-bracket"}},
        {"@LEFT(n,string) - d", {"1:6 error no-bracket"}},
        // An "@" that the plug-in does not see where it looks, or a name it does not reach.
        {kBom + kBom + "@B[x] - d", {"1:1 error marker"}},
        {kBom + "  \xE2\x80\x8B@C[x]", {"1:3 error marker"}},
        {kBom + "\xC2\xAD@C[x]", {"1:1 error marker"}},
        {kBom + "\xE2\x80\x8C\xE2\x80\x8D\xE2\x80\x8E\xE2\x81\xA0@C[x]", {"1:1 error marker"}},
        {"@ A[x] - d", {"1:2 error marker"}},
        {"@ " + std::string(48, 'n') + "[x] - d", {"1:2 error marker"}},
        {"@ " + std::string(49, 'n') + "[x] - d", {}}, // past the longest name it follows
        {"%@B[x] - d", {"1:1 error marker"}},
        {"@@C[x] - d", {"1:2 error marker"}},
        {kBom + "@\xE2\x82\xAC"
                "D[x] - d",
         {"1:2 error marker"}},
        {kBom + "\xEF\xBC\xA0H[x]", {"1:1 error marker"}},
        {kBom + "@I\xEF\xBC\xBBx]", {"1:3 error marker"}},
        {kBom + "@I\xEF\xBC\xBB[x]", {"1:3 error marker"}}, // one finding, though "[" follows
        {kBom + "@x\xF0\x9F\x98\x80[a]", {"1:3 error name-character"}},
        {kBom + "@x\xEE\x80\x80[a]", {"1:3 error name-character"}},
        // Ordinary text: headings, notes, and notes that begin with a name.
        {"# Strings\r\n\r\nsee @left[n]\r\n@LEFT is the first\r\n@LEFT, @RIGHT and @MID\r\n"
         "@ 5 blanks\r\n@5pm meeting\r\n@LEFT-handed\r\n@ LEFT is a function",
         {}},
    });
    // The wording of markers and brackets: a second "@", a blank after the "@", a name of 40
    // units quoted whole, a blank before the "[", and a blank with no "[" after it.
    Check("@@C[x] - d\n@ " + std::string(40, 'n') + "[x]\n@x [a] - d\n@DATE - d\n@ok[]");
    for (const std::string& said : std::vector<std::string>{
             "\"@@C\": the plug-in takes one \"@\"",
             "a blank between \"@\" and \"" + std::string(40, 'n') + "\": the line",
             "white space between \"@x\" and its \"[\"", "no \"[\" after \"@DATE\""}) {
        EXPECT_NE(messages_.find(said), std::string::npos) << messages_;
    }
    // A control is named by its number; so is a character beyond U+FFFF, never quoted half by
    // half, whatever its high surrogate; a lone low surrogate after a character is no pair.
    const std::pair<std::string, std::string> named[] = {
        {"@x\x7f[a] - d", "U+007F may not stand"},
        {kBom + "@x\xF0\x9F\x98\x80[a]", "U+1F600 may not stand"},
        {kBom + "@x\xF0\x90\x80\x80[a]", "U+10000 may not stand"},
        {kBom + "@x\xF4\x8F\xBF\xBF[a]", "U+10FFFF may not stand"},
        {kBom + "@x\xC2\x9F[a]", "U+009F may not stand"},
        {"\xFF\xFE" + EncodeUtf16(u"@x-\xDC00[a]", false), "\"-\" may not stand"},
        {"\xFF\xFE" + EncodeUtf16(u"@x\xD800[a]", false), "U+D800 may not stand"},
        {"\xFF\xFE" + EncodeUtf16(u"@x\xDFFF[a]", false), "U+DFFF may not stand"},
    };
    for (const auto& [bytes, message] : named) {
        Check(bytes + "\n@ok[]");
        EXPECT_NE(messages_.find(message), std::string::npos) << messages_;
    }
}

TEST_F(Checker, EntriesThatSurprise) {
    ExpectCases({
        {"@x[a[b] text", {"1:3 warning unbalanced"}},
        {"@NEG[n] -1 when missing", {"1:9 warning separator"}},
        {kBom + "@NEG[n] \xE2\x80\x90"
                "1",
         {"1:9 warning separator"}},
        // A figure dash reads as a minus sign; an en dash is a separator meant as one.
        {kBom + "@NEG[n] \xE2\x80\x92"
                "1",
         {"1:9 warning separator"}},
        {kBom + "@NEG[n] \xE2\x80\x93"
                "1",
         {}},
        {"@x[a] - -1 when missing\n@y[a] --- d\n@z[a] :1", {}},
        {"@TODAY[]\n@NOW[] --", {"1:1 note no-description", "2:1 note no-description"}},
        {"@SYN[a]] - x", {"1:8 warning debris"}},
        {"@F[a] ) x", {"1:7 warning debris"}},
        // Columns count characters: the pair before the bell is one.
        {kBom + "@E[x] - \xF0\x9F\x98\x80\x07", {"1:10 warning control"}},
        {"@B[] - a\x07"
         "b",
         {"1:9 warning control"}},
        // U+009F, the last of the C1 controls.
        {kBom + "@B[] - a\xC2\x9F"
                "b",
         {"1:9 warning control"}},
        {"@B[]\x0b- d", {}}, // between the syntax line and the description: never shown
        {"@B[]\x7f - tab\tok\x1b", {"1:5 warning control"}},
    });
    EXPECT_NE(messages_.find("2 control characters, the first U+007F"), std::string::npos)
        << messages_;
    // An argument without its own line: a line of the description that begins with its name
    // and a tab. Looked for only when asked, in the lines that win.
    const std::string br = "\xC2\xB6"; // a pilcrow and a not sign, in UTF-8
    const std::string tab = "\xC2\xAC";
    std::string own =
        "@L[n,string] - first" + br + "n" + tab + "count" + br + "string" + tab + "text";
    ExpectCases({{own, {}}, {"@A[n,s] - a", {}}});
    optIn_ = CodesOffByDefault();
    ExpectCases({
        {own, {}},
        {"@L[n,string] - first" + br + "string" + tab + "text", {"1:1 warning argument-line"}},
        {"@A[n,s] - a", {"1:1 warning argument-line"}},
        {"@A[n,s] - a\n@A[n] - a", {"1:1 warning duplicate", "2:1 warning argument-line"}},
        // A nested optional part stays with its argument, which it does not name.
        {"@C[[chars,]string] - c" + br + "chars" + tab + "x", {}},
        {"@I[s,t[,n]] - c" + br + "n" + tab + "x" + br + "s" + tab + "x",
         {"1:1 warning argument-line"}},
        // No arguments, an argument without a name, a name that only begins a line, and an
        // unbalanced line, whose arguments do not end.
        {"@T[] - t\n@U[ ,...] - u", {}},
        {"@V[n] - n is" + br + "nn" + tab + "x" + br + "n x", {"1:1 warning argument-line"}},
        {"@W[a,b", {"1:3 warning unbalanced"}},
        {"@TODAY[]\n@F[x,y]",
         {"1:1 note no-description", "2:1 note no-description", "2:1 warning argument-line"}},
    });
    EXPECT_NE(messages_.find("@F: arguments 1 (x) and 2 (y) have no line of their own"),
              std::string::npos)
        << messages_;
    Check("@A[n,s,t] - a" + br + "s" + tab + "x");
    EXPECT_NE(messages_.find("@A: arguments 1 (n) and 3 (t) have no line"), std::string::npos);
    Check("@A[n,s] - a" + br + "n" + tab + "x");
    EXPECT_NE(messages_.find("@A: argument 2 (s) has no line of its own: no line of the "
                             "description begins with \"s\" and a tab\n"),
              std::string::npos)
        << messages_;
    optIn_ = 0;
    Check("@I[s,t[,n]] - c" + br + "n" + tab + "x" + br + "s" + tab + "x");
    EXPECT_EQ(messages_.find("argument"), std::string::npos) << messages_;
    // A quotation cut at its length never keeps half of a pair, and keeps whole characters.
    for (std::string cut : {"\xF0\x9F\x98\x80", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBD", "aa"}) {
        Check(kBom + "@N[n] -" + std::string(39, 'a') + cut + " tail");
        std::string kept = std::string(39, 'a') + (cut == "aa" ? "a" : "");
        EXPECT_NE(messages_.find("begins \"" + kept + "\xE2\x80\xA6\""), std::string::npos)
            << messages_;
    }
}

// A line that names codes leaves their findings out of the line after it, and only there.
TEST_F(Checker, SuppressionLines) {
    std::string many;
    for (int i = 0; i < 20; ++i) {
        many += "# hintbar-check: ignore\n@1x[a]\n";
    }
    ExpectCases({
        {"# hintbar-check: ignore duplicate\n@a[1]\n@a[2] - d", {}},
        {"@a[1] - x\n  # hintbar-check: ignore\n@1x[a] -1\n@a[2] - y", {"1:1 warning duplicate"}},
        {"# hintbar-check: ignore separator, nul\n@N[n] -1 x\n@M[n] -1 y",
         {"3:7 warning separator"}},
        {"# hintbar-check: ignore name-start\n@N[n] -1 x", {"2:7 warning separator"}},
        {"# hintbar-check: ignore nul\tseparator duplicate\n@N[n] -1 x", {}},
        {"# hintbar-check: ignore nosuch,separator\n@N[n] -1 x", {}}, // no code read: all
        {"# hintbar-check: ignore open\n@N[n] -1 x", {"2:7 warning separator"}}, // the first code
        {many, {}},
    });
}

TEST_F(Checker, ARepeatedNameNamesTheLineThatWins) {
    EXPECT_EQ(Check("@a[1] - one\n@b[] - b\n@A[2] - two\n@a[3] - three"),
              (Found{"1:1 warning duplicate", "3:1 warning duplicate"}));
    EXPECT_EQ(functions_, 2u);
    // Every earlier line of a name names the last one, not the next.
    std::string again = "@A is defined again on line 4, which replaces this line\n";
    EXPECT_EQ(messages_.find(again), messages_.rfind(again) - again.size()) << messages_;
    // The winner's lack of a description is noted; the loser's is not.
    EXPECT_EQ(Check("@a[1]\n@a[2]"), (Found{"1:1 warning duplicate", "2:1 note no-description"}));
}

TEST_F(Checker, TextsThatAreCut) {
    std::string cjk = "\xE4\xB8\xAD"; // one character, three bytes
    std::string manyCjk;
    for (int i = 0; i < 6000; ++i) {
        manyCjk += cjk;
    }
    ExpectCases({
        {"@X[a] - " + std::string(8300, 'y'),
         {"1:8191 warning help-too-long", "1:8192 warning line-too-long"}},
        {"@X[a]" + std::string(8182, 'y'), {}}, // the help fits the status bar's text exactly
        {"@X[a]" + std::string(8186, 'y'), {"1:8188 warning help-too-long"}},
        {"@S[" + std::string(1100, 'x') + "] d", {"1:1024 warning syntax-too-long"}},
        {kBom + "@S[" + manyCjk.substr(0, 3 * 1000) + "] d", {"1:685 warning utf8-too-long"}},
        // 2,048 bytes: one more than is kept.
        {kBom + "@S[" + manyCjk.substr(0, 3 * 681) + "x] d", {"1:686 warning utf8-too-long"}},
        {kBom + "@D[x] - " + manyCjk, {"1:5470 warning utf8-too-long"}},
    });
    EXPECT_NE(messages_.find("the description takes 18000 bytes in UTF-8, more than the 16383 "
                             "the plug-in keeps: it loses its last 539 characters"),
              std::string::npos)
        << messages_;
    // What is lost is counted in characters: a pair is one, whatever its halves.
    for (std::string pair : {"\xF0\x9F\x98\x80", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_EQ(Check(kBom + "@S[" + manyCjk.substr(0, 3 * 680) + "a" + pair),
                  (Found{"1:3 warning unbalanced", "1:685 warning utf8-too-long"}));
        EXPECT_NE(messages_.find("it loses its last 1 character\n"), std::string::npos)
            << messages_;
    }
}

TEST_F(Checker, CharactersThatShowAsTheReplacementCharacter) {
    ExpectCases({
        {kBom + "@A[x] - caf\xE9 au lait", {"1:12 warning decode"}},
        {kBom + "@A[x] - \xED\xA0\x80", {"1:9 warning decode"}},
        {kBom + "@A[x] - \xC1\x9B", {"1:9 warning decode"}}, // an overlong "[" is none
        // A character beyond U+FFFF is kept; one beyond U+10FFFF is not.
        {kBom + "@A[x] - smile \xF0\x9F\x98\x80 and \xF4\x90\x80\x80", {"1:21 warning decode"}},
        {kBom + "@A[x] - \xEF\xBF\xBD", {"1:9 warning replacement"}},
        {kBom + "@A[x] - \xEF\xBF\xBF\xFF", {"1:10 warning decode"}}, // U+FFFF is one unit
        {"@A[x] - \x81 caf\xE9", {"1:9 warning decode"}}, // ANSI 1252: 0x81 is undefined
    });
    EXPECT_NE(messages_.find("byte 0x81 has no character in the code page: it shows as U+FFFD\n"),
              std::string::npos)
        << messages_;
    // UTF-16 and UTF-32 keep a pair, but not a lone surrogate. (Only big-endian UTF-32 can
    // hold a value beyond U+10FFFF and still be taken for UTF-32.)
    const std::pair<std::u16string, std::string> lone[] = {
        {u"@A[x] - \xD800 x \U0001F600", "1:9"},
        {u"@A[x] - \xD800 x", "1:9"},
        {u"@A[x] - \xDFFF", "1:9"},
        {u"@A[x] - \U00010000 \U0010FFFF \xDBFF", "1:13"}, // pairs at the ends of the ranges
    };
    for (const auto& [text, place] : lone) {
        EXPECT_EQ(Check("\xFF\xFE" + EncodeUtf16(text, false)),
                  (Found{place + " warning replacement"}));
    }
    EXPECT_EQ(Check(std::string("\0\0\xFE\xFF", 4) +
                    EncodeUtf32(U"@A[x] - \U0001F600 \xDC00 " + std::u32string(1, 0x110000), true)),
              (Found{"1:11 warning replacement", "1:13 warning decode"}));
    EXPECT_NE(messages_.find("0x00110000 is no character"), std::string::npos) << messages_;
}

// Line numbers count the breaks an editor counts; a NUL ends the plug-in's line but not the
// editor's, so what follows it keeps the line's number and its own column.
TEST_F(Checker, PlacesAsAnEditorShowsThem) {
    EXPECT_EQ(Check(kBom + "x\r\n\r\n@1[a]\n\r@2[b]\r@3[c]\xC2\x85@4[d]\n\n  \t\n@5[e]\n@x[] d"),
              (Found{"3:2 error name-start", "4:2 error name-start", "5:2 error name-start",
                     "6:2 error name-start", "9:2 error name-start"}));
    std::string nuls("@A[x] - a\0@B[y] -1\0@C[z]\0@1[q]\n", 31);
    EXPECT_EQ(Check(nuls + "the plain ASCII text of a longer note"),
              (Found{"1:10 warning nul", "1:17 warning separator", "1:20 note no-description",
                     "1:27 error name-start"}));
    EXPECT_EQ(functions_, 3u);
    // A finding at the very start of the text after a NUL counts the pair before the NUL.
    const char afterNul[] =
        "\xEF\xBB\xBF@A[x] - \xF0\x9F\x98\x80\0\xE2\x80\x8B@C[x] - long enough\n# a  b  c  d\n";
    EXPECT_EQ(Check(std::string(afterNul, sizeof afterNul - 1)),
              (Found{"1:10 warning nul", "1:11 error marker"}));
    EXPECT_EQ(sources_.back(), "1:\u00B7@C[x] - long enough"); // the text after the NUL
    // A NUL after a blank start, and only the first NUL of a line.
    const char blankThenNul[] = "@A[x] - a long enough line\n  \0@B[x] - b\0c\n";
    EXPECT_EQ(Check(std::string(blankThenNul, sizeof blankThenNul - 1)),
              (Found{"2:3 warning nul"}));
}

// The source line under a finding: tabs and controls shown one for one, long lines cut around
// the column, never inside a surrogate pair, and the caret counted in characters.
TEST_F(Checker, SourceLinesUnderFindings) {
    std::string a111(111, 'a');
    struct Row {
        std::string bytes;
        std::string source; // "caret:text"
    } rows[] = {
        {"@1x[a]\tb", "2:@1x[a] b"},
        {kBom + "@E[x] - \xF0\x9F\x98\x80\x07", "10:@E[x] - \xF0\x9F\x98\x80\xE2\x90\x87"},
        {"@E[x]\x07" + a111 + "\xF0\x9F\x98\x80" + "bb",
         "6:@E[x]\xE2\x90\x87" + a111 + "\xE2\x80\xA6"},
        {"@E[x]\x07" + a111 + "\xF0\x90\x80\x80" + "bb",
         "6:@E[x]\xE2\x90\x87" + a111 + "\xE2\x80\xA6"},
        {"@E[x]\x07" + a111 + "\xF4\x8F\xBF\xBF" + "bb",
         "6:@E[x]\xE2\x90\x87" + a111 + "\xE2\x80\xA6"},
        // A line that fits is shown whole; one cut in front never begins inside a pair.
        {"@L[x] - " + std::string(100, 'y') + "\x07" + std::string(10, 'z'),
         "109:@L[x] - " + std::string(100, 'y') + "\xE2\x90\x87" + std::string(9, 'z') +
             "\xE2\x80\xA6"},
        {kBom + "@L[x] - " + std::string(61, 'y') + "\xF0\x9F\x98\x80" + std::string(59, 'y') +
             "\x07" + std::string(10, 'z'),
         "61:\xE2\x80\xA6" + std::string(59, 'y') + "\xE2\x90\x87" + std::string(10, 'z')},
        // A lone surrogate is no pair: what stands beside it is shown as itself.
        {"\xFF\xFE" + EncodeUtf16(u"@E[x] - \xD800\t", false), "9:@E[x] - " + U8(u"\xD800") + " "},
        {"\xFF\xFE" + EncodeUtf16(u"@E[x] - \t\xDC00", false), "10:@E[x] -  " + U8(u"\xDC00")},
        // Characters on both sides of each range shown as a middle dot, and controls.
        {kBom +
             "@E[x] - \x07\u0080\u009f\u00a0\u200a\u200b\u200f\u2010\u205f\u2060\u2064\u2065\u00ac"
             "\u00ad\u00ae\ufefe\ufeff\uff00\x7f\x1f",
         "9:@E[x] - \u2407\u00b7\u00b7\u00a0\u200a\u00b7\u00b7\u2010\u205f\u00b7\u00b7\u2065\u00ac"
         "\u00b7\u00ae\ufefe\u00b7\uff00\u2421\u241f"},
        {"@L[x] - " + std::string(150, 'y') + "\x07" + std::string(100, 'z'),
         "62:\xE2\x80\xA6" + std::string(60, 'y') + "\xE2\x90\x87" + std::string(56, 'z') +
             "\xE2\x80\xA6"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes.substr(0, 40));
        Check(row.bytes);
        ASSERT_EQ(sources_.size(), 1u);
        EXPECT_EQ(sources_[0], row.source);
    }
    // A NUL past the 8,191 units kept of a line (at an odd offset, so that the file stays
    // ANSI): its caret at the end of what was kept.
    Check("@L[x] - " + std::string(8301, 'y') + std::string(1, '\0') + "xt\n");
    ASSERT_EQ(sources_.size(), 3u);
    EXPECT_EQ(sources_[2], "62:\xE2\x80\xA6" + std::string(60, 'y'));
}

TEST_F(Checker, FilesThatLoadNothing) {
    EXPECT_EQ(Check(""), (Found{"0:0 error empty"}));
    EXPECT_EQ(Check("\r\n  \r\n"), (Found{"0:0 error no-entries"}));
    EXPECT_EQ(Check("# notes only\n@LEFT is a function"), (Found{"0:0 error no-entries"}));
    EXPECT_EQ(functions_, 0u);

    FindingList findings = {};
    CheckResult result = {};
    std::u16string missing = U16(dir_ + "/missing.txt");
    EXPECT_EQ(CheckHelpFile(missing.c_str(), &findings, &result), 0);
    ASSERT_EQ(findings.count, 1u);
    EXPECT_EQ(U8(findings.items[0].code), "open");
    EXPECT_EQ(U8(findings.items[0].message), "cannot open the file: " + Describe(2));
    ReleaseFindings(&findings);
}

TEST_F(Checker, TheEncodingNoteSaysWhatDecided) {
    std::u16string words = u"@x[] - some words of text with spaces between them\r\n";
    std::u16string longer;
    for (int i = 0; i < 1300; ++i) {
        longer += words;
    }
    struct Row {
        std::string bytes;
        uint32_t codePage;
        std::string note;
    } rows[] = {
        {kBom + "@x[] - d", 1252,
         "read as UTF-8: the file begins with its byte-order mark EF BB BF"},
        {"\xFE\xFF" + EncodeUtf16(u"@x[] - d", true), 1252, "read as UTF-16BE: the file begins"},
        {EncodeUtf16(words, false), 1252,
         "read as UTF-16LE without a byte-order mark: in the first 104 bytes, zero bytes stand "
         "at odd offsets (52 against 0) and spaces at even ones (9 against 0)"},
        {EncodeUtf16(longer, false), 1252, // counted in the first part alone
         "read as UTF-16LE without a byte-order mark: in the first 131072 bytes"},
        {EncodeUtf16(u"@x[]", true), 1252,
         "read as UTF-16BE without a byte-order mark: in this short file, more zero bytes stand "
         "at even offsets (4) than at odd ones (0)"},
        {std::string("\xFF\xFE\0\0", 4) + EncodeUtf32(U"@x[] - d", false), 1252,
         "read as UTF-32LE after its byte-order mark: 9 of the first 9 characters have a zero "
         "high half"},
        {std::string("\xFF\xFE\0\0", 4) + EncodeUtf32(U"\U00010000", false), 1252,
         "read as UTF-32LE after its byte-order mark: 1 of the first 2 characters have"},
        {"@x[] - caf\xC3\xA9", 1252,
         "read as UTF-8 without a byte-order mark: the first 12 bytes are well-formed UTF-8 "
         "with 1 character beyond ASCII"},
        {"@x[] - d", 1252, "read in the ANSI code page 1252: the first 8 bytes are all ASCII"},
        {"# caf\xC3\xA9\n@x[] - caf\xE9 au lait", 866,
         "read in the ANSI code page 866: byte 0xE9 on line 2 is not UTF-8"},
        {"@x[] - caf\xE9", 65001,
         "read as UTF-8: the ANSI code page is 65001, and the file is neither UTF-16 nor UTF-32"},
        // The line of the byte, after breaks of every kind and lines that hold nothing.
        {"# caf\xC3\xA9\r\n\r\n\n\xE9t\xE9 @x[] - d", 1252,
         "read in the ANSI code page 1252: byte 0xE9 on line 4 is not UTF-8"},
        {"x\n\r\r\n\n\r\xE9 x", 1252, "read in the ANSI code page 1252: byte 0xE9 on line 4"},
        {"@x[] - caf\xE9 au lait", 932,
         "read in the ANSI code page 932 (with the table of code page 1252, as the plug-in has "
         "none for 932): byte 0xE9 on line 1 is not UTF-8"},
    };
    for (const Row& row : rows) {
        PlatformSetAnsiCodePage(row.codePage);
        Check(row.bytes, true);
        EXPECT_EQ(messages_.find(row.note), 0u) << messages_;
    }

    // Words beyond ASCII that other code pages read as letters of a script: said once, the
    // best reading first; nothing for accents among ASCII letters, nor for text this code
    // page reads so already.
    const std::string cyrillic = "@x[] - \xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\n@y[] - \xE4\xE0";
    struct Hint {
        std::string bytes;
        uint32_t codePage;
        std::string said; // empty: no such note
    } hints[] = {
        {cyrillic, 1252,
         "words such as \"\xC3\x8F\xC3\xB0\xC3\xA8\xC3\xA2\xC3\xA5\xC3\xB2\" may be text of "
         "another code page: code page 1251 reads them as Cyrillic \"\xD0\x9F\xD1\x80\xD0\xB8"
         "\xD0\xB2\xD0\xB5\xD1\x82\""},
        {cyrillic, 1251, ""},
        {"@x[] - \xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1", 1252,
         "code page 1253 reads them as Greek \"\xCE\x9A\xCE\xB1\xCE\xBB"},
        {"@x[] - caf\xE9 na\xEFve cr\xE8me br\xFBl\xE9"
         "e d\xE9j\xE0 o\xF9",
         1252, ""},
        {"@x[] - \xCF\xF0\xE8", 1252, ""}, // too few to tell
    };
    for (const Hint& hint : hints) {
        PlatformSetAnsiCodePage(hint.codePage);
        Check(hint.bytes, true);
        size_t first = messages_.find("may be text of another");
        EXPECT_EQ(first != std::string::npos, !hint.said.empty()) << messages_;
        EXPECT_NE(messages_.find(hint.said), std::string::npos) << messages_;
        EXPECT_EQ(messages_.find("may be text of another", first + 1), std::string::npos);
    }

    // Encodings that lose help: one stray byte in UTF-8, and guesses a mark would settle.
    PlatformSetAnsiCodePage(1252);
    std::string nine;
    for (int i = 0; i < 9; ++i) {
        nine += "\xC3\xA9 ";
    }
    ExpectCases({
        {"# caf\xC3\xA9 na\xC3\xAFve \xC3\xA9t\xC3\xA9\n\n  x \x96 y", {"3:5 warning stray-byte"}},
        {"# caf\xC3\xA9 \x96 \x96 y", {}}, // as many stray bytes as UTF-8: ANSI text
        // At most a quarter of the good sequences and one more.
        {"# \xC3\xA9\n\n  x \x96 y", {"3:5 warning stray-byte"}},
        {"# " + nine + "\n\n  x \x96 \x96 \x96 y", {"3:5 warning stray-byte"}},
        {"# " + nine + "\n\n  x \x96 \x96 \x96 \x96 y", {}},
        {"# \x7f\n\n  x \x96 y", {}}, // DEL is ASCII: no good sequence
        // A U+FFFD written in UTF-8 is UTF-8, not a stray byte.
        {"# \xC3\xA9 \xC3\xA9 \xC3\xA9 \xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBD\n\n  x \x96 y",
         {"3:5 warning stray-byte"}},
        {EncodeUtf16(words, false), {"0:0 warning add-bom"}},
        {EncodeUtf16(words, true), {"0:0 warning add-bom"}},
    });
    EXPECT_EQ(Check("\xFF\xFE" + std::string(2, '\0') + EncodeUtf32(U"@x[] - d\r\n", false) + "A"),
              (Found{"0:0 warning add-bom", "0:0 error no-entries", "1:1 warning nul"}));
    EXPECT_EQ(Check(EncodeUtf16(u"@x[]-nospacesatallinthisrathershortlinexx\r\n", false)),
              (Found{"0:0 warning add-bom", "0:0 error no-entries", "1:2 warning nul"}));
    for (bool big : {false, true}) {
        EXPECT_EQ(Check(EncodeUtf32(U"@x[] - d\r\n", big)), (Found{"0:0 warning add-bom"}));
    }
    // Text read as ASCII asks for a mark once an eighth of its bytes are zero, and not before.
    for (size_t zeros : {5u, 6u}) {
        Check("@x[] - " + std::string(37, 'd') + std::string(zeros, '\0') +
              std::string(6 - zeros, 'd'));
        EXPECT_EQ(messages_.find(
                      "6 of the 50 bytes are zero, as in UTF-16 or UTF-32 text, yet the file is "
                      "read in the ANSI code page") != std::string::npos,
                  zeros == 6)
            << messages_;
    }
    // NULs in a quarter of the characters of UTF-16 text are a sign of UTF-32.
    Check("\xFF\xFE" + EncodeUtf16(std::u16string(u"@x[] - a\0b\0c\0", 13), false));
    EXPECT_NE(messages_.find("3 of the 13 characters read as UTF-16LE are NUL"), std::string::npos)
        << messages_;
    // A NUL in UTF-16 text is a NUL, not a sign of UTF-32.
    EXPECT_EQ(Check("\xFF\xFE" + EncodeUtf16(std::u16string(u"@x[] - a\0b", 10), false)),
              (Found{"1:9 warning nul"}))
        << messages_;
    Check("# caf\xC3\xA9 na\xC3\xAFve\n  x \x96 y\n@x[] - d");
    EXPECT_NE(messages_.find("byte 0x96 is not UTF-8, and this one byte sends the whole file to "
                             "the ANSI code page 1252, where \"\xC3\xA9\" shows as "
                             "\"\xC3\x83\xC2\xA9\""),
              std::string::npos)
        << messages_;
    Check("# " + nine + "\n\n  x \x96 \x96 \x96 y");
    EXPECT_NE(messages_.find("it and 2 more bytes like it send the whole file"), std::string::npos)
        << messages_;
    // The sample beyond U+FFFF, and U+FFFF itself, each one character.
    for (std::string sample :
         {"\xF0\x9F\x98\x80\" shows as \"\xC3\xB0\xC5\xB8\xCB\x9C\xE2\x82\xAC\"",
          "\xEF\xBF\xBF\" shows as \"\xC3\xAF\xC2\xBF\xC2\xBF\""}) {
        Check("# " + sample.substr(0, sample.find('"')) + "\n  x \x96 y\n@x[] - d");
        EXPECT_NE(messages_.find("where \"" + sample), std::string::npos) << messages_;
    }

    // ASCII that decides the reading, and UTF-8 after it: read in the code page, and said so.
    PlatformSetAnsiCodePage(0);
    std::string late = "@x[] - d\n" + std::string(262144, '#') + "\n@y[] - caf\xC3\xA9\n";
    EXPECT_EQ(Check(late), (Found{"0:0 warning late-utf8"}));
    EXPECT_NE(messages_.find("the first 262144 bytes are ASCII and decide"), std::string::npos)
        << messages_;
}

// A name as "hbar /L" takes it: whatever the command refuses, the checker refuses with the
// command's answer; whatever it loads, the checker counts alike. Devices are never copied.
TEST_F(Checker, SpecialFilesGetTheCommandsAnswer) {
    std::string sub = dir_ + "/sub";
    std::string inner = dir_ + "/inner";
    std::filesystem::create_directories(sub);
    std::filesystem::create_directories(inner + "/Hintbar.txt");
    std::string good = dir_ + "/good";
    std::filesystem::create_directories(good);
    ASSERT_TRUE(WriteFile(good + "/Hintbar.txt", "@A[x] - a\n@B[y] - b\n"));
    const std::string help = "@P[x] - from a pipe\n";
    // Named as the system writes it, so that the canonical name is the name given.
    std::u16string missing = U16(dir_) + kPathSeparator + u"missing.txt";
    std::vector<std::u16string> names = {missing,   U16(sub),         U16(inner),
                                         U16(good), NullDeviceName(), u"pipe"};
    if (std::filesystem::exists("/dev/zero")) {
        names.push_back(u"/dev/zero");
        names.push_back(u"/dev/urandom");
    }
    const std::map<std::u16string, std::string> reasons = {
        {missing, "there is no such file"},
        {U16(sub), "the directory holds no Hintbar.txt"},
        {U16(inner), "it is a directory"},
        {u"/dev/zero", "it is a device"}};
    for (const std::u16string& name : names) {
        SCOPED_TRACE(U8(name));
        // A pipe gives its bytes once: one writer for the command, one for the checker.
        PipeWriter first(dir_, help);
        PipeWriter second(dir_, help);
        std::u16string forCommand = name == u"pipe" ? first.Name() : name;
        std::u16string forChecker = name == u"pipe" ? second.Name() : name;

        UnloadHelp();
        std::u16string line = u"/Q /L:\"" + forCommand + u"\"";
        int answer = hbar(line.data());
        FindingList findings = {};
        CheckResult result = {};
        std::vector<char16_t> path(kPathUnits);
        EXPECT_EQ(CheckNamedHelpFile(forChecker.c_str(), path.data(), &findings, &result), 0);
        bool refused = findings.count > 0 && U8(findings.items[0].code) == "not-found";
        EXPECT_EQ(answer == 2, refused) << CapturedErr();
        EXPECT_EQ(answer == 2 || HelpTableCount() == 0, result.unreadable || result.count == 0);
        EXPECT_EQ(result.count, HelpTableCount());
        if (refused) {
            std::string message = U8(findings.items[0].message);
            EXPECT_NE(message.find("File not found"), std::string::npos);
            auto why = reasons.find(name);
            EXPECT_TRUE(why == reasons.end() || message.find(why->second) != std::string::npos)
                << message;
        }
        ReleaseCheckResult(&result);
        ReleaseFindings(&findings);
        UnloadHelp();
    }
}

// The names in the scratch directory, in order.
std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A mended file is written whole or not at all: whatever call fails on the way, or when the
// file changed since it was read, the old file stays as it was and no new file is left.
TEST_F(Checker, AMendedFileIsWrittenWholeOrNotAtAll) {
    const std::string old = "@A [x] - " + std::string(100000, 'a') + "\n"; // two pieces
    const std::string mended = "@A[x] - " + std::string(100000, 'a') + "\n";
    struct Row {
        PlatformCallKind fails; // kPlatformCallKindCount: none
        uint32_t error;
        int skip;
        bool changed; // the file changes between the read and the write
        ReplaceFailure failure;
        uint32_t reported;
    } rows[] = {
        {kPlatformCallKindCount, 0, 0, false, ReplaceFailure::None, 0},
        {kPlatformCallCreate, kErrorAccessDenied, 0, false, ReplaceFailure::Folder,
         kErrorAccessDenied},
        {kPlatformCallWrite, kErrorDiskFull, 0, false, ReplaceFailure::System, kErrorDiskFull},
        {kPlatformCallWrite, kErrorDiskFull, 1, false, ReplaceFailure::System, kErrorDiskFull},
        {kPlatformCallFlush, kErrorDiskFull, 0, false, ReplaceFailure::System, kErrorDiskFull},
        {kPlatformCallKindCount, 0, 0, true, ReplaceFailure::Changed, 0},
    };
    std::string path = dir_ + "/help.txt";
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.fails) + " " + std::to_string(row.skip));
        ASSERT_TRUE(WriteFile(path, old));
        if (row.fails != kPlatformCallKindCount) {
            PlatformFailNextCall(row.fails, row.error, row.skip);
        }
        std::string read = row.changed ? old + "x" : old;
        ReplaceResult r = ReplaceFileBytes(
            U16(path).c_str(), reinterpret_cast<const uint8_t*>(read.data()),
            static_cast<uint32_t>(read.size()), reinterpret_cast<const uint8_t*>(mended.data()),
            static_cast<uint32_t>(mended.size()));
        PlatformClearCallFailures();
        EXPECT_EQ(r.failure, row.failure);
        EXPECT_EQ(r.error, row.reported);
        EXPECT_EQ(Bytes(path), row.failure == ReplaceFailure::None ? mended : old);
        EXPECT_EQ(Names(dir_), std::vector<std::string>{"help.txt"});
    }
}

// Standard input is copied to a file of the temporary directory, never past the largest
// file the plug-in loads; a copy that fails leaves no file behind.
int g_inputLeft = 0;       // bytes the stand-in input still gives; -1: endless
bool g_inputFails = false; // its read fails
bool ReadStandIn(std::span<uint8_t> buffer, uint32_t* done) {
    auto bytes = static_cast<uint32_t>(buffer.size());
    if (g_inputFails) {
        PlatformSetLastError(kErrorInvalidHandle);
        return false;
    }
    uint32_t n = g_inputLeft < 0 || static_cast<uint32_t>(g_inputLeft) > bytes
                     ? bytes
                     : static_cast<uint32_t>(g_inputLeft);
    memset(buffer.data(), 'x', n);
    g_inputLeft -= g_inputLeft < 0 ? 0 : static_cast<int>(n);
    *done = n;
    return true;
}

TEST_F(Checker, StandardInputIsCopiedUpToTheLargestFile) {
    struct Row {
        int given;  // -1: endless
        bool fails; // the read fails
        PlatformCallKind fault;
        bool copied;
        int32_t error;
    } rows[] = {
        {200000, false, kPlatformCallKindCount, true, 0}, // the limit itself
        {200001, false, kPlatformCallKindCount, false, kErrorFileTooLarge},
        {-1, false, kPlatformCallKindCount, false, kErrorFileTooLarge},
        {0, false, kPlatformCallKindCount, true, 0},
        {10, true, kPlatformCallKindCount, false, kErrorInvalidHandle},
        {100000, false, kPlatformCallWrite, false, kErrorDiskFull},
        {100000, false, kPlatformCallCreate, false, kErrorAccessDenied},
    };
    static Spool spool;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.given) + " " + std::to_string(row.fault));
        g_inputLeft = row.given;
        g_inputFails = row.fails;
        if (row.fault != kPlatformCallKindCount) {
            PlatformFailNextCall(row.fault, row.fault == kPlatformCallWrite ? kErrorDiskFull
                                                                            : kErrorAccessDenied);
        }
        EXPECT_EQ(SpoolInput(ReadStandIn, 200000, &spool), row.copied);
        PlatformClearCallFailures();
        EXPECT_EQ(spool.error, row.error);
        EXPECT_EQ(Names(dir_).size(), row.copied ? 1u : 0u);
        if (row.copied) {
            EXPECT_EQ(spool.size, static_cast<uint64_t>(row.given));
            EXPECT_EQ(Bytes(U8(spool.path)), std::string(static_cast<size_t>(row.given), 'x'));
        }
        RemoveSpool(&spool);
        EXPECT_TRUE(Names(dir_).empty());
    }
    g_inputFails = false;
}

// Each entry point refuses an argument it cannot use, and touches nothing then.
TEST(CheckerEntryPoints, RefuseWhatTheyCannotUse) {
    FindingList findings = {};
    CheckResult result = {};
    char16_t path[kPathUnits];
    EXPECT_EQ(CheckHelpFile(nullptr, &findings, &result), -1);
    EXPECT_EQ(CheckHelpFile(u"x", nullptr, &result), -1);
    EXPECT_EQ(CheckHelpFile(u"x", &findings, nullptr), -1);
    EXPECT_EQ(CheckNamedHelpFile(nullptr, path, &findings, &result), -1);
    EXPECT_EQ(CheckNamedHelpFile(u"x", nullptr, &findings, &result), -1);
    EXPECT_EQ(CheckNamedHelpFile(u"x", path, nullptr, &result), -1);
    EXPECT_EQ(CheckNamedHelpFile(u"x", path, &findings, nullptr), -1);
    EXPECT_EQ(CheckStandardInput(nullptr, &result), -1);
    EXPECT_EQ(CheckStandardInput(&findings, nullptr), -1);
    EXPECT_EQ(FindCheckedFunction(nullptr, u"A"), nullptr);
    EXPECT_EQ(FindCheckedFunction(&result, nullptr), nullptr);
    ReleaseCheckResult(nullptr);

    TextSource source = {};
    TextLineReport report = {};
    CheckedEntry entry = {};
    EXPECT_EQ(CheckLine(nullptr, u"@A[]", &report, &findings, &entry), -1);
    EXPECT_EQ(CheckLine(&source, nullptr, &report, &findings, &entry), -1);
    EXPECT_EQ(CheckLine(&source, u"@A[]", nullptr, &findings, &entry), -1);
    EXPECT_EQ(CheckLine(&source, u"@A[]", &report, nullptr, &entry), -1);
    EXPECT_EQ(CheckLine(&source, u"@A[]", &report, &findings, nullptr), -1);
    EncodingNoteInput input = {};
    AddEncodingAdvice(nullptr, &findings);
    AddEncodingAdvice(&input, nullptr);

    EXPECT_EQ(AddFinding(nullptr, 1, 1, kSeverityError, u"open", u"x"), -1);
    EXPECT_EQ(AddFinding(&findings, 1, 1, kSeverityError, nullptr, u"x"), -1);
    EXPECT_EQ(AddFinding(&findings, 1, 1, kSeverityError, u"open", nullptr), -1);
    EXPECT_EQ(AddFinding(&findings, 1, 1, kSeverityNote - 1, u"open", u"x"), -1);
    EXPECT_EQ(AddFinding(&findings, 1, 1, kSeverityError + 1, u"open", u"x"), -1);
    EXPECT_EQ(AddFinding(&findings, 1, 1, kSeverityError, u"nosuch", u"x"), -1);
    EXPECT_EQ(FindCheckCode(nullptr, 0), -1);
    // A finding past those kept of its code is counted, not refused.
    FindingList many = {};
    for (uint32_t i = 0; i <= kFindingsPerCode; ++i) {
        EXPECT_EQ(AddFinding(&many, 1, 1, kSeverityError, u"open", u"x"), 0);
    }
    EXPECT_EQ(many.count, kFindingsPerCode);
    ReleaseFindings(&many);
    EXPECT_EQ(many.count, 0u);
    SortFindings(nullptr);
    SortFindings(&findings);
    DropFindings(nullptr, 0, nullptr, nullptr, 0);
    ReleaseFindings(nullptr);
    EXPECT_EQ(findings.count, 0u);
    EXPECT_EQ(findings.items, nullptr);
    EXPECT_EQ(entry.syntax, nullptr);
    // An empty name is a file that cannot be opened, said as a finding.
    EXPECT_EQ(CheckHelpFile(u"", &findings, &result), 0);
    ASSERT_EQ(findings.count, 1u);
    EXPECT_EQ(U8(findings.items[0].code), "open");
    EXPECT_TRUE(result.unreadable);
    ReleaseFindings(&findings);
}

// --show: each character that would not show is named, at the ends of each range, and the
// copy keeps within the buffer it is given.
TEST(CheckerShow, InvisibleCharactersNamedWithinTheBuffer) {
    char syntax[] = "@A[x]";
    char info[] =
        "\x1f \x7f~\xc2\x9f\xc2\xa0\xe2\x80\x8a\xe2\x80\x8b\xe2\x80\x8f\xe2\x80\x90\xef\xbb\xbf";
    CheckedEntry entry = {};
    entry.syntax = syntax;
    entry.info = info;
    char16_t visible[96];
    ShowHelpText(&entry, visible, 96);
    EXPECT_EQ(std::u16string(visible), u"@A[x]\u240a\n\u240a\n<U+001F> <U+007F>~<U+009F>\u00a0"
                                       u"\u200a<U+200B><U+200F>\u2010<U+FEFF>\n");
    ShowHelpText(&entry, visible, 8);
    EXPECT_EQ(std::u16string(visible), u"@A[x]\u240a\n");
    char empty[] = "";
    entry.syntax = empty;
    ShowHelpText(&entry, visible, 96);
    EXPECT_EQ(std::u16string(visible), u"\n");
    ShowHelpText(nullptr, visible, 96);
    EXPECT_EQ(std::u16string(visible), u"");
    visible[0] = u'x';
    ShowHelpText(&entry, visible, 0);
    EXPECT_EQ(visible[0], u'x');
    ShowHelpText(&entry, nullptr, 96);
    EXPECT_EQ(std::u16string(StatusBarText(nullptr)), u"");
}

// Pending output is written out before it fills, never between the halves of a pair: a pair
// that would take the last unit goes out with the next piece. The sanitizer build sees a
// terminator written past the buffer.
TEST(CheckerReport, PendingOutputNeverSplitsAPair) {
    struct Row {
        size_t before; // units ahead of the pair
        std::u16string pair;
        std::string utf8;
    } rows[] = {{32766, u"\U0001F600", "\xF0\x9F\x98\x80"},
                {32765, u"\U00010000", "\xF0\x90\x80\x80"},
                {32765, u"\U0010FFFF", "\xF4\x8F\xBF\xBF"}};
    for (const Row& row : rows) {
        std::u16string text = std::u16string(row.before, u'a') + row.pair;
        testing::internal::CaptureStdout();
        Emit(text.c_str());
        FlushOutput();
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, std::string(row.before, 'a') + row.utf8);
    }
}

// Each form of the report escapes what its reader would take otherwise, and nothing more:
// characters on both sides of each range that a form escapes or names.
TEST(CheckerReport, EachFormEscapesWhatItsReaderWouldMisread) {
    const char16_t message[] =
        u"\u001f \u007e\u007f\u009f\u00a0\u00ac\u00ad\u00ae\u200a\u200b"
        u"\u200f\u2010\u205f\u2060\u2064\u2065\ufefe\ufeff\uff00\"\\%:,\r\n\t.";
    const std::string kept = " ~";
    const std::string ranges =
        "\u00a0\u00ac<U+00AD>\u00ae\u200a<U+200B><U+200F>\u2010\u205f<U+2060>"
        "<U+2064>\u2065\ufefe<U+FEFF>\uff00";
    const std::string raw = "\u00a0\u00ac\u00ad\u00ae\u200a\u200b\u200f\u2010\u205f\u2060\u2064"
                            "\u2065\ufefe\ufeff\uff00";
    struct Row {
        int format;
        std::u16string file;
        std::string shown;
    } rows[] = {
        {kFormatText, u"f",
         "\\u001f" + kept + "\\u007f\\u009f" + ranges + "\"\\%:,\\u000d\\u000a\t. [nul]"},
        {kFormatJson, u"f",
         "\\u001f" + kept + "\\u007f\\u009f" + raw +
             "\\\"\\\\%:,\\u000d\\u000a\\u0009.\", \"fix\": null}"},
        {kFormatGithub, u"f",
         "\\u001f" + kept + "\\u007f\\u009f" + ranges + "\"\\%25:,%0D%0A\\u0009.\n"},
        {kFormatSarif, u"f",
         "\\u001f" + kept + "\\u007f\\u009f" + raw + "\\\"\\\\%:,\\u000d\\u000a\\u0009.\"}"},
        // A URI keeps the unreserved characters at the ends of their ranges and escapes the
        // UTF-8 of whole pairs; the rules carry both texts of each code.
        {kFormatSarif, u"aAzZ09\U00010000\U0010FFFF",
         "\"uri\": \"aAzZ09%F0%90%80%80%F4%8F%BF%BF\"}, \"region\": {\"startLine\": 1, "
         "\"startColumn\": 2}}}]}"},
        {kFormatSarif, u"f", "\"results\": [\n        {\"ruleId\": \"nul\""}, // after a JSON report
        {kFormatSarif, u"f",
         "{\"id\": \"open\", \"shortDescription\": {\"text\": \"the file cannot be read\"}, "
         "\"fullDescription\": {\"text\": \"The system would not open"},
    };
    for (const Row& row : rows) {
        FindingList findings = {};
        ASSERT_EQ(AddFinding(&findings, 1, 2, kSeverityWarning, u"nul", u"%s", message), 0);
        ReportOptions options = {row.format, false, false, kSeverityWarning, false};
        testing::internal::CaptureStdout();
        BeginReport(&options);
        WriteFileReport(&options, row.file.c_str(), &findings, 1);
        EndReport(&options, nullptr);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(row.shown), std::string::npos) << row.format << ": " << out;
        ReleaseFindings(&findings);
    }
    // --quiet counts what it hid in each report alone.
    for (int report = 0; report < 2; ++report) {
        FindingList findings = {};
        ASSERT_EQ(AddFinding(&findings, 1, 2, kSeverityWarning, u"nul", u"x"), 0);
        ReportOptions options = {kFormatText, true, false, kSeverityWarning, false};
        testing::internal::CaptureStdout();
        BeginReport(&options);
        WriteFileReport(&options, u"f", &findings, 1);
        EndReport(&options, nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "hintbar-check: the run fails on 1 warning that --quiet does not show\n");
        ReleaseFindings(&findings);
    }
}

// The command line: each option's range, at its ends, and the forms of its value.
TEST(CheckerOptions, ValuesAtTheirEnds) {
    struct Row {
        std::vector<std::u16string> args;
        int parsed;
        uint32_t codePage;
    } rows[] = {
        {{u"--codepage=1", u"f"}, kOptionsRun, 1},
        {{u"--codepage", u"65535", u"f"}, kOptionsRun, 65535},
        {{u"--codepage=6553", u"f"}, kOptionsRun, 6553},
        {{u"--codepage=950", u"f"}, kOptionsRun, 950}, // the first and last digits
        {{u"--codepage=0", u"f"}, kOptionsBad, 0},
        {{u"--codepage=65536", u"f"}, kOptionsBad, 0},
        {{u"--codepage=655350", u"f"}, kOptionsBad, 0},
        {{u"--codepage=", u"f"}, kOptionsBad, 0},
        {{u"--codepage=12a", u"f"}, kOptionsBad, 0},
        {{u"--format=sarif", u"--fail-on", u"never", u"f"}, kOptionsRun, 0},
        {{u"--format=xml", u"f"}, kOptionsBad, 0},
        {{u"--ignore=duplicate,,x", u"f"}, kOptionsBad, 0},
        {{u"--ignore=duplicatx", u"f"}, kOptionsBad, 0}, // one unit off in the last place
        {{u"--ignore=open", u"f"}, kOptionsRun, 0},      // the first code
        {{u"--select", u"", u"f"}, kOptionsBad, 0},
        {{u"--explain=encoding"}, kOptionsExplain, 0},
        {{u"--explain=open"}, kOptionsExplain, 0},          // the first code
        {{u"--explain=argument-line"}, kOptionsExplain, 0}, // the last
        {{u"--", u"--json"}, kOptionsRun, 0},
        {{u"--show"}, kOptionsBad, 0},
        {{u"--show=", u"f"}, kOptionsBad, 0},
        {{u"--showx", u"f", u"g"}, kOptionsBad, 0},
        {{u"--shox", u"f", u"g"}, kOptionsBad, 0},
        {{u"--codepage"}, kOptionsBad, 0},
        {{u"--codepage=1 ", u"f"}, kOptionsBad, 0},
        {{u"--format"}, kOptionsBad, 0},
        {{u"--explain"}, kOptionsBad, 0},
        {{u"--ignore"}, kOptionsBad, 0},
        {{u"-h", u"f"}, kOptionsHelp, 0},
        {{u"-q", u"f"}, kOptionsRun, 0},
    };
    for (Row& row : rows) {
        std::vector<char16_t*> argv = {const_cast<char16_t*>(u"hintbar-check")};
        for (std::u16string& arg : row.args) {
            argv.push_back(arg.data());
        }
        CheckOptions options;
        char16_t problem[kMessageUnits];
        int parsed =
            ParseCheckOptions(static_cast<int>(argv.size()), argv.data(), &options, problem);
        EXPECT_EQ(parsed, row.parsed) << U8(row.args[0]) << ": " << U8(problem);
        EXPECT_EQ(options.codePage, row.codePage) << U8(row.args[0]);
        free(options.files);
    }
    // The code said to be unknown is the one given, whatever a longer one left before it.
    for (std::u16string name : {u"nosuchcodeatall", u"nosuch"}) {
        std::u16string given = u"--select=" + name;
        char16_t* list[] = {given.data(), given.data()};
        CheckOptions options;
        char16_t problem[kMessageUnits];
        ASSERT_EQ(ParseCheckOptions(2, list, &options, problem), kOptionsBad);
        EXPECT_EQ(U8(problem), "--select: \"" + U8(name) + "\" is not a code (see --list-codes)");
        free(options.files);
    }
    // --select keeps only its codes, and --ignore takes from them, in any order.
    std::u16string args[] = {u"x", u"--ignore=separator", u"--select=duplicate,separator",
                             u"--select=nul", u"f"};
    char16_t* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                        args[4].data()};
    CheckOptions options;
    char16_t problem[kMessageUnits];
    ASSERT_EQ(ParseCheckOptions(5, argv, &options, problem), kOptionsRun);
    EXPECT_EQ(options.codes, CodeBit(FindCheckCode(u"duplicate", 9)) |
                                 CodeBit(FindCheckCode(u"separator", 9)) |
                                 CodeBit(FindCheckCode(u"nul", 3)));
    free(options.files);
}

} // namespace
