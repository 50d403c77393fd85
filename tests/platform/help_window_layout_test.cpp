// Where the help window goes: wholly on the work area, never over the caret's row, along the
// typing window when the caret is not known.
#include "platform/help_window_layout.h"

#include <gtest/gtest.h>

namespace {

constexpr ScreenRect kWork = {0, 0, 1920, 1040}; // a taskbar below 1040

TEST(HelpWindowLayout, PlacesBesideTheLineAndInsideTheWorkArea) {
    const struct {
        const char* what;
        ScreenRect typing;
        bool caretKnown;
        ScreenRect caret;
        bool minimized;
        int32_t width, height;
        bool show;
        ScreenRect rect;
    } cases[] = {
        {"below the caret",
         {100, 100, 900, 700},
         true,
         {108, 300, 116, 316},
         false,
         800,
         120,
         true,
         {100, 316, 900, 436}},
        {"above a caret near the bottom",
         {100, 100, 900, 1000},
         true,
         {108, 980, 116, 996},
         false,
         800,
         120,
         true,
         {100, 860, 900, 980}},
        {"shorter where neither side has room",
         {0, 0, 800, 1040},
         true,
         {0, 400, 8, 416},
         false,
         800,
         700,
         true,
         {0, 416, 800, 1040}},
        {"a terminal: outside along its bottom edge",
         {200, 100, 1000, 600},
         false,
         {},
         false,
         800,
         200,
         true,
         {200, 600, 1000, 800}},
        {"a maximized terminal: inside along its top edge",
         {0, 0, 1920, 1040},
         false,
         {},
         false,
         1920,
         300,
         true,
         {0, 0, 1920, 300}},
        {"a terminal partly off screen is pulled back",
         {-300, 900, 500, 1200},
         false,
         {},
         false,
         800,
         200,
         true,
         {0, 840, 800, 1040}},
        {"wider than the work area",
         {100, 100, 900, 700},
         false,
         {},
         false,
         4000,
         100,
         true,
         {0, 700, 1920, 800}},
        {"minimized: nothing", {100, 100, 900, 700}, false, {}, true, 800, 100, false, {}},
    };
    for (const auto& c : cases) {
        HelpWindowFacts facts = {kWork, c.typing, c.caretKnown, c.caret, c.minimized, 320};
        HelpWindowPlacement place = PlaceHelpWindow(facts, c.width, c.height);
        EXPECT_EQ(place.show, c.show) << c.what;
        if (!c.show) {
            continue;
        }
        const ScreenRect& r = place.rect;
        EXPECT_EQ(r.left, c.rect.left) << c.what;
        EXPECT_EQ(r.top, c.rect.top) << c.what;
        EXPECT_EQ(r.right, c.rect.right) << c.what;
        EXPECT_EQ(r.bottom, c.rect.bottom) << c.what;
        EXPECT_TRUE(r.left >= kWork.left && r.top >= kWork.top && r.right <= kWork.right &&
                    r.bottom <= kWork.bottom)
            << c.what;
        if (c.caretKnown) {
            EXPECT_TRUE(r.bottom <= c.caret.top || r.top >= c.caret.bottom) << c.what;
        }
    }
}

// The size follows the part of the typing window on screen, within the minimum and the work
// area, and a third of the work area's height at the most.
TEST(HelpWindowLayout, SizeFollowsTheTypingWindowAndTheWorkArea) {
    HelpWindowFacts facts = {kWork, {-300, 0, 500, 600}, false, {}, false, 320};
    EXPECT_EQ(HelpWindowWidth(facts), 500);
    facts.typing = {1800, 0, 2400, 600};
    EXPECT_EQ(HelpWindowWidth(facts), 320) << "no narrower than the minimum";
    facts.typing = {-100, 0, 3000, 600};
    EXPECT_EQ(HelpWindowWidth(facts), 1920);
    EXPECT_EQ(HelpWindowMaxHeight(facts), 346);
    facts.minimized = true;
    EXPECT_EQ(HelpWindowWidth(facts), 0);
    EXPECT_EQ(HelpWindowMaxHeight(facts), 0);
}

} // namespace
