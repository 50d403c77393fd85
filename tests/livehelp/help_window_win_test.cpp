// The help window's thread and window when the system refuses them: no help shows, the reason
// is kept for hbar /S, nothing is left behind, and the next help tries again.
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "tests/livehelp/test_windows.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace {

HWND HelpWindow() {
    return FindWindowW(L"HintbarHelpWindow", nullptr);
}

// Waits up to the given seconds for the window's thread to bring about what is asked: the
// first window of a process in a fresh Wine prefix on a busy machine takes seconds. The test's
// thread answers its messages meanwhile, as a host's thread does: the system may ask the other
// windows of the process while it makes a new one.
void Pump(int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

template <typename Condition> bool Await(Condition holds, int seconds = 10) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (holds()) {
            return true;
        }
        Pump(10);
    }
    return false;
}

bool AwaitWindow(bool exists, int seconds = 10) {
    return Await([exists] { return (HelpWindow() != nullptr) == exists; }, seconds);
}

std::u16string ShownText() {
    HWND help = HelpWindow();
    return help && IsWindowVisible(help) ? TestWindowText(help) : u"(hidden)";
}

// The help as the window's text and accessible name give it: without the emphasis marks.
std::u16string Plain(const std::u16string& text) {
    std::u16string plain;
    for (char16_t unit : text) {
        if (unit != kEmphasisStart && unit != kEmphasisEnd) {
            plain += unit;
        }
    }
    return plain;
}

// The events a screen reader hears from the help window, as the system delivers them.
struct Heard {
    int shows, hides, names;
    bool operator==(const Heard&) const = default;
};
Heard g_heard;

void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window != HelpWindow() || object != OBJID_WINDOW || child != CHILDID_SELF) {
        return;
    }
    g_heard.shows += event == EVENT_OBJECT_SHOW;
    g_heard.hides += event == EVENT_OBJECT_HIDE;
    g_heard.names += event == EVENT_OBJECT_NAMECHANGE;
}

// The window's role and name as a screen reader asks for them, for its own object or its
// client area's; a role of -1 when the object cannot be had.
std::pair<long, std::u16string> Accessible(HWND help, LONG object) {
    IAccessible* accessible = nullptr;
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role = {};
    BSTR name = nullptr;
    if (FAILED(AccessibleObjectFromWindow(help, static_cast<DWORD>(object), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))) ||
        FAILED(accessible->get_accRole(self, &role)) || role.vt != VT_I4 ||
        FAILED(accessible->get_accName(self, &name))) {
        role.lVal = -1;
    }
    std::u16string text(name ? reinterpret_cast<const char16_t*>(name) : u"",
                        name ? SysStringLen(name) : 0);
    SysFreeString(name);
    if (accessible) {
        accessible->Release();
    }
    return {role.lVal, text};
}

// The window's client area as painted, once two reads a moment apart agree.
std::vector<COLORREF> Pixels(HWND help) {
    std::vector<COLORREF> last;
    for (int tries = 0; tries < 100; ++tries) {
        UpdateWindow(help);
        HDC dc = GetDC(help);
        RECT client;
        GetClientRect(help, &client);
        std::vector<COLORREF> now;
        for (int y = 0; y < client.bottom; ++y) {
            for (int x = 0; x < client.right; ++x) {
                now.push_back(GetPixel(dc, x, y));
            }
        }
        ReleaseDC(help, dc);
        if (now == last) {
            break;
        }
        last = now;
        Sleep(50);
    }
    return last;
}

// How much of the client area is ink: text on the tooltip colour.
long Ink(const std::vector<COLORREF>& pixels) {
    long ink = 0;
    for (COLORREF c : pixels) {
        ink += c != GetSysColor(COLOR_INFOBK);
    }
    return ink;
}

// Whether the window has painted: its background in the colour of tooltips, and text on it.
bool Painted(HWND help) {
    HDC dc = GetDC(help);
    RECT client;
    GetClientRect(help, &client);
    COLORREF background = GetSysColor(COLOR_INFOBK);
    bool ink = false;
    for (int y = 0; y < client.bottom && !ink; ++y) {
        for (int x = 0; x < client.right && !ink; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            ink = c != background && c != CLR_INVALID;
        }
    }
    bool painted = GetPixel(dc, 0, 0) == background && ink;
    ReleaseDC(help, dc);
    return painted;
}

// The window follows the window typed in, shows what fits and hides when nothing can show. A
// window of the test's own stands in for a terminal: in the foreground, it is the window typed in.
TEST(HelpWindow, ShowsWhatFitsBesideTheWindowTypedIn) {
    HWND terminal = static_cast<HWND>(CreateTestWindow(nullptr, u"HintbarTestTerminal", u"t"));
    ASSERT_NE(terminal, nullptr);
    SetWindowPos(terminal, nullptr, 100, 100, 500, 200, SWP_NOZORDER | SWP_SHOWWINDOW);
    SetForegroundWindow(terminal);
    ASSERT_EQ(GetForegroundWindow(), terminal);

    // Hiding before any help makes no thread and no window.
    PlatformHideHelpWindow();
    EXPECT_EQ(HelpWindow(), nullptr);

    std::u16string words;
    while (words.size() < 6000) {
        words += u"word ";
    }
    std::u16string pairs(6000, u'\xD83D'); // U+1F600 over and over
    for (size_t i = 1; i < pairs.size(); i += 2) {
        pairs[i] = u'\xDE00';
    }
    const struct {
        const char* what;
        std::u16string text;
        bool cut; // too tall: a start of the text and "…"
    } rows[] = {
        {"a short help, without the message font", u"@A[x]\nShows A.", false},
        {"the same again, with the message font", u"@A[x]\nShows A again.", false},
        {"once more, with the font made before", u"@A[x]\nShows A once more.", false},
        {"a help too tall for a third of the screen", words, true},
        {"a cut among surrogate pairs", pairs, true},
        {"a cut among surrogate pairs, one unit later", u"a" + pairs, true},
        {"a cut inside a run of emphasis", u"@A[x]\n\x0E" + words + u"\x0F", true},
        {"a cut among surrogate pairs in a run", u"\x0E" + pairs + u"\x0F", true},
        {"a cut among surrogate pairs after a run", u"\x0E\x0Fa" + pairs, true},
    };
    // The first help finds no message font: it shows in the system's font all the same.
    PlatformFailNextCall(kPlatformCallHelpPlace, 1400, 1);
    for (const auto& row : rows) {
        ASSERT_TRUE(PlatformShowHelpWindow(row.text.c_str(), kHelpAlongTypingWindow)) << row.what;
        std::u16string plain = Plain(row.text);
        if (!row.cut) {
            EXPECT_TRUE(Await([&] { return ShownText() == plain; }, 30)) << row.what;
            EXPECT_TRUE(Await([] { return Painted(HelpWindow()); })) << row.what;
            continue;
        }
        // A start of this row's text and "…", once the thread has taken the request.
        std::u16string start;
        EXPECT_TRUE(Await([&] {
            std::u16string shown = ShownText();
            start = shown.substr(0, shown.size() - 1);
            return shown.size() > 1 && shown.back() == u'\x2026' &&
                   plain.compare(0, start.size(), start) == 0;
        })) << row.what;
        EXPECT_FALSE(!start.empty() && start.back() >= 0xD800 && start.back() <= 0xDBFF)
            << row.what << ": half a pair";
    }
    RECT help;
    RECT typed;
    GetWindowRect(HelpWindow(), &help);
    GetWindowRect(terminal, &typed);
    EXPECT_EQ(help.top, typed.bottom) << "along the bottom edge of the window typed in";
    EXPECT_LE(help.bottom - help.top, GetSystemMetrics(SM_CYSCREEN) / 3 + 1);
    // A click leaves the focus where the user types.
    EXPECT_EQ(SendMessageW(HelpWindow(), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    EXPECT_EQ(GetForegroundWindow(), terminal);

    // A screen reader hears the help as it appears and when what shows changes (the emphasis
    // too), never for the same help again. Counted from here on; each row first moves the
    // window aside, so that its coming back tells the request was taken.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE, nullptr, Hear,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    g_heard = {};
    const struct {
        const char* what;
        const char16_t* text; // none: hidden
        Heard after;          // counted from the first row
    } announced[] = {
        {"a new help", u"@A[x]\nShows A.", {0, 0, 1}},
        {"the same help again", u"@A[x]\nShows A.", {0, 0, 1}},
        {"another help", u"@B[x]\nShows B & more.", {0, 0, 2}},
        {"its argument marked", u"@B[\x0Ex\x0F]\nShows B & more.", {0, 0, 3}},
        {"hidden", nullptr, {0, 1, 3}},
        {"the same help, shown again", u"@B[\x0Ex\x0F]\nShows B & more.", {1, 1, 3}},
    };
    for (const auto& row : announced) {
        SetWindowPos(HelpWindow(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (row.text) {
            ASSERT_TRUE(PlatformShowHelpWindow(row.text, kHelpAlongTypingWindow)) << row.what;
        } else {
            PlatformHideHelpWindow();
        }
        EXPECT_TRUE(Await([&] {
            GetWindowRect(HelpWindow(), &help);
            return IsWindowVisible(HelpWindow()) ? help.top == typed.bottom : !row.text;
        })) << row.what;
        Await([&] { return g_heard == row.after; });
        Pump(200); // and whatever else comes meanwhile
        EXPECT_EQ(g_heard.shows, row.after.shows) << row.what;
        EXPECT_EQ(g_heard.hides, row.after.hides) << row.what;
        EXPECT_EQ(g_heard.names, row.after.names) << row.what;
    }
    UnhookWinEvent(hook);
    // It answers as a tooltip named by its help, for itself and for its client area.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    for (LONG object : {OBJID_WINDOW, OBJID_CLIENT}) {
        auto [role, name] = Accessible(HelpWindow(), object);
        EXPECT_EQ(role, ROLE_SYSTEM_TOOLTIP) << object;
        EXPECT_EQ(name, u"@B[x]\nShows B & more.") << object;
    }
    CoUninitialize();

    // A marked run (here an argument's own line) is drawn bold, with more ink than the same
    // text plain; a run of nothing draws nothing, so the marks themselves never show, and the
    // rest is set where DrawTextW sets it.
    ASSERT_TRUE(PlatformShowHelpWindow(u"@A[x]\nx\tword word", kHelpAlongTypingWindow));
    EXPECT_TRUE(Await([] { return ShownText() == u"@A[x]\nx\tword word"; }));
    std::vector<COLORREF> plain = Pixels(HelpWindow());
    ASSERT_TRUE(PlatformShowHelpWindow(u"@A[x]\n\x0Ex\tword\x0F word", kHelpAlongTypingWindow));
    EXPECT_TRUE(Await([&] { return Ink(Pixels(HelpWindow())) > Ink(plain); }));
    ASSERT_TRUE(PlatformShowHelpWindow(u"@A[x]\nx\tword word\x0E\x0F", kHelpAlongTypingWindow));
    EXPECT_TRUE(Await([&] { return Pixels(HelpWindow()) == plain; }));

    // Hidden when asked, when the monitor cannot be known, beside a minimized window, and
    // beside a console window when there is none; each time the next help shows again.
    const struct {
        const char* what;
        void (*before)(HWND terminal);
        HelpWindowAnchor anchor;
    } hides[] = {
        {"hidden", [](HWND) { PlatformHideHelpWindow(); }, kHelpAlongTypingWindow},
        {"no monitor", [](HWND) { PlatformFailNextCall(kPlatformCallHelpPlace, 1400, 0); },
         kHelpAlongTypingWindow},
        {"minimized", [](HWND t) { ShowWindow(t, SW_MINIMIZE); }, kHelpAlongTypingWindow},
        {"no console window", [](HWND) {}, kHelpBesideCaret},
    };
    for (const auto& row : hides) {
        ShowWindow(terminal, SW_RESTORE);
        SetForegroundWindow(terminal);
        ASSERT_TRUE(PlatformShowHelpWindow(u"@A[x]", kHelpAlongTypingWindow));
        EXPECT_TRUE(Await([] { return ShownText() == u"@A[x]"; })) << row.what;
        if (row.anchor == kHelpBesideCaret && GetConsoleWindow()) {
            continue;
        }
        row.before(terminal);
        if (row.before != hides[0].before) {
            ASSERT_TRUE(PlatformShowHelpWindow(u"@A[x]", row.anchor));
        }
        EXPECT_TRUE(Await([] { return ShownText() == u"(hidden)"; })) << row.what;
        PlatformClearCallFailures();
    }
    PlatformCloseHelpWindow();
    EXPECT_TRUE(AwaitWindow(false));
    DestroyTestWindow(terminal);
}

TEST(HelpWindowFaults, RefusedThreadsAndWindowsShowNothingAndLeaveNothing) {
    const struct {
        const char* what;
        PlatformCallKind kind;
        int skip;
        bool threadMade; // the thread starts, and its window is what fails
    } cases[] = {
        {"the wake-up event", kPlatformCallHelpThread, 0, false},
        {"the module reference", kPlatformCallHelpThread, 1, false},
        {"the thread", kPlatformCallHelpThread, 2, false},
        {"the window's class", kPlatformCallHelpWindow, 0, true},
        {"the window", kPlatformCallHelpWindow, 1, true},
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
