// The bracket decision alone: which help a typed bracket asks for, from the line, the cursor,
// the table and whether help was shown on the line. Nothing here reads or writes a window.
#include "livehelp/help_decision.h"
#include "tests/livehelp/live_help_fixture.h"

#include "helptable/help_sources.h"
#include "helptable/help_table.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr size_t kEnd = std::u16string::npos;

struct Case {
    int32_t key;
    std::u16string line;
    size_t cursor;     // units before the cursor; kEnd for the line's end
    bool shown;        // help was shown on this line
    HelpAction action; // expected
    const char* node;  // the entry shown, for ShowHelp
};

class BracketDecision : public LiveHelpTest {
  protected:
    void SetUp() override {
        LiveHelpTest::SetUp();
        LoadSampleHelp();
    }
    void Check(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            size_t cursor = c.cursor == kEnd ? c.line.size() : c.cursor;
            HelpDecision d = DecideBracketHelp(c.key, c.line.c_str(), c.line.c_str() + cursor,
                                               HelpTableRoot(), c.shown);
            std::string where = U8(c.line) + " key " + std::to_string(c.key) + " cursor " +
                                std::to_string(cursor) + (c.shown ? " shown" : "");
            EXPECT_EQ(d.action, c.action) << where;
            if (c.action == HelpAction::ShowHelp && d.node) {
                EXPECT_EQ(U8(d.node->name), c.node) << where;
                EXPECT_EQ(d.savesFirst, c.key == u'[') << where << ": only '[' saves first";
            } else {
                EXPECT_EQ(d.node, nullptr) << where;
            }
        }
    }
    const std::string name47 = kName47;
};

constexpr auto Show = HelpAction::ShowHelp;
constexpr auto Back = HelpAction::PutBackSaved;
constexpr auto None = HelpAction::Nothing;

TEST_F(BracketDecision, OpeningBracketFindsTheNameRightBeforeTheCursor) {
    std::u16string n47 = u"%@" + std::u16string(47, u'n');
    Check({
        {u'[', u"echo %@len", kEnd, false, Show, "LEN"},
        {u'[', u"echo %@len", 9, false, Show, "LE"}, // cursor after %@le
        {u'[', u"echo %@my_Fn$ %@len", 13, false, Show, "MY_FN$"},
        {u'[', u"%@empty", kEnd, false, Show, "EMPTY"}, // an entry without syntax still shows
        {u'[', n47, kEnd, false, Show, name47.c_str()},
        {u'[', n47 + u"n", kEnd, false, None, nullptr}, // 48 units is no name
        {u'[', u"%@nohelp", kEnd, false, None, nullptr},
        {u'[', u"%@2x", kEnd, false, None, nullptr},
        {u'[', u"%@len x", kEnd, false, None, nullptr},
        {u'[', u"%@a-b", kEnd, false, None, nullptr},
        {u'[', u"@len", kEnd, false, None, nullptr},
        {u'[', u"%@LEN%", kEnd, false, None, nullptr},
        {u'[', u"%@A%@", kEnd, false, None, nullptr},
        {u'[', u"len", kEnd, false, None, nullptr},
        {u'[', u"", kEnd, true, None, nullptr},
    });
}

// The cursor's bracket closes the innermost list; the help is that of the nearest function
// further out, or what showed before the line's first help.
TEST_F(BracketDecision, ClosingBracketShowsTheEnclosingFunction) {
    Check({
        {u']', u"%@a[%@b[1", kEnd, true, Show, "A"},
        {u']', u"%@a[1", kEnd, true, Back, nullptr},
        {u']', u"%@a[x[y", kEnd, true, Show, "A"},
        {u']', u"%@a[%@b[x]", kEnd, true, Back, nullptr},
        {u']', u"%@a[%@nohelp[x", kEnd, true, Show, "A"},
        {u']', u"%@nohelp[%@b[x", kEnd, true, Back, nullptr},
        {u']', u"%@a[%@b[[%@empty[x", kEnd, true, Show, "B"},
        {u']', u"%@a[%@empty[%@b[x", kEnd, true, Back, nullptr}, // no syntax ends the search
        {u']', u"x]]%@a[%@b[", kEnd, true, Show, "A"},           // stray closers are ignored
        {u']', u"%@a[%@b[1[", 9, true, Show, "A"}, // what follows the cursor is not read
        {u']', u"]", kEnd, true, Back, nullptr},
        // A bracket alone among four units of plain text, where the scan goes word by word.
        {u']', u"%@a[%@b[xyz]pqrs", kEnd, true, Back, nullptr},
        {u']', u"%@a[pqr[stuvwxyz", kEnd, true, Show, "A"},
        // A terminator before the cursor, among the units after the last whole word.
        {u']', std::u16string(u"%@a[\0]x", 7), kEnd, true, None, nullptr},
        {u']', u"", kEnd, true, Back, nullptr},
        // Until help was shown on the line, the host's own text stays.
        {u']', u"echo ", kEnd, false, None, nullptr},
        {u']', u"echo [x", kEnd, false, None, nullptr},
        {u']', u"echo %@nosuchfunc[", kEnd, false, None, nullptr},
        {u']', u"%@a[1", kEnd, false, None, nullptr},
        {u']', u"", kEnd, false, None, nullptr},
        {u']', u"%@a[%@b[1", kEnd, false, Show, "A"},
    });
}

TEST_F(BracketDecision, MoreThan64OpenBracketsDecideNothing) {
    // Bracket 1 belongs to A, bracket 62 to B; 65 are open at the end of deep.
    std::u16string deep = u"%@a[" + std::u16string(60, u'[') + u"%@b[" + u"[[[";
    Check({
        {u']', deep, kEnd, true, None, nullptr},
        // Two closed: the 65th leaves the overflow, the 64th the stack; the cursor's bracket
        // closes the 63rd, so B's list is the enclosing one.
        {u']', deep + u"]]", kEnd, true, Show, "B"},
        // Exactly 64 open fit on the stack.
        {u']', u"%@a[" + std::u16string(62, u'[') + u"%@b[", kEnd, true, Show, "A"},
    });
}

TEST_F(BracketDecision, OtherKeysAndNoTableDecideNothing) {
    std::vector<Case> cases;
    for (int32_t code : {int32_t{u'a'}, int32_t{u'('}, int32_t{u'%'}, int32_t{u'{'}, 0, 0x5B5B}) {
        cases.push_back({code, u"%@a[%@b[x", kEnd, true, None, nullptr});
    }
    Check(cases);
    std::u16string line = u"%@a";
    EXPECT_EQ(DecideBracketHelp(u'[', line.c_str(), line.c_str() + 3, nullptr, true).action, None);
    EXPECT_EQ(DecideBracketHelp(u']', line.c_str(), line.c_str() + 3, nullptr, true).action, None);
}

// What the line means at every key, for help that follows the typing: (line, cursor, key) to
// a call and its argument, the names being typed, or nothing.
TEST_F(BracketDecision, FollowingTheTypingFindsTheCallTheArgumentOrTheNames) {
    const struct {
        int32_t key;
        std::u16string line;
        size_t cursor;
        FollowKind kind;
        const char* found; // the call's entry, or the prefix typed
        int argument;
    } cases[] = {
        {u'5', u"echo %@len[", kEnd, FollowKind::InCall, "LEN", 0},
        {u',', u"echo %@a[5", kEnd, FollowKind::InCall, "A", 1}, // a comma as the key
        {0, u"echo %@a[5,x", kEnd, FollowKind::InCall, "A", 1},
        // Commas inside a nested call's brackets count for that call only.
        {0, u"%@a[1,%@b[2,3],", kEnd, FollowKind::InCall, "A", 2},
        {0, u"%@a[1,%@b[2,3", kEnd, FollowKind::InCall, "B", 1},
        {0, u"%@a[1,[x,y", kEnd, FollowKind::InCall, "A", 1}, // an unnamed list: A's argument
        // Backspace over ",", over "[" and over a pair.
        {kBackspaceKey, u"%@a[5,", kEnd, FollowKind::InCall, "A", 0},
        {kBackspaceKey, u"%@len[", kEnd, FollowKind::Naming, "LEN", 0},
        {kBackspaceKey, u"%@a[\U0001F600", kEnd, FollowKind::InCall, "A", 0},
        {kBackspaceKey, u"%@le\U0001F600", kEnd, FollowKind::Naming, "LE", 0},
        {0x1F600, u"%@a[", kEnd, FollowKind::InCall, "A", 0}, // a character past U+FFFF
        // A cursor moved out of the call, told by a key code 0 with the line.
        {0, u"%@a[5] x", kEnd, FollowKind::Nothing, "", 0},
        {0, u"%@a[5] x", 3, FollowKind::Naming, "A", 0},
        {0, u"%@a[5] x", 5, FollowKind::InCall, "A", 0},
        // Names being typed; "%@" alone at the line's end is no name yet.
        {u'e', u"echo %@l", kEnd, FollowKind::Naming, "LE", 0},
        {u'@', u"echo %", kEnd, FollowKind::Nothing, "", 0},
        {0, u"echo %@zz", kEnd, FollowKind::Naming, "ZZ", 0},
        {0, u"%@nosuch[1,", kEnd, FollowKind::Nothing, "", 0}, // a call without an entry
        {0x7F, u"%@a[5,", kEnd, FollowKind::InCall, "A", 1},   // not a character: as it stands
    };
    for (const auto& c : cases) {
        size_t cursor = c.cursor == kEnd ? c.line.size() : c.cursor;
        FollowDecision d =
            DecideFollow(c.key, c.line.c_str(), c.line.c_str() + cursor, HelpTableRoot());
        std::string where = U8(c.line) + " key " + std::to_string(c.key);
        EXPECT_EQ(d.kind, c.kind) << where;
        if (c.kind == FollowKind::InCall) {
            EXPECT_EQ(U8(d.node->name), c.found) << where;
            EXPECT_EQ(d.argument, c.argument) << where;
        } else if (c.kind == FollowKind::Naming) {
            EXPECT_EQ(U8(d.prefix), c.found) << where;
        }
    }
    // Past the 64-deep limit nothing is followed; exactly 64 open are.
    std::u16string deep = u"%@a[" + std::u16string(64, u'[');
    EXPECT_EQ(DecideFollow(0, deep.c_str(), deep.c_str() + deep.size(), HelpTableRoot()).kind,
              FollowKind::Nothing);
    deep.pop_back();
    EXPECT_EQ(DecideFollow(0, deep.c_str(), deep.c_str() + deep.size(), HelpTableRoot()).kind,
              FollowKind::InCall);
    EXPECT_EQ(DecideFollow(u'x', deep.c_str(), deep.c_str() + deep.size(), nullptr).kind,
              FollowKind::Nothing);
}

// The names that begin with a prefix, in name order, from the ordered tree.
TEST_F(BracketDecision, MatchingNamesComeInNameOrderWithTheirCount) {
    std::vector<std::string> names, syntax;
    for (int i = 0; i < 30; ++i) {
        names.push_back(std::string(i % 3 == 0   ? "LE"
                                    : i % 3 == 1 ? "LA"
                                                 : "M") +
                        static_cast<char>('A' + i));
        syntax.push_back("@" + names.back() + "[x]");
    }
    std::vector<HelpSpec> many;
    for (size_t i = 0; i < names.size(); ++i) {
        many.push_back({names[i].c_str(), syntax[i].c_str(), nullptr});
    }
    LoadHelp(many);
    const HelpNode* shown[8] = {};
    EXPECT_EQ(MatchingNames(HelpTableRoot(), u"LE", shown), 10u); // more than eight
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        if (name.rfind("LE", 0) == 0) {
            expected.push_back(name);
        }
    }
    std::sort(expected.begin(), expected.end());
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(U8(shown[i]->name), expected[i]);
    }
    EXPECT_EQ(MatchingNames(HelpTableRoot(), u"LEZ", shown), 0u); // none
    EXPECT_EQ(MatchingNames(HelpTableRoot(), u"MZ", shown), 0u);
    EXPECT_EQ(MatchingNames(HelpTableRoot(), u"M", shown), 10u);
}

} // namespace
