// A visible console window turns live help off unless its title is asked for; the line
// boundary still forgets the saved text. (Linux: the window model's console stands in for the
// process's console window.)
#include "livehelp/help_text.h"
#include "livehelp/status_bar.h"
#include "host/hostshell/host_control.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "platform/window_model.h"
#include "tests/livehelp/live_help_fixture.h"

namespace {

class VisibleConsole : public LiveHelpTest {
  protected:
    static std::string Title() {
        char16_t title[kTitleUnits + 8];
        PlatformGetConsoleTitle(title, kTitleUnits + 8);
        return U8(title);
    }
    void SetUp() override {
        LiveHelpTest::SetUp();
        LoadHelp({{"A", "@A[x]", nullptr}, {"B", "@B[y]", "About B"}, {"E", "", "No syntax"}});
        PlatformSetConsoleTitle(u"Console"); // absent: nothing happens
    }
    void TearDown() override {
        PlatformSetEnvironmentVariable(u"HintbarConsole", nullptr);
        WindowModelSetConsole(kConsoleAbsent);
        LiveHelpTest::TearDown();
    }
};

TEST_F(VisibleConsole, BracketsDoNothingButTheBoundaryStillReleases) {
    SetSaved(u"Saved");
    WindowModelSetConsole(kConsoleVisible);
    Press(u'[', u"%@a");
    Press(u']', u"%@a[%@a[x");
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(StatusSavedThisLine());
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), "Saved") << "no capture at all while the console shows";
    Boundary();
    EXPECT_EQ(U8(Saved()), "(none)");
}

TEST_F(VisibleConsole, AHiddenConsoleLeavesLiveHelpOnTheStatusBarWhateverTheVariable) {
    WindowModelSetConsole(kConsoleHidden);
    PlatformSetEnvironmentVariable(u"HintbarConsole", u"title");
    PlatformSetConsoleTitle(u"Console");
    Press(u'[', u"%@a");
    EXPECT_EQ(Sent().size(), 1u);
    EXPECT_EQ(U8(Saved()), "Ready");
    EXPECT_EQ(Title(), "Console");
}

// The title mode, step by step: each row types a key (0 for the line boundary), or sets the
// title as the host would ('=' with the new title), and then expects the title.
TEST_F(VisibleConsole, TitleModeShowsHelpInTheTitleAndPutsTheTitleBack) {
    struct Step {
        char16_t key;
        const char16_t* line; // the line, or the title that the host sets
        const char* title;    // expected afterwards
    };
    struct Case {
        const char16_t* variable;
        std::vector<Step> steps;
    } cases[] = {
        // Help, the enclosing function's help, then the title from before the first help.
        {u"title",
         {{u'[', u"%@a", "@A[x]"},
          {u'[', u"%@a[%@b", "@B[y] - About B"},
          {u']', u"%@a[%@b[1", "@A[x]"},
          {u']', u"%@a[1", "Console"},
          {0, nullptr, "Console"}}},
        // The boundary puts the title back when the help still shows...
        {u"TiTlE", {{u'[', u"%@b", "@B[y] - About B"}, {0, nullptr, "Console"}}},
        // ...and leaves a title that the host set meanwhile alone, then forgets the old one.
        {u"title",
         {{u'[', u"%@b", "@B[y] - About B"},
          {u'=', u"Mine", "Mine"},
          {0, nullptr, "Mine"},
          {u'[', u"%@a", "@A[x]"},
          {u']', u"%@a[1", "Mine"}}},
        // A title the host sets once the help has gone stays, even one that reads as the help.
        {u"title",
         {{u'[', u"%@a", "@A[x]"},
          {u']', u"%@a[1", "Console"},
          {u'=', u"@A[x]", "@A[x]"},
          {0, nullptr, "@A[x]"}}},
        // Captured once per line: the second help does not save the first.
        {u"title",
         {{u'[', u"%@a", "@A[x]"}, {u'[', u"%@b", "@B[y] - About B"}, {u']', u"x", "Console"}}},
        // An entry without syntax takes the help away; a closer with no help on the line
        // changes nothing.
        {u"title", {{u'[', u"%@a", "@A[x]"}, {u'[', u"%@e", "Console"}}},
        {u"title", {{u']', u"%@a[1", "Console"}, {0, nullptr, "Console"}}},
        // A closer's help on a line without an opener's keeps the title from before it.
        {u"title",
         {{u']', u"%@a[%@b[1", "@A[x]"}, {u']', u"%@a[1", "Console"}, {0, nullptr, "Console"}}},
        {u"title", {{u']', u"%@a[%@b[1", "@A[x]"}, {0, nullptr, "Console"}}},
        // Any other value, or none: nothing changes.
        {u"titles", {{u'[', u"%@a", "Console"}, {u']', u"%@a[%@b[1", "Console"}}},
        {u"tilde", {{u'[', u"%@a", "Console"}}},
        {nullptr, {{u'[', u"%@a", "Console"}}},
        // A title that cannot be saved for want of memory goes back empty ('!': the next
        // allocation fails).
        {u"title", {{u'!', nullptr, "Console"}, {u'[', u"%@a", "@A[x]"}, {u']', u"%@a[1", ""}}},
    };
    WindowModelSetConsole(kConsoleVisible);
    for (const Case& c : cases) {
        PlatformSetEnvironmentVariable(u"HintbarConsole", c.variable);
        PlatformSetConsoleTitle(u"Console");
        Boundary();
        for (const Step& s : c.steps) {
            if (s.key == u'!') {
                PlatformFailAllocationAt(1);
            } else if (s.key == u'=') {
                PlatformSetConsoleTitle(s.line);
            } else if (s.key == 0) {
                Boundary();
            } else {
                Press(s.key, s.line);
            }
            EXPECT_EQ(Title(), s.title) << U8(c.variable ? c.variable : u"(unset)") << " "
                                        << U8(s.line ? s.line : u"(boundary)");
        }
    }
    EXPECT_TRUE(Sent().empty()) << "the status bar is not touched";
    Boundary();
}

TEST_F(VisibleConsole, ShutdownPutsTheTitleBack) {
    WindowModelSetConsole(kConsoleVisible);
    PlatformSetEnvironmentVariable(u"HintbarConsole", u"title");
    PlatformSetConsoleTitle(u"Console");
    Press(u'[', u"%@a");
    EXPECT_EQ(Title(), "@A[x]");
    ResetPluginState();
    EXPECT_EQ(Title(), "Console");
    WindowModelSetConsole(kConsoleAbsent); // a process without a console has no title
    EXPECT_EQ(Title(), "");
}

// hbar /S says where help shows, and with the console visible and no title asked for, why it
// does not and what to do.
TEST_F(VisibleConsole, StatusSaysWhereHelpShows) {
    const struct {
        ConsoleWindowState console;
        const char16_t* variable;
        const char* place;
    } cases[] = {
        {kConsoleHidden, u"title", "Live help shows on the status bar of the host's window.\r\n"},
        {kConsoleVisible, u"status",
         "Live help is off: the console window is visible, and it has no status bar.\r\n"
         "To show help in the console window's title:  set HintbarConsole=title\r\n"
         "To look a function up at any time:  hbar /F name\r\n"},
        {kConsoleVisible, u"Title", "Live help shows in the title of the console window.\r\n"},
    };
    for (const auto& c : cases) {
        WindowModelSetConsole(c.console);
        PlatformSetEnvironmentVariable(u"HintbarConsole", c.variable);
        HostClearCaptured();
        std::u16string line = u"/S";
        EXPECT_EQ(hbar(line.data()), 0);
        EXPECT_EQ(CapturedOut(), std::string("3 functions in memory.\r\n") + c.place);
    }
}

// The window model refuses what Windows refuses, no room for a text and no callback, and
// keeps the foreground window when another one goes.
TEST(WindowModel, RefusalsAndTheForegroundWindow) {
    void* before = PlatformForegroundWindow();
    void* top = WindowModelCreate(nullptr, u"Top", u"top", true);
    void* child = WindowModelCreate(top, u"Child", u"child", true);
    ASSERT_NE(child, nullptr);
    char16_t unit = u'#';
    EXPECT_EQ(PlatformGetWindowText(top, &unit, 0), 0u);
    EXPECT_EQ(PlatformGetConsoleTitle(&unit, 0), 0u);
    EXPECT_EQ(unit, u'#');
    EXPECT_EQ(PlatformEnumChildWindows(top, nullptr, 0), 0);
    // Handles are places in a table of 256 windows: the one past its end is no window.
    char16_t name[8] = {};
    EXPECT_EQ(PlatformGetWindowClass(reinterpret_cast<void*>(intptr_t{257}), name, 8), 0u);
    WindowModelSetForeground(top);
    WindowModelDestroy(child);
    EXPECT_EQ(PlatformForegroundWindow(), top);
    WindowModelDestroy(top);
    WindowModelSetForeground(before);
}

} // namespace
