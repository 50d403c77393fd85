// Live help in a small window beside the line: the window itself, its thread and its place on
// the screen are the platform's; this presenter only tells it what to show.
#include "livehelp/help_window.h"

#include "base/limits.h"
#include "platform/platform.h"

namespace {

// The window covers nothing of its own: there is nothing to keep and put back.
CaptureResult CaptureNothing(std::span<char16_t> text) {
    text[0] = 0;
    return CaptureResult::Read;
}

void HideWindow(const char16_t* /*saved*/) {
    PlatformHideHelpWindow();
}

void ShowInWindow(const HelpShowing& showing) {
    char16_t text[kLineUnits];
    RenderWindowText(*showing.help, text);
    if (!text[0]) {
        PlatformHideHelpWindow(); // an entry without a syntax line takes the help away
        return;
    }
    // In a console window the caret's cell is known; in a terminal only the window typed in.
    PlatformShowHelpWindow(text, showing.situation == HelpSituation::ConsoleWindow
                                     ? kHelpBesideCaret
                                     : kHelpAlongTypingWindow);
}

void WindowLineEnded(const char16_t* /*saved*/, bool helpShows) {
    if (helpShows) {
        PlatformHideHelpWindow();
    }
}

void WindowShutDown() {
    PlatformCloseHelpWindow();
}

const HelpPresenter kHelpWindow = {false,      CaptureNothing,  ShowInWindow,
                                   HideWindow, WindowLineEnded, WindowShutDown};

} // namespace

const HelpPresenter& HelpWindowPresenter() {
    return kHelpWindow;
}
