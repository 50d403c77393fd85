// The keystroke handler against a host window with a status bar: what each decision sends,
// what the status bar shows, and what is saved and put back. Which help a bracket asks for is
// decided, and tested, apart from any window.
#include "livehelp/help_decision.h"
#include "livehelp/help_line.h"
#include "livehelp/status_bar.h"
#include "tests/livehelp/live_help_fixture.h"

#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "host/hostshell/host_control.h"
#include "tests/livehelp/test_windows.h"

#include <string>

namespace {

class KeyHandler : public LiveHelpTest {
  protected:
    void SetUp() override {
        LiveHelpTest::SetUp();
        LoadSampleHelp();
    }
    const std::u16string helpA = Composed("@A[x]", "About A");
    const std::u16string helpB = Composed("@B[y]");
    const std::u16string helpLen = Composed("@LEN[string]", "Length.\u00B6\u00ACSee also");
};

TEST_F(KeyHandler, OpeningBracketShowsHelpAfterSavingTheStatusBar) {
    Press(u'[', u"echo %@len");
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(U8(Sent()[0]), U8(helpLen));
    EXPECT_EQ(U8(Bar()), U8(helpLen));
    EXPECT_EQ(U8(Saved()), "Ready");
    EXPECT_TRUE(LineCaptured());
    // The same help again sends nothing: the bar shows it already.
    Press(u'[', u"echo %@len[x] %@len");
    EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(KeyHandler, AnEntryWithoutSyntaxStillSendsItsEmptyText) {
    Press(u'[', u"%@empty");
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0], u"");
    EXPECT_TRUE(LineCaptured());
}

// Until help has been shown on a line, the status bar shows its own text: a closing bracket
// with no help to show leaves it alone. Once help was shown, the bracket clears it away even
// when nothing could be saved (the request then carries no text).
TEST_F(KeyHandler, ClosingBracketWithoutHelpOnTheLineSendsNothing) {
    for (const char16_t* line : {u"echo ", u"echo [x", u"echo %@nosuchfunc[", u"%@a[1", u""}) {
        Press(u']', line);
        EXPECT_TRUE(Sent().empty()) << U8(line);
    }
    EXPECT_EQ(U8(Bar()), "Ready");
    Press(u']', u"%@a[%@b[1");
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(U8(Sent()[0]), U8(helpA));
    EXPECT_FALSE(LineCaptured()) << "only an opening bracket captures";

    ClearSent();
    MarkHelpShown(); // help was shown, but the status bar's text was not saved
    Press(u']', u"%@a[1");
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0], u"");
}

TEST_F(KeyHandler, StatusIsCapturedOncePerLine) {
    Press(u'[', u"%@a");
    Press(u'[', u"%@a[%@b");
    EXPECT_EQ(U8(Bar()), U8(helpB));
    EXPECT_EQ(U8(Saved()), "Ready") << "the second help must not capture the first";
    Press(u']', u"%@a[%@b[x");
    EXPECT_EQ(U8(Bar()), U8(helpA));
    Press(u']', u"%@a[%@b[x]");
    EXPECT_EQ(U8(Bar()), "Ready");
    ASSERT_EQ(Sent().size(), 4u);

    // The next line captures afresh.
    Boundary();
    EXPECT_EQ(U8(Saved()), "(none)");
    EXPECT_FALSE(LineCaptured());
    SetTestWindowText(bar_, u"Other");
    Press(u'[', u"%@b");
    EXPECT_EQ(U8(Saved()), "Other");
}

TEST_F(KeyHandler, WithoutTheBoundaryTheFirstLinesTextStays) {
    Press(u'[', u"%@a");
    SetTestWindowText(bar_, u"Other");
    Press(u'[', u"%@b");
    Press(u']', u"%@b[x");
    EXPECT_EQ(U8(Bar()), "Ready");
}

TEST_F(KeyHandler, BoundaryNeedsKeyZeroAndNoLine) {
    SetSaved(u"Saved");
    MarkHelpShown();
    Press(0, u"%@a[1");
    EXPECT_EQ(U8(Saved()), "Saved");
    EXPECT_TRUE(LineCaptured());
    KeyEvent notBoundary = {};
    notBoundary.key = u'x';
    EXPECT_EQ(key(&notBoundary), 0);
    EXPECT_EQ(U8(Saved()), "Saved");
    Boundary();
    EXPECT_EQ(U8(Saved()), "(none)");
    EXPECT_FALSE(LineCaptured());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(KeyHandler, OtherKeysDoNothing) {
    for (char16_t code : {u'a', u'(', u'%', u'{', char16_t(0x5B5B)}) {
        Press(code, u"%@a[%@b[x");
    }
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(LineCaptured());
}

TEST_F(KeyHandler, NoTableNoHelp) {
    SetSaved(u"Saved");
    UnloadHelp();
    Press(u'[', u"%@a");
    Press(u']', u"%@a[x");
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(LineCaptured());
}

TEST_F(KeyHandler, HelpIsSentEvenWhenTheStatusBarCannotBeRead) {
    HostSetHwndAnswer(u"");
    Press(u'[', u"%@a");
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_TRUE(LineCaptured());
    Press(u']', u"%@a[x");
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(Sent()[1], u"");
}

// A cursor that is not inside the line is an event the handler cannot read safely: it is
// passed over. Each line below would give help if the handler read past the cursor's checks.
TEST_F(KeyHandler, CursorOutsideTheLineIsIgnored) {
    char16_t text[] = u"%@a[\0%@b[%@a";
    alignas(8) char16_t shifted[] = u"x%\0x%@a";
    KeyEvent event = {};
    for (char16_t code : {u'[', u']'}) {
        event.key = code;
        event.line = text;
        event.cursor = nullptr;
        key(&event);
        event.cursor = text + 12; // beyond the terminator at 4
        key(&event);
        event.line = shifted + 1;
        event.cursor = shifted + 7; // the terminator before the line's first aligned word
        key(&event);
        event.line = text + 5;
        event.cursor = text + 3; // before the line
        key(&event);
        event.line = text;
        event.cursor = reinterpret_cast<char16_t*>(reinterpret_cast<char*>(text) + 7); // odd
        key(&event);
    }
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(LineCaptured());
    event.key = u'[';
    event.line = text + 5;
    event.cursor = text + 12;
    key(&event);
    EXPECT_EQ(Sent().size(), 1u) << "a line inside a larger buffer is fine";
    KeyEvent* none = nullptr;
    EXPECT_EQ(key(none), 0);
}

} // namespace
