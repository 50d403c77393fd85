// The help window's thread and window when the system refuses them: no help shows, the reason
// is kept for hbar /S, nothing is left behind, and the next help tries again.
#include "platform/platform.h"
#include "platform/test_hooks.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// Whether the help window exists, waiting for its thread to be as expected, for up to the
// given seconds: the first window of a process in a fresh Wine prefix on a busy machine takes
// seconds. The test's thread answers its messages meanwhile, as a host's thread does: the system
// may ask the other windows of the process while it makes a new one.
bool AwaitWindow(bool exists, int seconds = 10) {
    for (int i = 0; i < seconds * 100; ++i) {
        if ((FindWindowW(L"HintbarHelpWindow", nullptr) != nullptr) == exists) {
            return true;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    return false;
}

TEST(HelpWindowFaults, RefusedThreadsAndWindowsShowNothingAndLeaveNothing) {
    const struct {
        const char* what;
        PlatformCallKind kind;
        int skip;
        bool threadMade; // the thread starts, and its window is what fails
    } cases[] = {
        {"the wake-up event", kPlatformCallHelpThread, 0, false},
        {"the thread", kPlatformCallHelpThread, 1, false},
        {"the window", kPlatformCallHelpWindow, 0, true},
    };
    // The system keeps some handles of its own once a process has had a thread with a window
    // (under Wine, a few for each of the first threads): two rounds first, then the count. The
    // very first window of a process in a fresh Wine prefix may take longer than any wait here;
    // the rounds only prepare, and the rows below check that windows come.
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(PlatformShowHelpWindow(u"@A[x]", kHelpBesideCaret));
        AwaitWindow(true, 30);
        PlatformCloseHelpWindow();
    }
    long handles = PlatformProcessHandles();
    for (int repeat = 0; repeat < 2; ++repeat) {
        for (const auto& c : cases) {
            PlatformFailNextCall(c.kind, 1400, c.skip);
            EXPECT_EQ(PlatformShowHelpWindow(u"@A[x]", kHelpBesideCaret), c.threadMade) << c.what;
            if (c.threadMade) {
                for (int i = 0; i < 1000 && PlatformHelpWindowError() == 0; ++i) {
                    Sleep(10);
                }
            }
            EXPECT_EQ(PlatformHelpWindowError(), 1400u) << c.what;
            EXPECT_TRUE(AwaitWindow(false)) << c.what;
            PlatformClearCallFailures();
            // The next help tries again, and works.
            EXPECT_TRUE(PlatformShowHelpWindow(u"@A[x]", kHelpBesideCaret)) << c.what;
            EXPECT_TRUE(AwaitWindow(true)) << c.what;
            EXPECT_EQ(PlatformHelpWindowError(), 0u) << c.what;
            PlatformCloseHelpWindow();
            EXPECT_TRUE(AwaitWindow(false)) << c.what;
            EXPECT_EQ(PlatformProcessHandles(), handles) << c.what << ": handles left behind";
        }
    }
}

} // namespace
