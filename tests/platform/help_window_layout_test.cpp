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
        bool noRoom; // nothing shows for want of a line's room beside the caret
    } cases[] = {
        {"below the caret",
         {100, 100, 900, 700},
         true,
         {108, 300, 116, 316},
         false,
         800,
         120,
         true,
         {100, 316, 900, 436},
         false},
        {"above a caret near the bottom",
         {100, 100, 900, 1000},
         true,
         {108, 980, 116, 996},
         false,
         800,
         120,
         true,
         {100, 860, 900, 980},
         false},
        {"shorter where neither side has room",
         {0, 0, 800, 1040},
         true,
         {0, 400, 8, 416},
         false,
         800,
         700,
         true,
         {0, 416, 800, 1040},
         false},
        {"a terminal: outside along its bottom edge",
         {200, 100, 1000, 600},
         false,
         {},
         false,
         800,
         200,
         true,
         {200, 600, 1000, 800},
         false},
        {"a maximized terminal: inside along its top edge",
         {0, 0, 1920, 1040},
         false,
         {},
         false,
         1920,
         300,
         true,
         {0, 0, 1920, 300},
         false},
        {"a terminal partly off screen is pulled back",
         {-300, 900, 500, 1200},
         false,
         {},
         false,
         800,
         200,
         true,
         {0, 840, 800, 1040},
         false},
        {"wider than the work area",
         {100, 100, 900, 700},
         false,
         {},
         false,
         4000,
         100,
         true,
         {0, 700, 1920, 800},
         false},
        {"minimized: nothing", {100, 100, 900, 700}, false, {}, true, 800, 100, false, {}, false},
        // A console taller than the work area, whose lower rows lie past its bottom edge.
        {"a tall console, caret below the work area: at its bottom, above the row",
         {0, -20, 660, 1300},
         true,
         {4, 1100, 12, 1116},
         false,
         656,
         120,
         true,
         {0, 920, 656, 1040},
         false},
        {"less than a line's room on either side of the row: nothing",
         {0, -20, 660, 1300},
         true,
         {4, 20, 12, 1030},
         false,
         656,
         120,
         false,
         {},
         true},
        {"just one line's room above",
         {0, -20, 660, 1300},
         true,
         {4, 30, 12, 1030},
         false,
         656,
         120,
         true,
         {0, 0, 656, 30},
         false},
    };
    for (const auto& c : cases) {
        HelpWindowFacts facts = {kWork, c.typing, c.caretKnown, c.caret, c.minimized, 320, 30};
        HelpWindowPlacement place = PlaceHelpWindow(facts, c.width, c.height);
        EXPECT_EQ(place.show, c.show) << c.what;
        EXPECT_EQ(place.noRoom, c.noRoom) << c.what;
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
    HelpWindowFacts facts = {kWork, {-300, 0, 500, 600}, false, {}, false, 320, 30};
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
