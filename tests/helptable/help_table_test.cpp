#include "base/text16.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "helptable/staged_texts.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "tests/support/test_support.h"

#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

// A heap copy through the plug-in's allocator, as the loader makes them.
char* HeapText(const char* text) {
    size_t n = strlen(text) + 1;
    char* copy = static_cast<char*>(PlatformAlloc(n));
    memcpy(copy, text, n);
    return copy;
}

// Entries borrow their names: these stay for the whole run.
const char16_t* KeptName(const std::u16string& name) {
    static std::deque<std::u16string> kept;
    return kept.emplace_back(name).c_str();
}

std::vector<HelpEntry> Entries(const std::vector<std::u16string>& names, bool withText) {
    std::vector<HelpEntry> entries(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        entries[i].name = KeptName(names[i]);
        entries[i].syntax =
            withText ? HeapText((std::string("@") + U8(names[i]) + "[x]").c_str()) : nullptr;
        entries[i].info = nullptr;
    }
    return entries;
}

// The entries keep their texts when a tree is built from them.
void ReleaseTexts(std::vector<HelpEntry>& entries) {
    for (HelpEntry& entry : entries) {
        PlatformFree(entry.syntax);
        PlatformFree(entry.info);
        entry.syntax = entry.info = nullptr;
    }
}

std::vector<std::u16string> NumberedNames(int n) {
    std::vector<std::u16string> names;
    for (int i = 0; i < n; ++i) {
        std::string digits = std::to_string(100000 + i);
        std::u16string name = u"N";
        name += U16(digits);
        names.push_back(name);
    }
    return names;
}

// The tree as text: (left NAME right), "-" for none.
std::string Shape(const HelpNode* node) {
    if (!node) {
        return "-";
    }
    return std::string("(") + Shape(node->left) + " " + U8(node->name) + " " + Shape(node->right) +
           ")";
}

// Checks the size rule at every node; returns the subtree's size and its height.
int CheckBalance(const HelpNode* node, int* height) {
    if (!node) {
        *height = 0;
        return 0;
    }
    int lh = 0, rh = 0;
    int left = CheckBalance(node->left, &lh);
    int right = CheckBalance(node->right, &rh);
    int n = left + right + 1;
    EXPECT_EQ(left, n / 2) << U8(node->name);
    *height = 1 + (lh > rh ? lh : rh);
    return n;
}

void InOrder(const HelpNode* node, std::vector<std::u16string>& out) {
    if (node) {
        InOrder(node->left, out);
        out.push_back(node->name);
        InOrder(node->right, out);
    }
}

using HelpTrees = HostTest;

TEST_F(HelpTrees, NamesOrderByCodeUnit) {
    EXPECT_EQ(CompareHelpNames(u"DATE", u"DATECONV"), -1);
    EXPECT_EQ(CompareHelpNames(u"DATECONV", u"DATE"), 1);
    EXPECT_EQ(CompareHelpNames(u"AB", u"A_B"), -1);
    EXPECT_EQ(CompareHelpNames(u"A$", u"A0"), -1);
    EXPECT_EQ(CompareHelpNames(u"A0", u"AA"), -1);
    EXPECT_EQ(CompareHelpNames(u"LEFT", u"LEFT"), 0);
    EXPECT_EQ(CompareHelpNames(u"left", u"LEFT"), 1); // no case folding
    // Units above U+7FFF compare as unsigned numbers.
    EXPECT_EQ(CompareHelpNames(u"A\u00e9", u"A\uff21"), -1);
    EXPECT_EQ(CompareHelpNames(u"A\uff21", u"AZ"), 1);
    // A missing name orders as an empty one.
    EXPECT_EQ(CompareHelpNames(nullptr, u""), 0);
    EXPECT_EQ(CompareHelpNames(nullptr, u"A"), -1);
    EXPECT_EQ(CompareHelpNames(u"A", nullptr), 1);
}

TEST_F(HelpTrees, SmallTreesHaveTheirExactShape) {
    struct Case {
        std::vector<std::u16string> names;
        const char* shape;
    } cases[] = {
        {{u"A"}, "(- A -)"},
        {{u"A", u"B"}, "((- A -) B -)"},
        {{u"A", u"B", u"C", u"D"}, "(((- A -) B -) C (- D -))"},
        {{u"A", u"B", u"C", u"D", u"E"}, "(((- A -) B -) C ((- D -) E -))"},
    };
    for (const Case& c : cases) {
        std::vector<HelpEntry> entries = Entries(c.names, true);
        HelpTree tree = BuildHelpTree(entries);
        const HelpNode* root = tree.root;
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(Shape(root), c.shape);
        EXPECT_EQ(tree.count, c.names.size());
        // The texts are copied into the tree's own block.
        EXPECT_NE(FindHelpEntry(root, u"A")->syntax, entries[0].syntax);
        EXPECT_STREQ(FindHelpEntry(root, u"A")->syntax, "@A[x]");
        EXPECT_EQ(FreeHelpTree(tree), c.names.size());
        ReleaseTexts(entries);
    }
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

TEST_F(HelpTrees, EveryTreeIsBalancedAndSorted) {
    std::vector<int> sizes;
    for (int n = 1; n <= 300; ++n) {
        sizes.push_back(n);
    }
    for (int n : {511, 512, 513, 1023, 1024, 1025, 2047, 2048, 3000, 4095, 4096}) {
        sizes.push_back(n);
    }
    for (int n : sizes) {
        std::vector<std::u16string> names = NumberedNames(n);
        std::vector<HelpEntry> entries = Entries(names, false);
        HelpTree tree = BuildHelpTree(entries);
        const HelpNode* root = tree.root;
        ASSERT_NE(root, nullptr);
        int height = 0;
        EXPECT_EQ(CheckBalance(root, &height), n);
        int expected = 1;
        for (int m = n; m > 1; m /= 2) {
            ++expected;
        }
        EXPECT_EQ(height, expected) << n;
        std::vector<std::u16string> walk;
        InOrder(root, walk);
        EXPECT_EQ(walk, names);
        for (int i = 0; i < n; i += 97) {
            ASSERT_NE(FindHelpEntry(root, names[i].c_str()), nullptr);
            EXPECT_EQ(std::u16string(FindHelpEntry(root, names[i].c_str())->name), names[i]);
        }
        EXPECT_EQ(FindHelpEntry(root, u"N0"), nullptr);
        EXPECT_EQ(FindHelpEntry(root, u"N999999"), nullptr);
        FreeHelpTree(tree);
    }
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

TEST_F(HelpTrees, LookupIsExactAndToleratesNothingLoaded) {
    std::vector<HelpEntry> entries = Entries({u"DATE", u"DATECONV", u"LEFT"}, true);
    HelpTree tree = BuildHelpTree(entries);
    const HelpNode* root = tree.root;
    ASSERT_NE(root, nullptr);
    EXPECT_NE(FindHelpEntry(root, u"LEFT"), nullptr);
    EXPECT_EQ(FindHelpEntry(root, u"left"), nullptr); // the caller upper-cases first
    EXPECT_EQ(FindHelpEntry(root, u"DAT"), nullptr);
    EXPECT_EQ(FindHelpEntry(root, u"DATEC"), nullptr);
    EXPECT_EQ(FindHelpEntry(root, nullptr), nullptr);
    EXPECT_EQ(FindHelpEntry(nullptr, u"LEFT"), nullptr);
    EXPECT_EQ(BuildHelpTree({}).root, nullptr);
    // A loaded tree's layout refuses an order or room that does not fit its entries, and
    // releases the room.
    int32_t order[4] = {0, 1, 2, 2};
    int32_t place[3] = {};
    StagedHelp staged = {};
    std::span<const HelpEntry> all(entries);
    long live = PlatformLiveAllocations();
    EXPECT_EQ(ReserveHelpTree(0).block, nullptr);
    EXPECT_EQ(BuildHelpTreeOver(ReserveHelpTree(3), all, order, place, &staged).root, nullptr);
    EXPECT_EQ(BuildHelpTreeOver(ReserveHelpTree(3), all.first(2), {order, 3}, place, &staged).root,
              nullptr);
    EXPECT_EQ(BuildHelpTreeOver(ReserveHelpTree(2), all, {order, 3}, place, &staged).root, nullptr);
    EXPECT_EQ(BuildHelpTreeOver(ReserveHelpTree(3), all, {order, 3}, {place, 2}, &staged).root,
              nullptr);
    EXPECT_EQ(BuildHelpTreeOver(ReserveHelpTree(3), all, {order, 3}, place, nullptr).root, nullptr);
    EXPECT_EQ(BuildHelpTreeOver(ReserveHelpTree(3), all, {order, size_t{0}}, place, &staged).root,
              nullptr);
    EXPECT_EQ(BuildHelpTreeOver({nullptr, {}}, all, {order, 3}, place, &staged).root, nullptr);
    EXPECT_EQ(PlatformLiveAllocations(), live);
    FreeHelpTree(tree);
    // The table counts the nodes of the tree its owner built, and releases them all.
    ASSERT_TRUE(LoadHelpEntries(entries, u"three.txt"));
    EXPECT_EQ(HelpTableCount(), 3u);
    EXPECT_EQ(UnloadHelp(), 3u);
    EXPECT_EQ(HelpTableCount(), 0u);
    std::swap(entries[0], entries[2]);
    EXPECT_FALSE(LoadHelpEntries(entries, u"three.txt")); // out of order
    EXPECT_EQ(HelpTableRoot(), nullptr);
    ReleaseTexts(entries);
    HelpTree none;
    EXPECT_EQ(FreeHelpTree(none), 0u);
}

TEST_F(HelpTrees, MeasuringCountsUtf8BytesAndTwentyPerNode) {
    std::vector<HelpEntry> entries = Entries({u"LEFT"}, false);
    entries[0].syntax = HeapText("@LEFT[n,string]");
    HelpTree tree = BuildHelpTree(entries);
    const HelpNode* root = tree.root;
    ASSERT_NE(root, nullptr);
    HelpTableTotals totals = {};
    MeasureHelpTree(root, &totals);
    EXPECT_EQ(totals.nodes, 1u);
    EXPECT_EQ(totals.nodeBytes, 20u);
    EXPECT_EQ(totals.nameBytes, 8u);
    EXPECT_EQ(totals.syntaxBytes, 16u);
    EXPECT_EQ(totals.infoBytes, 0u);
    FreeHelpTree(tree);
    ReleaseTexts(entries);

    entries = Entries({u"A", u"\u00e9"}, false);
    entries[0].syntax = HeapText("@A[\xc3\xa9]"); // é takes two bytes
    entries[0].info = HeapText("caf\xc3\xa9");
    entries[1].syntax = HeapText("@\xc3\xa9[]");
    tree = BuildHelpTree(entries);
    root = tree.root;
    totals = HelpTableTotals{};
    MeasureHelpTree(root, &totals);
    EXPECT_EQ(totals.nodes, 2u);
    EXPECT_EQ(totals.nodeBytes, 40u);
    EXPECT_EQ(totals.nameBytes, 4u);
    EXPECT_EQ(totals.syntaxBytes, 7u + 6u); // "@A[é]" and "@é[]"
    EXPECT_EQ(totals.infoBytes, 6u);
    // Measuring adds to what the caller holds.
    MeasureHelpTree(root, &totals);
    EXPECT_EQ(totals.nodes, 4u);
    MeasureHelpTree(root, nullptr);
    FreeHelpTree(tree);
    ReleaseTexts(entries);
    MeasureHelpTree(nullptr, &totals);
    EXPECT_EQ(totals.nodes, 4u);
}

TEST_F(HelpTrees, FreeingReleasesEveryNodeAndString) {
    std::vector<HelpEntry> entries = Entries(NumberedNames(250), true);
    for (int i = 0; i < 250; i += 2) {
        entries[i].info = HeapText("more");
    }
    long withTexts = PlatformLiveAllocations();
    HelpTree tree = BuildHelpTree(entries);
    const HelpNode* root = tree.root;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(PlatformLiveAllocations(), withTexts + 1) << "one block holds the whole tree";
    ReleaseTexts(entries);
    EXPECT_STREQ(FindHelpEntry(root, u"N100000")->info, "more");
    EXPECT_STREQ(FindHelpEntry(root, u"N100249")->syntax, "@N100249[x]");
    EXPECT_EQ(FindHelpEntry(root, u"N100249")->info, nullptr);
    EXPECT_EQ(FreeHelpTree(tree), 250u);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

TEST_F(HelpTrees, AFailedBuildLeavesTheEntriesTheirStrings) {
    const int n = 13;
    std::vector<HelpEntry> entries = Entries(NumberedNames(n), true);
    long withStrings = PlatformLiveAllocations();
    PlatformFailAllocationAt(1);
    long before = PlatformAllocationCount();
    EXPECT_EQ(BuildHelpTree(entries).root, nullptr);
    EXPECT_EQ(PlatformAllocationCount() - before, 1);
    EXPECT_EQ(PlatformLiveAllocations(), withStrings);
    ReleaseTexts(entries); // still the entries' own, each freed exactly once
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

// A text that ends exactly at the end of its block takes the block's last byte for its
// terminator, and the next text starts a new block; the sanitizer build sees any byte
// written past the block.
TEST_F(HelpTrees, StagedTextsFillTheirBlockExactly) {
    const size_t room = kStagedBlockBytes - sizeof(char*); // after the link to the block before
    StagedTexts staged = {};
    std::string first(100, 'a');
    std::string rest(room - first.size() - 1 - 1, 'b'); // its terminator is the block's last byte
    char* a = StageText(&staged, first.c_str(), first.size());
    char* b = StageText(&staged, rest.c_str(), rest.size());
    char* c = StageText(&staged, "c", 1);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(b, a + first.size() + 1) << "the fitting text shares the block";
    EXPECT_EQ(staged.used, sizeof(char*) + 2) << "the next text opened a block of its own";
    EXPECT_EQ(std::string(b), rest);
    EXPECT_STREQ(c, "c");
    EXPECT_EQ(std::string(a), first);
    // The longest text a block can take fills an empty one exactly; one byte more is refused.
    std::string longest(room - 1, 'd');
    char* d = StageText(&staged, longest.c_str(), longest.size());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(std::string(d), longest);
    EXPECT_EQ(staged.used, kStagedBlockBytes);
    std::string tooLong(room, 'e');
    EXPECT_EQ(StageText(&staged, tooLong.c_str(), tooLong.size()), nullptr);
    EXPECT_EQ(StageText(nullptr, "x", 1), nullptr);
    EXPECT_EQ(StageText(&staged, nullptr, 0), nullptr);
    ReleaseStagedTexts(&staged);
    ReleaseStagedTexts(nullptr);
    // A text whose terminator would fall one byte past the block goes to a new block.
    std::string most(room - 6, 'f');
    ASSERT_NE(StageText(&staged, most.c_str(), most.size()), nullptr);
    EXPECT_EQ(staged.used, kStagedBlockBytes - 5);
    ASSERT_NE(StageText(&staged, "ghijk", 5), nullptr);
    EXPECT_EQ(staged.used, sizeof(char*) + 6);
    ReleaseStagedTexts(&staged);
    // A first block sized for a small file takes a text that fills it exactly; a text one byte
    // too long for it, or a size past the usual one, gets a block of the usual size.
    for (size_t size : {sizeof(char*) + 6, sizeof(char*) + 5, kStagedBlockBytes + 1}) {
        staged.firstBytes = size;
        ASSERT_NE(StageText(&staged, "lmnop", 5), nullptr);
        EXPECT_EQ(staged.blockBytes, size == sizeof(char*) + 6 ? size : kStagedBlockBytes);
        ReleaseStagedTexts(&staged);
    }
    // A name after a text that leaves an odd offset starts on the next even byte, whole and
    // terminated; one of 48 units is refused.
    ASSERT_NE(StageText(&staged, "ab", 2), nullptr);
    const char16_t* name = StageName(&staged, u"LEFTX", 4);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(name) % alignof(char16_t), 0u);
    EXPECT_EQ(std::u16string(name), u"LEFT");
    EXPECT_EQ(StageName(&staged, std::u16string(48, u'N').c_str(), 48), nullptr);
    EXPECT_NE(StageName(&staged, std::u16string(47, u'N').c_str(), 47), nullptr);
    ReleaseStagedTexts(&staged);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

} // namespace
