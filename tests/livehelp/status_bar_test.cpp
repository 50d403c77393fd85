// Capturing the host status bar's text: finding the window from the host's "HWND" answer,
// reading its text, and keeping or dropping the previous copy.
#include "base/format16.h"
#include "host/hostshell/host_control.h"
#include "livehelp/status_bar.h"
#include "platform/test_hooks.h"
#include "tests/livehelp/live_help_fixture.h"
#include "tests/livehelp/test_windows.h"

#include <string>

namespace {

class StatusBar : public LiveHelpTest {
  protected:
    std::u16string MainHandleText() {
        char16_t text[32];
        Format16(text, 32, u"%I64u", static_cast<uint64_t>(reinterpret_cast<uintptr_t>(main_)));
        return text;
    }
};

TEST_F(StatusBar, SavesTheStatusBarsText) {
    SetSaved(u"old");
    EXPECT_EQ(SaveStatusText(), 0);
    EXPECT_EQ(U8(Saved()), "Ready");
    EXPECT_EQ(StatusSavedThisLine, 0) << "only the keystroke handler sets the flag";
    EXPECT_TRUE(Sent().empty());
}

TEST_F(StatusBar, ALongTextIsSavedAsItsFirst1023Units) {
    std::u16string text;
    for (int i = 0; i < 2000; ++i) {
        text += static_cast<char16_t>(u'a' + i % 26);
    }
    SetTestWindowText(bar_, text.c_str());
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), U8(text.substr(0, 1023)));
}

TEST_F(StatusBar, TheBarIsFoundAtAnyDepthAndInAnyCase) {
    DestroyTestWindow(bar_);
    void* panel = CreateTestWindow(main_, u"HintbarTestPanel", u"Panel text");
    void* other = CreateTestWindow(panel, u"XTPStatusBarX", u"Not the bar");
    (void)other;
    bar_ = CreateTestWindow(panel, u"xtpSTATUSbar", u"Deep");
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), "Deep");
}

TEST_F(StatusBar, AnEmptyBarDropsThePreviousCopy) {
    SetSaved(u"old");
    SetTestWindowText(bar_, u"");
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), "(none)");
}

TEST_F(StatusBar, ACopyThatCannotBeAllocatedIsNotSaved) {
    SetSaved(u"old");
    PlatformFailAllocationAt(1);
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), "(none)");
}

// Without a status bar to read, the previous copy stays.
TEST_F(StatusBar, NoWindowToReadKeepsThePreviousCopy) {
    SetSaved(u"old");
    for (const char16_t* answer :
         {u"", u"0", u"-0", u"x1", u"4294967296", u"99999999999999999999999", u"-4294967297"}) {
        HostSetHwndAnswer(answer);
        SaveStatusText();
        EXPECT_EQ(U8(Saved()), "old") << U8(answer);
    }
    HostSetHwndAnswer(nullptr);
    HostSetMainWindow(nullptr); // "HWND" unanswered
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), "old");
    HostSetMainWindow(main_);
    DestroyTestWindow(bar_);
    bar_ = CreateTestWindow(main_, u"HintbarTestPanel", u"Not a status bar");
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), "old");
}

// The handle is read like the C library's unsigned conversion: blanks and a sign first, and
// whatever follows the digits is ignored.
TEST_F(StatusBar, TheHandleTextIsReadLikeAnUnsignedNumber) {
    for (const std::u16string& answer :
         {u" \t+" + MainHandleText(), u"00" + MainHandleText() + u" junk"}) {
        ReleaseSavedStatusText();
        HostSetHwndAnswer(answer.c_str());
        SaveStatusText();
        EXPECT_EQ(U8(Saved()), "Ready") << U8(answer);
    }
}

TEST_F(StatusBar, ReleaseIsHarmlessWhenNothingIsSaved) {
    EXPECT_EQ(ReleaseSavedStatusText(), 0);
    SetSaved(u"old");
    StatusSavedThisLine = 1;
    EXPECT_EQ(ReleaseSavedStatusText(), 0);
    EXPECT_EQ(SavedStatusText, nullptr);
    EXPECT_EQ(StatusSavedThisLine, 1);
}

TEST_F(StatusBar, TheEnumerationCallbackStopsAtTheBar) {
    void* slot = nullptr;
    EXPECT_EQ(FindStatusBarProc(main_, reinterpret_cast<intptr_t>(&slot)), 1);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(FindStatusBarProc(bar_, reinterpret_cast<intptr_t>(&slot)), 0);
    EXPECT_EQ(slot, bar_);
    EXPECT_EQ(FindStatusBarProc(bar_, 0), 0);
}

} // namespace
