#include "base/text16.h"
#include "command/error_messages.h"
#include "helptable/help_loader.h"
#include "helptable/help_table.h"
#include "host/hostshell/host_control.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "tests/support/test_support.h"
#include "tests/textinput/source_fixture.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

const char kPrefix[] = "Hintbar plugin: ";

class HelpLoader : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        dir_ = MakeScratchDir();
    }
    void TearDown() override {
        RemoveTree(dir_);
        HostTest::TearDown();
    }
    // Writes a help file into the scratch directory; returns its path as the loader gets it.
    std::u16string Write(const std::string& bytes, const std::string& name = "help.txt") {
        std::string path = dir_ + "/" + name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return U16(path);
    }
    std::string dir_;
};

void InOrder(const HelpNode* node, std::vector<std::string>& out) {
    if (node) {
        InOrder(node->left, out);
        out.push_back(U8(node->name));
        InOrder(node->right, out);
    }
}

std::string Info(const HelpNode* node) {
    return node && node->info ? node->info : "(none)";
}

// Loads as the hbar command does: a failure is said in its words.
HelpLoadResult Load(const std::u16string& path) {
    HelpLoadResult loaded = LoadHelpFile(path.c_str());
    ReportLoadFailure(loaded);
    return loaded;
}

TEST_F(HelpLoader, LoadsSortsAndReportsTheSourceAsPassed) {
    std::u16string path = Write("Function help\n"
                                "\n"
                                "@upper[string] - Upper case\r\n"
                                "  @left[n,string]: Leftmost \xc2\xb6 characters\n"
                                "see @right[n,string] for more\n"
                                "@A_B[x]\n"
                                "@ab[x] \xe2\x80\x94 plain\n"
                                "@\xd0\x96"
                                "a[x]\n"); // after U, by its first unit's high byte
    // The source is named with a redundant part; the result keeps it as given, for messages.
    std::u16string given = U16(dir_) + u"/./help.txt";
    HelpLoadResult loaded = Load(given);
    const HelpNode* root = loaded.tree.root;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(loaded.functions, 5u);
    EXPECT_EQ(U8(loaded.file), U8(given));
    std::vector<std::string> names;
    InOrder(root, names);
    EXPECT_EQ(names, (std::vector<std::string>{"AB", "A_B", "LEFT", "UPPER",
                                               "\xd0\x96"
                                               "A"}));
    const HelpNode* left = FindHelpEntry(root, u"LEFT");
    ASSERT_NE(left, nullptr);
    EXPECT_STREQ(left->syntax, "  @LEFT[n,string]");
    EXPECT_EQ(Info(left), "Leftmost \xc2\xb6 characters");
    EXPECT_EQ(Info(FindHelpEntry(root, u"A_B")), "(none)");
    // The loader says nothing: its caller words what happened.
    EXPECT_EQ(CapturedOut(), "");
    EXPECT_EQ(CapturedErr(), "");
    EXPECT_EQ(FreeHelpTree(loaded.tree), 5u);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);

    // A description of one character is kept.
    loaded = Load(Write("@d[] x\n", "short.txt"));
    ASSERT_NE(loaded.tree.root, nullptr);
    EXPECT_EQ(Info(loaded.tree.root), "x");
    FreeHelpTree(loaded.tree);
}

// The second pass starts again right after the mark, not at the file's first byte: a mark
// read as text would hide the entry that follows it at once.
TEST_F(HelpLoader, AMarkFollowedAtOnceByAnEntryLine) {
    const std::u16string text = u"\uFEFF@left[n,s] - first\r\n@mid[s,a,b]\n";
    const struct {
        const char* label;
        std::string bytes;
    } files[] = {
        {"utf8", "\xEF\xBB\xBF" + U8(text.substr(1))},
        {"utf16le", EncodeUtf16(text, false)},
        {"utf16be", EncodeUtf16(text, true)},
        {"utf32le", EncodeUtf32(std::u32string(text.begin(), text.end()), false)},
    };
    for (const auto& f : files) {
        HelpLoadResult loaded = Load(Write(f.bytes));
        const HelpNode* root = loaded.tree.root;
        ASSERT_NE(root, nullptr) << f.label;
        EXPECT_EQ(loaded.functions, 2u) << f.label;
        const HelpNode* left = FindHelpEntry(root, u"LEFT");
        ASSERT_NE(left, nullptr) << f.label;
        EXPECT_STREQ(left->syntax, "@LEFT[n,s]") << f.label;
        FreeHelpTree(loaded.tree);
    }
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(HelpLoader, TheLastLineForANameWinsEntirely) {
    std::u16string path = Write("@left[a] - first description\n"
                                "@right[n,s] - right\n"
                                "@LEFT[n,string]\n"
                                "@right[x] - second\n");
    HelpLoadResult loaded = Load(path);
    const HelpNode* root = loaded.tree.root;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(loaded.functions, 2u);
    const HelpNode* left = FindHelpEntry(root, u"LEFT");
    ASSERT_NE(left, nullptr);
    EXPECT_STREQ(left->syntax, "@LEFT[n,string]");
    EXPECT_EQ(Info(left), "(none)");
    EXPECT_EQ(Info(FindHelpEntry(root, u"RIGHT")), "second");
    FreeHelpTree(loaded.tree);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

// Names alike but for one unit, or one byte of one unit, at each place the sort keys hold
// them, and names whose units reach the top of their range: each is given twice, out of
// order, and comes out once, in name order, with its last line's text.
TEST_F(HelpLoader, NamesThatDifferInOneByteSortApart) {
    const std::u16string given[] = {u"aaaaaab",     u"aaaaaaa", u"abcd\u0131", u"abcde2",
                                    u"abcde\u0131", u"abcd1",   u"abcde1",     u"abcde\u00ff",
                                    u"c\u8000",     u"b\u8000", u"\u6e00",     u"\u4e00"};
    std::string text;
    for (int round = 0; round < 2; ++round) {
        for (const std::u16string& name : given) {
            // Appended piece by piece: a chain of temporaries upsets GCC's restrict check.
            text += '@';
            text += U8(name);
            text += "[] - round ";
            text += static_cast<char>('0' + round);
            text += '\n';
        }
    }
    HelpLoadResult loaded = Load(Write(text));
    const HelpNode* root = loaded.tree.root;
    ASSERT_NE(root, nullptr);
    std::vector<std::string> names;
    InOrder(root, names);
    EXPECT_EQ(names, (std::vector<std::string>{
                         U8(u"AAAAAAA"), U8(u"AAAAAAB"), U8(u"ABCD1"), U8(u"ABCDE1"), U8(u"ABCDE2"),
                         U8(u"ABCDE\u00ff"), U8(u"ABCDE\u0131"), U8(u"ABCD\u0131"), U8(u"B\u8000"),
                         U8(u"C\u8000"), U8(u"\u4e00"), U8(u"\u6e00")}));
    EXPECT_EQ(loaded.functions, 12u);
    EXPECT_EQ(Info(FindHelpEntry(root, u"ABCDE1")), "round 1");
    FreeHelpTree(loaded.tree);
}

// Thousands of names, each given three times and out of order: every name once, the last
// line's text. Half the names share
// a long beginning and some are beginnings of others, so that the whole name has to decide.
std::string ManyName(int k) {
    return (k % 2 ? "f" : "function_f") + std::to_string(k);
}

TEST_F(HelpLoader, ManyRepeatedNamesMergeToTheLastLine) {
    const int n = 6000;
    std::string text;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < n; ++i) {
            int k = (i * 7919) % n;
            text += '@';
            text += ManyName(k) + "[x] - round " + std::to_string(round) + "\n";
        }
    }
    std::u16string path = Write(text);
    HelpLoadResult loaded = Load(path);
    const HelpNode* root = loaded.tree.root;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(loaded.functions, static_cast<uint32_t>(n));
    std::vector<std::string> names;
    InOrder(root, names);
    ASSERT_EQ(names.size(), static_cast<size_t>(n));
    for (size_t i = 1; i < names.size(); ++i) {
        EXPECT_LT(names[i - 1], names[i]);
    }
    for (int k = 0; k < n; k += 37) {
        std::string name = ManyName(k);
        for (char& c : name) {
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(Info(FindHelpEntry(root, U16(name).c_str())), "round 2") << name;
    }
    FreeHelpTree(loaded.tree);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

TEST_F(HelpLoader, FilesWithoutFunctionsLoadNothing) {
    // An empty file too: the reader says nothing of it, but the load must.
    for (const char* bytes :
         {"; comments only\nsee @left[n] for more\n@x [a]\n", "   \n\t\n", ""}) {
        HostClearCaptured();
        std::u16string path = Write(bytes);
        HelpLoadResult loaded = Load(path);
        EXPECT_EQ(loaded.outcome, HelpLoad::NoFunctions);
        EXPECT_EQ(loaded.tree.root, nullptr);
        EXPECT_EQ(CapturedOut(), "");
        EXPECT_EQ(CapturedErr(),
                  std::string(kPrefix) + "No functions found in file \"" + U8(path) + "\".\n");
    }
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

// UTF-8 forms longer than their 2,048- and 16,384-byte buffers are cut at a character
// boundary; the function is kept.
TEST_F(HelpLoader, TextTooLongInUtf8IsCutAtACharacterBoundary) {
    std::string euro = "\xe2\x82\xac";
    std::string syntax = "@x[";
    for (int i = 0; i < 1019; ++i) {
        syntax += euro; // 1,023 units in all with the "]", 3,061 bytes
    }
    syntax += "]";
    std::string info = "a";
    for (int i = 0; i < 7000; ++i) {
        info += euro;
    }
    std::u16string path = Write(syntax + " - " + info + "\n@y[] - " + info.substr(1) + "\n");
    HelpLoadResult loaded = Load(path);
    const HelpNode* root = loaded.tree.root;
    ASSERT_NE(root, nullptr);
    const HelpNode* x = FindHelpEntry(root, u"X");
    ASSERT_NE(x, nullptr);
    std::string cutSyntax = x->syntax;
    EXPECT_EQ(cutSyntax.size(), 3u + 681 * 3); // 2,046 bytes: one more euro would need 2,049
    EXPECT_EQ(cutSyntax, "@X[" + syntax.substr(3, 681 * 3));
    std::string cutInfo = x->info;
    EXPECT_EQ(cutInfo.size(), 1u + 5460 * 3); // 16,381 bytes
    EXPECT_EQ(cutInfo, info.substr(0, cutInfo.size()));
    EXPECT_EQ(std::string(FindHelpEntry(root, u"Y")->info).size(), 5461u * 3); // exactly fits
    FreeHelpTree(loaded.tree);
    // A UTF-16 line short enough to be read straight into UTF-8 is cut the same way.
    loaded = Load(Write("\xFF\xFE" + EncodeUtf16(U16("@z[] - " + info), false), "wide.txt"));
    ASSERT_NE(loaded.tree.root, nullptr);
    std::string wideInfo = loaded.tree.root->info;
    EXPECT_EQ(wideInfo.size(), cutInfo.size());
    EXPECT_TRUE(wideInfo == cutInfo);
    FreeHelpTree(loaded.tree);
}

// Every allocation a load makes may fail: the load then returns no tree and the failure its
// message tells, and leaks nothing.
TEST_F(HelpLoader, EveryAllocationFailureIsReportedAndCleanedUp) {
    // Seventeen entry lines outgrow the sixteen places a small file's array begins with; most
    // end in a CR alone, which leaves them to the general reader.
    std::string bytes = "@b[1] - x\n@a[2]\n@b[3] - y\n@c[4] - z\n";
    for (int i = 0; i < 13; ++i) {
        bytes += "@d" + std::to_string(i) + "[]\r";
    }
    std::u16string path = Write(bytes);
    const int strings = 2; // one block of staged names, one of texts
    const int nodes = 1;   // one block for the whole tree
    long before = PlatformAllocationCount();
    HelpTree tree = LoadHelpFile(path.c_str()).tree;
    long total = PlatformAllocationCount() - before;
    ASSERT_NE(tree.root, nullptr);
    FreeHelpTree(tree);
    const long reader = total - 3 - strings - nodes; // the text source's own
    ASSERT_GE(reader, 0);

    for (long n = 1; n <= total; ++n) {
        SCOPED_TRACE(std::string("allocation ") + std::to_string(n));
        HostClearCaptured();
        PlatformFailAllocationAt(n);
        HelpLoadResult loaded = Load(path);
        PlatformFailAllocationAt(0);
        EXPECT_EQ(loaded.tree.root, nullptr);
        EXPECT_NE(loaded.outcome, HelpLoad::Loaded);
        EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
        EXPECT_EQ(CapturedOut(), "");
        std::string expected;
        if (n <= reader) {
            continue; // the text source's failures, told in its own words
        } else if (n == reader + 1 || (n > reader + 1 + strings && n <= reader + 3 + strings)) {
            // The array, after the first texts its growth, and its sort keys.
            expected = "Allocating help array\n";
        } else if (n <= reader + 1 + strings) {
            expected = "Error allocating memory for help strings\r\n";
        } else {
            expected = "Error converting array to tree\n";
        }
        EXPECT_EQ(CapturedErr(), kPrefix + expected);
    }
}

// A description that opens a second block of staged texts fails there on its own: the load
// then fails as a whole, rather than keep the entry without its description.
TEST_F(HelpLoader, ADescriptionThatCannotBeStagedFailsTheLoad) {
    std::string bytes;
    for (int i = 0; i < 40; ++i) {
        bytes += "@f" + std::to_string(i) + "[] - " + std::string(8000, 'd') + "\n";
    }
    std::u16string path = Write(bytes);
    long before = PlatformAllocationCount();
    HelpTree tree = LoadHelpFile(path.c_str()).tree;
    long total = PlatformAllocationCount() - before;
    ASSERT_NE(tree.root, nullptr);
    FreeHelpTree(tree);
    // After the reader: the array, two blocks, the array's sort keys, then the tree's block.
    long secondBlock = total - 2;
    PlatformFailAllocationAt(secondBlock);
    EXPECT_EQ(Load(path).outcome, HelpLoad::NoText);
    PlatformFailAllocationAt(0);
    EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "Error allocating memory for help strings\r\n");
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

} // namespace
