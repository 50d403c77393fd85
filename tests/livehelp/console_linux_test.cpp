// Where live help shows, from the console window, the host and HintbarConsole, and what each
// place does with a line's help. (Linux: the window model's console stands in for the
// process's console window, and its help window for the real one.)
#include "livehelp/help_place.h"
#include "livehelp/key.h"
#include "livehelp/help_text.h"
#include "livehelp/help_line.h"
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
        PlatformGetConsoleTitle(title);
        return U8(title);
    }
    void SetUp() override {
        LiveHelpTest::SetUp();
        LoadHelp({{"A", "@A[x]", nullptr}, {"B", "@B[y]", "About B"}, {"E", "", "No syntax"}});
        PlatformSetConsoleTitle(u"Console"); // absent: nothing happens
        // These tests pin what the brackets alone do in every place; following the typing,
        // the default in the plug-in's own places, has a test of its own.
        PlatformSetEnvironmentVariable(u"HintbarFollow", u"off");
    }
    // The help window's text once its thread has caught up, or "(hidden)".
    static std::string Window() {
        EXPECT_TRUE(WindowModelWaitHelpWindow(5000)) << "the help window's thread is stuck";
        char16_t text[kLineUnits];
        return WindowModelHelpWindow(text) ? U8(text) : "(hidden)";
    }
    static void Use(ConsoleWindowState console, const char16_t* variable) {
        WindowModelSetConsole(console);
        PlatformSetEnvironmentVariable(u"HintbarConsole", variable);
    }
    void TearDown() override {
        PlatformSetEnvironmentVariable(u"HintbarConsole", nullptr);
        PlatformSetEnvironmentVariable(u"HintbarFollow", nullptr);
        WindowModelSetConsole(kConsoleAbsent);
        WindowModelSetConsoleClass(nullptr);
        HostSetHwndAnswer(nullptr);
        LiveHelpTest::TearDown();
        EXPECT_FALSE(WindowModelHelpWindowRunning()) << "shutdown ends the help window's thread";
    }
};

TEST_F(VisibleConsole, BracketsDoNothingButTheBoundaryStillReleases) {
    SetSaved(u"Saved");
    WindowModelSetConsole(kConsoleVisible);
    Press(u'[', u"%@a");
    Press(u']', u"%@a[%@a[x");
    EXPECT_TRUE(Sent().empty());
    EXPECT_FALSE(LineCaptured());
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

// The place follows the console window, its class, the host's answer to "HWND" and the
// setting, and hbar /S says which situation it sees, where help shows, and how to turn it on.
TEST_F(VisibleConsole, PlaceAndReportFollowTheConsoleTheHostAndTheSetting) {
    const std::string kBar = "Live help shows on the status bar of the host's window.\r\n";
    const std::string kTurnOn =
        "To show help in a window beside the line:  set HintbarConsole=window\r\n"
        "To show help in the console window's title:  set HintbarConsole=title\r\n"
        "To look a function up at any time:  hbar /F name\r\n";
    const std::string kConsoleOff =
        "Live help is off: the console window is visible, and it has no status bar.\r\n" + kTurnOn;
    const std::string kTerminalOff = "Live help is off: this is a terminal that hosts the console, "
                                     "and the host has no window with a status bar.\r\n" +
                                     kTurnOn;
    const std::string kTerminalStandInOff =
        "Live help is off: this is a terminal that hosts the console, and it has no status "
        "bar.\r\n" +
        kTurnOn;
    PlatformSetEnvironmentVariable(u"HintbarFollow", nullptr); // the report as users see it
    const std::string kFollows = "Help follows the typing: the argument being typed is marked, "
                                 "and the functions whose names begin with what is typed are "
                                 "listed.\r\nTo follow the brackets only:  set "
                                 "HintbarFollow=off\r\n";
    const std::string kTitle = "Live help shows in the title of the console window.\r\n" + kFollows;
    const std::string kTab =
        "Live help shows in the console's title, which the terminal shows in its tab.\r\n" +
        kFollows;
    const std::string kCaret =
        "Live help shows in a window beside the line, below or above the cursor.\r\n" + kFollows;
    const std::string kAlong =
        "Live help shows in a window along the bottom edge of the terminal.\r\n" + kFollows;
    auto Unknown = [](const std::string& value) {
        return "HintbarConsole is \"" + value +
               "\", which is none of the values it takes, \"window\" and \"title\"; it is "
               "read as unset.\r\n";
    };
    const struct {
        ConsoleWindowState console;
        bool standIn;
        bool hostNamesWindow;
        const char16_t* variable;
        HelpPlace place;
        std::string report;
    } cases[] = {
        {kConsoleAbsent, false, true, nullptr, HelpPlace::StatusBar, kBar},
        // No console and a host without a window: the status bar is not there either.
        {kConsoleAbsent, false, false, u"window", HelpPlace::StatusBar,
         kBar + "No help shows there now: the host's window has no status bar.\r\n"},
        {kConsoleHidden, false, true, u"title", HelpPlace::StatusBar, kBar},
        {kConsoleHidden, false, true, u"window", HelpPlace::StatusBar, kBar},
        // A hidden console and a host without a window: a terminal. Unset, help still goes to
        // the status bar as it always did, and the report says that it is not there.
        {kConsoleHidden, false, false, nullptr, HelpPlace::StatusBar, kTerminalOff},
        {kConsoleHidden, false, false, u"Window", HelpPlace::HelpWindow, kAlong},
        {kConsoleHidden, false, false, u"TITLE", HelpPlace::ConsoleTitle, kTab},
        // The stand-in's class says "terminal" whatever the host answers.
        {kConsoleHidden, true, true, u"window", HelpPlace::HelpWindow, kAlong},
        {kConsoleHidden, true, true, nullptr, HelpPlace::StatusBar, kTerminalOff},
        {kConsoleVisible, true, true, u"window", HelpPlace::HelpWindow, kAlong},
        {kConsoleVisible, true, true, nullptr, HelpPlace::Off, kTerminalStandInOff},
        // A classic console window, visible.
        {kConsoleVisible, false, true, nullptr, HelpPlace::Off, kConsoleOff},
        {kConsoleVisible, false, true, u"windows", HelpPlace::Off,
         kConsoleOff + Unknown("windows")},
        {kConsoleVisible, false, true, u"status", HelpPlace::Off, kConsoleOff + Unknown("status")},
        {kConsoleAbsent, false, true, u"a value too long for any name", HelpPlace::StatusBar,
         kBar + "HintbarConsole is \"a value too long for any name\", which is none of the "
                "values it takes, \"window\" and \"title\"; it is read as unset.\r\n"},
        {kConsoleVisible, false, true, u"Title", HelpPlace::ConsoleTitle, kTitle},
        {kConsoleVisible, false, false, u"window", HelpPlace::HelpWindow, kCaret},
    };
    for (const auto& c : cases) {
        Use(c.console, c.variable);
        WindowModelSetConsoleClass(c.standIn ? u"PseudoConsoleWindow" : nullptr);
        HostSetHwndAnswer(c.hostNamesWindow ? nullptr : u"");
        Boundary(); // the host's answer is asked afresh on a new line
        std::string row = U8(c.variable ? c.variable : u"(unset)") + " console " +
                          std::to_string(static_cast<int>(c.console)) +
                          (c.standIn ? " stand-in" : "") +
                          (c.hostNamesWindow ? "" : " no host window");
        EXPECT_EQ(HelpPlaceOfKey().place, c.place) << row;
        HostClearCaptured();
        std::u16string line = u"/S";
        EXPECT_EQ(hbar(line.data()), 0);
        EXPECT_EQ(CapturedOut(), "3 functions in memory.\r\n" + c.report) << row;
    }
}

// Each place through the one presenter face: the same keys, and what each place shows after
// each ('A' and 'B' for that function's help, '-' for what showed before or nothing).
TEST_F(VisibleConsole, EveryPlaceShowsFollowsAndPutsBackTheSameWay) {
    const struct {
        char16_t key; // 0: the line boundary; 'S': the plug-in shuts down
        const char16_t* line;
        char status, title, window;
    } steps[] = {
        {u'[', u"%@a", 'A', 'A', 'A'},
        {u'[', u"%@a[%@b", 'B', 'B', 'B'},
        {u']', u"%@a[%@b[1", 'A', 'A', 'A'},
        {u']', u"%@a[1", '-', '-', '-'},
        {u'[', u"%@e", '-', '-', '-'}, // an entry without a syntax line
        {u'[', u"%@b", 'B', 'B', 'B'},
        // At the line's end the host puts its own text on the status bar; the others go back.
        {0, nullptr, 'B', '-', '-'},
        {u']', u"%@a[%@b[1", 'A', 'A', 'A'},
        {u'S', nullptr, 'A', '-', '-'},
    };
    const struct {
        ConsoleWindowState console;
        const char16_t* variable;
    } places[] = {
        {kConsoleAbsent, nullptr}, {kConsoleVisible, u"title"}, {kConsoleVisible, u"window"}};
    HostSetIdleText(u"Ready"); // what the host's bar says when a request brings no text
    for (size_t p = 0; p < 3; ++p) {
        LoadHelp({{"A", "@A[x]", nullptr}, {"B", "@B[y]", "About B"}, {"E", "", "No syntax"}});
        Use(places[p].console, places[p].variable);
        PlatformSetConsoleTitle(u"Console");
        WindowModelSetText(bar_, u"Ready");
        Boundary();
        for (const auto& s : steps) {
            if (s.key == u'S') {
                ResetPluginState();
            } else if (s.key == 0) {
                Boundary();
            } else {
                Press(s.key, s.line);
            }
            char want = p == 0 ? s.status : p == 1 ? s.title : s.window;
            std::string shown = p == 0 ? U8(Bar()) : p == 1 ? Title() : Window();
            std::string expected = p == 0   ? (want == 'A'   ? U8(Composed("@A[x]"))
                                               : want == 'B' ? U8(Composed("@B[y]", "About B"))
                                                             : "Ready")
                                   : p == 1 ? (want == 'A'   ? "@A[x]"
                                               : want == 'B' ? "@B[y] - About B"
                                                             : "Console")
                                            : (want == 'A'   ? "@A[x]"
                                               : want == 'B' ? "@B[y]\n\nAbout B"
                                                             : "(hidden)");
            EXPECT_EQ(shown, expected) << "place " << p << ", key " << static_cast<int>(s.key)
                                       << " " << U8(s.line ? s.line : u"");
        }
        EXPECT_FALSE(WindowModelHelpWindowRunning()) << "place " << p;
    }
    HostSetIdleText(nullptr);
}

// With HintbarFollow=on, every key moves the help: the argument being typed marked (bold in the
// window, between guillemets in plain text), its own line with it, the names being typed, and
// what showed before once neither; a place is told only when what it shows changes.
TEST_F(VisibleConsole, FollowingTheTypingInEveryPlace) {
    const std::u16string kLeft = u"@LEFT[n,string]";
    const struct {
        int32_t key;
        const char16_t* line;
        const char* status; // the bar's text after the key, without the marker; "-": unchanged
        const char* title;
        const char* window;
    } steps[] = {
        {u'[', u"echo %@left",
         "@LEFT[\u00abn\u00bb,string]\r\n\nFirst n.\n\u00abn\thow many\u00bb\nstring\tthe text",
         "@LEFT[\u00abn\u00bb,string] - n how many",
         "@LEFT[\x0en\x0f,string]\n\nFirst n.\n\x0en\thow many\x0f\nstring\tthe text"},
        {u'5', u"echo %@left[", "-", "-", "-"}, // within the argument: nothing sent
        {u',', u"echo %@left[5",
         "@LEFT[n,\u00abstring\u00bb]\r\n\nFirst n.\nn\thow many\n\u00abstring\tthe text\u00bb",
         "@LEFT[n,\u00abstring\u00bb] - string the text",
         "@LEFT[n,\x0estring\x0f]\n\nFirst n.\nn\thow many\n\x0estring\tthe text\x0f"},
        {8, u"echo %@left[5,",
         "@LEFT[\u00abn\u00bb,string]\r\n\nFirst n.\n\u00abn\thow many\u00bb\nstring\tthe text",
         "@LEFT[\u00abn\u00bb,string] - n how many",
         "@LEFT[\x0en\x0f,string]\n\nFirst n.\n\x0en\thow many\x0f\nstring\tthe text"},
        {u',', u"echo %@left[5,x", "@LEFT[n,string]\r\n\nFirst n.\nn\thow many\nstring\tthe text",
         "@LEFT[n,string] - First n. n how many string the text",
         "@LEFT[n,string]\n\nFirst n.\nn\thow many\nstring\tthe text"}, // past the last
        {8, u"echo %@left[", "@LEFT", "@LEFT", "@LEFT[n,string] \u2014 First n."},
        {0, u"echo %@l", "@LEFT  @LEN  @LOWER", "@LEFT  @LEN  @LOWER",
         "@LEFT[n,string] \u2014 First n.\n@LEN[string] \u2014 Length\n@LOWER[string]"},
        {0, u"echo %@lz", "Ready", "Console", "(hidden)"}, // no name matches
        {0, u"echo %@len[x] y", "Ready", "Console", "(hidden)"},
    };
    const struct {
        ConsoleWindowState console;
        const char16_t* variable;
    } places[] = {
        {kConsoleAbsent, nullptr}, {kConsoleVisible, u"title"}, {kConsoleVisible, u"window"}};
    HostSetIdleText(u"Ready");
    PlatformSetEnvironmentVariable(u"HintbarFollow", u"ON");
    for (size_t p = 0; p < 3; ++p) {
        LoadHelp(
            {{"LEFT", "@LEFT[n,string]", "First n.\u00b6n\u00achow many\u00b6string\u00acthe text"},
             {"LEN", "@LEN[string]", "Length"},
             {"LOWER", "@LOWER[string]", nullptr}});
        Use(places[p].console, places[p].variable);
        PlatformSetConsoleTitle(u"Console");
        WindowModelSetText(bar_, u"Ready");
        Boundary();
        std::string last;
        for (const auto& s : steps) {
            size_t sent = Sent().size();
            Press(static_cast<char16_t>(s.key), s.line);
            std::string want = p == 0 ? s.status : p == 1 ? s.title : s.window;
            std::string shown = p == 0 ? U8(Bar()) : p == 1 ? Title() : Window();
            if (p == 0 && !shown.empty() && shown != "Ready" &&
                shown.rfind("\xe2\x80\x8b", 0) == 0) {
                shown = shown.substr(3); // the marker before a help's syntax line
            }
            std::string where =
                "place " + std::to_string(p) + ", key " + std::to_string(s.key) + " " + U8(s.line);
            if (want == "-") {
                EXPECT_EQ(shown, last) << where;
                EXPECT_EQ(Sent().size(), sent) << where << ": the same help is not sent again";
            } else {
                EXPECT_EQ(shown, want) << where;
            }
            last = shown;
        }
        Boundary();
    }
    std::u16string status = u"/S";
    HostClearCaptured();
    EXPECT_EQ(hbar(status.data()), 0);
    EXPECT_NE(CapturedOut().find("Help follows the typing: "), std::string::npos) << CapturedOut();
    PlatformSetEnvironmentVariable(u"HintbarFollow", u"sometimes");
    HostClearCaptured();
    EXPECT_EQ(hbar(status.data()), 0);
    EXPECT_NE(CapturedOut().find("HintbarFollow is \"sometimes\", which is neither \"on\" nor "
                                 "\"off\"; it is read as unset.\r\nHelp follows the typing: "),
              std::string::npos)
        << CapturedOut();
    PlatformSetEnvironmentVariable(u"HintbarFollow", nullptr);
    HostSetIdleText(nullptr);
}

// The help window's thread exists only once the window is needed; when it cannot be made, help
// is not shown, nothing is printed, and hbar /S says why; unloading the help hides it.
TEST_F(VisibleConsole, TheHelpWindowIsMadeWhenNeededAndFailsQuietly) {
    Use(kConsoleVisible, u"title");
    Press(u'[', u"%@a");
    Use(kConsoleAbsent, nullptr);
    Press(u'[', u"%@b");
    EXPECT_FALSE(WindowModelHelpWindowRunning()) << "no thread while the window is not used";

    Use(kConsoleVisible, u"window");
    Boundary();
    WindowModelFailHelpWindow(kErrorNotEnoughMemory);
    HostClearCaptured();
    Press(u'[', u"%@a");
    EXPECT_FALSE(WindowModelHelpWindowRunning());
    EXPECT_EQ(Window(), "(hidden)");
    EXPECT_EQ(CapturedOut() + CapturedErr(), "") << "a window that cannot be made says nothing";
    std::u16string status = u"/S";
    EXPECT_EQ(hbar(status.data()), 0);
    EXPECT_NE(CapturedOut().find("The help window could not be made: "), std::string::npos)
        << CapturedOut();

    Press(u'[', u"%@b"); // the next help tries again
    EXPECT_EQ(Window(), "@B[y]\n\nAbout B");
    std::u16string unload = u"/Q /Z";
    EXPECT_EQ(hbar(unload.data()), 0);
    EXPECT_EQ(Window(), "(hidden)");
}

// The key handler hands texts over without waiting, the window's thread takes them as it can:
// however the two interleave, what shows in the end is the last request. (Built with the thread
// sanitizer, this is where a race in the hand-over shows.)
TEST_F(VisibleConsole, TheWindowEndsOnTheLastRequestHandedOver) {
    for (int round = 0; round < 2000; ++round) {
        std::u16string text = u"help " + U16(std::to_string(round));
        ASSERT_TRUE(PlatformShowHelpWindow(text.c_str(), kHelpBesideCaret));
        if (round % 7 == 0) {
            PlatformHideHelpWindow();
        }
        if (round % 100 == 0) {
            Window();
        }
    }
    EXPECT_EQ(Window(), "help 1999");
    PlatformHideHelpWindow();
    EXPECT_EQ(Window(), "(hidden)");
    PlatformCloseHelpWindow();
    EXPECT_FALSE(WindowModelHelpWindowRunning());
}

// The window model refuses what Windows refuses, no room for a text and no callback, and
// keeps the foreground window when another one goes.
TEST(WindowModel, RefusalsAndTheForegroundWindow) {
    void* before = PlatformForegroundWindow();
    void* top = WindowModelCreate(nullptr, u"Top", u"top", true);
    void* child = WindowModelCreate(top, u"Child", u"child", true);
    ASSERT_NE(child, nullptr);
    char16_t unit = u'#';
    EXPECT_EQ(PlatformGetWindowText(top, {&unit, 0}), 0u);
    EXPECT_EQ(PlatformGetConsoleTitle({&unit, 0}), 0u);
    EXPECT_EQ(unit, u'#');
    EXPECT_EQ(PlatformEnumChildWindows(top, nullptr, 0), 0);
    // Handles are places in a table of 256 windows: the one past its end is no window.
    char16_t name[8] = {};
    EXPECT_EQ(PlatformGetWindowClass(reinterpret_cast<void*>(intptr_t{257}), name), 0u);
    WindowModelSetForeground(top);
    WindowModelDestroy(child);
    EXPECT_EQ(PlatformForegroundWindow(), top);
    WindowModelDestroy(top);
    WindowModelSetForeground(before);
}

} // namespace
