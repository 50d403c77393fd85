#include "base/text16.h"
#include "command/arguments.h"
#include "host/hostshell/host_control.h"
#include "tests/support/test_support.h"

#include <string>
#include <vector>

namespace {

class Arguments : public HostTest {};

// The arguments of the last call, each checked against its stored length.
std::vector<std::string> Split(const std::u16string& line) {
    std::vector<std::string> out;
    int32_t n = SplitArguments(line.c_str());
    EXPECT_EQ(n, CommandArguments().count);
    for (int32_t k = 0; k < n; ++k) {
        EXPECT_EQ(static_cast<size_t>(CommandArguments().lengths[k]),
                  Str16Len(CommandArguments().pointers[k]));
        out.push_back(U8(CommandArguments().pointers[k]));
    }
    return out;
}

using Words = std::vector<std::string>;

TEST_F(Arguments, SplitsByTheRulesInOrder) {
    const struct {
        const char16_t* line;
        Words words;
    } cases[] = {
        {u"", {}},
        {u" \t ", {}},
        {u"/Q/I", {"/Q", "/I"}},
        {u"/Z/Q", {"/Z", "/Q"}},
        {u"/I /q", {"/I", "/q"}},
        {u"a/b/c", {"a/b/c"}},
        {u"//a", {"//a"}},
        {u"/a//b", {"/a", "//b"}},
        {u"/a/", {"/a", "/"}},
        {u"/L:C:/x/y.txt", {"/L:C:", "/x", "/y.txt"}},
        {u"/L:\"C:/x/y.txt\"", {"/L:C:/x/y.txt"}},
        {u"/L:x://a/b", {"/L:x://a/b"}},
        {u"/L:x1://a/b", {"/L:x1:", "//a", "/b"}},
        {u"/L:\u00e9://a/b", {"/L:\u00e9://a/b"}},        // a letter beyond ASCII
        {u"/L:x:/a/b", {"/L:x:", "/a", "/b"}},            // one slash is no scheme
        {u"/a:x://b/c /d/e", {"/a:x://b/c", "/d", "/e"}}, // the scheme ends with its argument
        {u"/a\"/\"b", {"/a/b"}},
        {u"/L=name", {"/L=name"}},
        {u"a,b=c", {"a,b=c"}},
        {u"\"a b\" c", {"a b", "c"}},
        {u"a\" \"b", {"a b"}},
        {u"a\"\"b", {"ab"}},
        {u"\"\"", {}},
        {u"a \"\" b", {"a", "b"}},
        {u"\"  x  \"", {"  x"}},
        {u"\"a b", {"a b"}},
        {u"/[!a b]", {"/[!a", "b]"}},
        {u"a\tb", {"a", "b"}},
        {u"a\u00a0b\u3000c", {"a", "b", "c"}}, // no-break and ideographic space
        {u"  lead trail  ", {"lead", "trail"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Split(c.line), c.words) << U8(c.line);
    }
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(Arguments, QuotedBlanksMakeOneEmptyArgument) {
    EXPECT_EQ(SplitArguments(u"\"   \""), 1);
    ASSERT_NE(CommandArguments().pointers[0], nullptr);
    EXPECT_EQ(CommandArguments().lengths[0], 0);
    EXPECT_EQ(CommandArguments().pointers[0][0], 0);
}

TEST_F(Arguments, EachCallStartsAfreshAndANullLineChangesNothing) {
    EXPECT_EQ(SplitArguments(u"a b c"), 3);
    EXPECT_EQ(SplitArguments(u"/x"), 1);
    EXPECT_EQ(U8(CommandArguments().pointers[0]), "/x");
    for (int k = 1; k < MAX_ARGS; ++k) {
        ASSERT_EQ(CommandArguments().pointers[k], nullptr) << k;
        ASSERT_EQ(CommandArguments().lengths[k], 0) << k;
    }
    EXPECT_EQ(SplitArguments(nullptr), -1);
    EXPECT_EQ(CommandArguments().count, 1);
    EXPECT_EQ(U8(CommandArguments().pointers[0]), "/x");
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(Arguments, ArgumentsFollowOneAnotherInTheBuffer) {
    EXPECT_EQ(SplitArguments(u"ab \"c  \" d"), 3);
    EXPECT_EQ(CommandArguments().pointers[0], &CommandArguments().buffer[0]);
    EXPECT_EQ(CommandArguments().pointers[1], &CommandArguments().buffer[3]);
    EXPECT_EQ(CommandArguments().pointers[2],
              &CommandArguments().buffer[7]); // trimming moves nothing
    EXPECT_EQ(CommandArguments().lengths[1], 1);
}

TEST_F(Arguments, FillsTheBufferToItsLastUnit) {
    std::u16string line(MAX_ARG_LEN - 1, u'a');
    EXPECT_EQ(SplitArguments(line.c_str()), 1);
    EXPECT_EQ(CommandArguments().lengths[0], MAX_ARG_LEN - 1);
    EXPECT_EQ(CommandArguments().buffer[MAX_ARG_LEN - 1], 0);
    // White space after a full buffer needs no room.
    EXPECT_EQ(SplitArguments((line + u"  \t").c_str()), 1);
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(Arguments, OverflowIsReportedAndLeavesNoArguments) {
    std::u16string line(MAX_ARG_LEN, u'a');
    EXPECT_EQ(SplitArguments(line.c_str()), -1);
    EXPECT_EQ(CommandArguments().count, 0);
    EXPECT_EQ(CapturedErr(), "Hintbar plugin: Buffer overflow: b = 8191, MAX_ARG_LEN = 8192 \r\n");

    // The arguments stored so far remain, untrimmed.
    HostClearCaptured();
    line = u"\"x \" " + std::u16string(MAX_ARG_LEN, u'b');
    EXPECT_EQ(SplitArguments(line.c_str()), -1);
    EXPECT_EQ(CommandArguments().count, 0);
    EXPECT_EQ(U8(CommandArguments().pointers[0]), "x ");
    EXPECT_EQ(CommandArguments().lengths[0], 2);
    EXPECT_EQ(CommandArguments().lengths[1], MAX_ARG_LEN - 1 - 3);
}

// A separator or a slash split that comes when the terminator fills the last unit writes
// nothing; the next character stored reports the overflow, one unit further on.
TEST_F(Arguments, SeparatorAtTheLastUnitLeavesTheOverflowToTheNextCharacter) {
    std::u16string full(MAX_ARG_LEN - 1, u'a');
    EXPECT_EQ(SplitArguments((full + u" b").c_str()), -1);
    EXPECT_EQ(CapturedErr(), "Hintbar plugin: Buffer overflow: b = 8192, MAX_ARG_LEN = 8192 \r\n");

    HostClearCaptured();
    std::u16string sw = u"/" + std::u16string(MAX_ARG_LEN - 2, u'a');
    EXPECT_EQ(SplitArguments(sw.c_str()), 1);
    EXPECT_EQ(SplitArguments((sw + u"/b").c_str()), -1);
    EXPECT_EQ(CapturedErr(), "Hintbar plugin: Buffer overflow: b = 8192, MAX_ARG_LEN = 8192 \r\n");
}

TEST_F(Arguments, ArgumentsBeyondTheLastAreDropped) {
    std::u16string line;
    for (int k = 0; k < 1030; ++k) {
        line += static_cast<char16_t>(u'a' + k % 26);
        line += u' ';
    }
    EXPECT_EQ(SplitArguments(line.c_str()), MAX_ARGS);
    EXPECT_EQ(U8(CommandArguments().pointers[MAX_ARGS - 1]),
              std::string(1, 'a' + (MAX_ARGS - 1) % 26));
    EXPECT_EQ(CapturedErr(), "");
}

// The dropped text needs no room, so it cannot overflow even a full buffer.
TEST_F(Arguments, DroppedArgumentsNeverOverflow) {
    std::u16string line;
    for (int k = 0; k < MAX_ARGS; ++k) {
        line += u"abcdefg "; // 8 units with its terminator: the last one ends at the last unit
    }
    line += u"more /and/more";
    EXPECT_EQ(SplitArguments(line.c_str()), MAX_ARGS);
    EXPECT_EQ(CommandArguments().pointers[MAX_ARGS - 1],
              &CommandArguments().buffer[MAX_ARG_LEN - 8]);
    EXPECT_EQ(CapturedErr(), "");
}

} // namespace
