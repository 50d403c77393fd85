// A visible console window turns live help off; the line boundary still forgets the saved
// text. (Linux: the window model's console stands in for the process's console window.)
#include "livehelp/status_bar.h"
#include "platform/window_model.h"
#include "tests/livehelp/live_help_fixture.h"

namespace {

class VisibleConsole : public LiveHelpTest {
  protected:
    void SetUp() override {
        LiveHelpTest::SetUp();
        LoadHelp({{"A", "@A[x]", nullptr}});
    }
    void TearDown() override {
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

TEST_F(VisibleConsole, AHiddenConsoleLeavesLiveHelpOn) {
    WindowModelSetConsole(kConsoleHidden);
    Press(u'[', u"%@a");
    EXPECT_EQ(Sent().size(), 1u);
    EXPECT_EQ(U8(Saved()), "Ready");
}

} // namespace
