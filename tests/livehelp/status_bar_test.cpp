// Capturing the host status bar's text: finding the window from the host's "HWND" answer,
// reading its text, and keeping or dropping the previous copy.
#include "base/format16.h"
#include "host/hostshell/host_control.h"
#include "livehelp/help_line.h"
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
        Format16(text, u"%I64u", static_cast<uint64_t>(reinterpret_cast<uintptr_t>(main_)));
        return text;
    }
};

TEST_F(StatusBar, SavesTheStatusBarsText) {
    SetSaved(u"old");
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), "Ready");
    EXPECT_FALSE(LineCaptured()) << "only the keystroke handler sets the flag";
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
        ForgetTextBeforeHelp();
        HostSetHwndAnswer(answer.c_str());
        SaveStatusText();
        EXPECT_EQ(U8(Saved()), "Ready") << U8(answer);
    }
}

// A 32-bit host's answer is an unsigned 32-bit number. A 64-bit host's handles are 32-bit
// values sign-extended to 64 bits, printed in any of three forms; a value that is no such
// handle names no window.
TEST(WindowHandleFromText, EachBitnessReadsTheFormsItsHostPrints) {
    struct Row {
        const char16_t* text;
        uint64_t x86;
        uint64_t x64;
    } rows[] = {
        {u"65634", 0x10062, 0x10062},
        {u" \t+00065634 junk", 0x10062, 0x10062},
        {u"\n\v\f\r65634", 0x10062, 0x10062}, // every blank the C library skips
        {u"2147483647", 0x7FFFFFFF, 0x7FFFFFFF},
        {u"2147488308", 0x80001234, 0xFFFFFFFF80001234},  // the 32-bit value
        {u"-2147478988", 0x80001234, 0xFFFFFFFF80001234}, // negative
        {u"18446744071562072628", 0, 0xFFFFFFFF80001234}, // the 64-bit value
        {u"-2147483648", 0x80000000, 0xFFFFFFFF80000000},
        {u"4294967295", 0xFFFFFFFF, 0xFFFFFFFFFFFFFFFF},
        {u"-1", 0xFFFFFFFF, 0xFFFFFFFFFFFFFFFF},
        {u"18446744073709551615", 0, 0xFFFFFFFFFFFFFFFF},
        {u"4294967296", 0, 0},           // above 32 bits, not sign-extended
        {u"-2147483649", 0x7FFFFFFF, 0}, // 0xFFFFFFFF7FFFFFFF: high half set, bit 31 clear
        {u"-4294967297", 0, 0},
        {u"18446744073709551616", 0, 0}, // 2^64
        {u"99999999999999999999999", 0, 0},
        {u"", 0, 0},
        {u"0", 0, 0},
        {u"-0", 0, 0},
        {u"x1", 0, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WindowHandleFromText(row.text, 4), row.x86) << U8(row.text);
        EXPECT_EQ(WindowHandleFromText(row.text, 8), row.x64) << U8(row.text);
    }
    EXPECT_EQ(WindowHandleFromText(nullptr, 8), 0u);
}

// The capture reads the answer by the rules of the plug-in's own bitness: a negative form that
// wraps to the main window in 32 bits is no sign-extended handle in 64.
TEST_F(StatusBar, TheAnswerIsReadForThePlugInsBitness) {
    SetSaved(u"old");
    uint64_t main = reinterpret_cast<uintptr_t>(main_);
    ASSERT_LT(main, 0x80000000u);
    char16_t answer[32];
    Format16(answer, u"-%I64u", 0x100000000u - main);
    HostSetHwndAnswer(answer);
    SaveStatusText();
    EXPECT_EQ(U8(Saved()), sizeof(void*) == 4 ? "Ready" : "old") << U8(answer);
}

TEST_F(StatusBar, ReleaseIsHarmlessWhenNothingIsSaved) {
    ForgetTextBeforeHelp();
    SetSaved(u"old");
    MarkHelpShown();
    ForgetTextBeforeHelp();
    EXPECT_EQ(TextBeforeHelp(), nullptr);
    EXPECT_TRUE(LineCaptured());
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
