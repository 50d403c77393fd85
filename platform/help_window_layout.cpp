// Where the help window goes.
#include "platform/help_window_layout.h"

namespace {

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

int32_t Width(const ScreenRect& r) {
    return r.right - r.left;
}

int32_t Height(const ScreenRect& r) {
    return r.bottom - r.top;
}

constexpr int32_t kBoxFrameRows = 2;
constexpr int32_t kBoxFrameColumns = 4;
constexpr int32_t kBoxMinColumns = 4; // narrower, a row of help shows next to nothing

bool Usable(const HelpWindowFacts& facts) {
    return !facts.minimized && Width(facts.work) > 0 && Height(facts.work) > 0;
}

} // namespace

int32_t HelpWindowWidth(const HelpWindowFacts& facts) {
    if (!Usable(facts)) {
        return 0;
    }
    int32_t left = facts.typing.left > facts.work.left ? facts.typing.left : facts.work.left;
    int32_t right = facts.typing.right < facts.work.right ? facts.typing.right : facts.work.right;
    int32_t visible = right - left;
    int32_t width = visible > facts.minWidth ? visible : facts.minWidth;
    return width < Width(facts.work) ? width : Width(facts.work);
}

int32_t HelpWindowMaxHeight(const HelpWindowFacts& facts) {
    return Usable(facts) ? Height(facts.work) / 3 : 0;
}

HelpWindowPlacement PlaceHelpWindow(const HelpWindowFacts& facts, int32_t width, int32_t height) {
    HelpWindowPlacement none = {false, {0, 0, 0, 0}, false};
    const ScreenRect& work = facts.work;
    if (!Usable(facts) || width <= 0 || height <= 0) {
        return none;
    }
    width = width < Width(work) ? width : Width(work);
    height = height < Height(work) ? height : Height(work);
    int32_t left = Clamp(facts.typing.left, work.left, work.right - width);
    int32_t top = 0;
    if (facts.caretKnown) {
        int32_t below = work.bottom - facts.caret.bottom;
        int32_t above = facts.caret.top - work.top;
        if (height > below && height > above) {
            height = below > above ? below : above; // shorter, so the caret's row stays clear
            if (height <= 0 || height < facts.minHeight) {
                none.noRoom = true; // less than a line helps nobody, and the row must show
                return none;
            }
        }
        top = height <= below ? facts.caret.bottom : facts.caret.top - height;
    } else if (facts.typing.bottom >= work.top && facts.typing.bottom + height <= work.bottom) {
        top = facts.typing.bottom;
    } else {
        top = Clamp(facts.typing.top, work.top, work.bottom - height);
    }
    top = Clamp(top, work.top, work.bottom - height);
    return {true, {left, top, left + width, top + height}, false};
}

TerminalHelpBox HelpBoxInTerminal(int32_t rows, int32_t columns) {
    TerminalHelpBox none = {0, 0};
    int32_t help = rows / 3 > 1 ? rows / 3 : 1;
    if (rows - help - kBoxFrameRows < 1 || columns - kBoxFrameColumns < kBoxMinColumns) {
        return none;
    }
    return {help, columns - kBoxFrameColumns};
}
