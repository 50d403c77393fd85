// Live help in a small window beside the line: the window itself, its thread and its place on
// the screen are the platform's; this presenter only tells it what to show.
#include "livehelp/help_window.h"

#include "base/format16.h"
#include "base/limits.h"
#include "base/text16.h"
#include "textinput/text_source.h"
#include "platform/platform.h"

namespace {

// The window covers nothing of its own: there is nothing to keep and put back.
CaptureResult CaptureNothing(const char16_t* /*hostWindow*/, std::span<char16_t> text) {
    text[0] = 0;
    return CaptureResult::Read;
}

void HideWindow(const char16_t* /*before*/) {
    PlatformHideHelpWindow();
}

void ShowInWindow(const HelpShowing& showing) {
    static const char16_t kStart[] = {kEmphasisStart, 0};
    static const char16_t kEnd[] = {kEmphasisEnd, 0};
    char16_t text[kLineUnits];
    if (showing.names) {
        RenderNamesWindowText(*showing.names, text);
    } else {
        RenderWindowText(WithArgumentMarked(*showing.help, showing.argument, kStart, kEnd, false),
                         text);
    }
    if (!text[0]) {
        PlatformHideHelpWindow(); // an entry without a syntax line takes the help away
        return;
    }
    // In a console window the caret's cell is known; in a terminal only the window typed in.
    PlatformShowHelpWindow(text, showing.situation == HelpSituation::ConsoleWindow
                                     ? kHelpBesideCaret
                                     : kHelpAlongTypingWindow);
}

void WindowLineEnded(const HelpShowing& showing) {
    if (showing.help || showing.names) {
        PlatformHideHelpWindow();
    }
}

void WindowShutDown() {
    PlatformCloseHelpWindow();
}

} // namespace

bool HelpWindowProblem(HelpSituation /*situation*/, std::span<char16_t> why) {
    uint32_t error = PlatformHelpWindowError();
    if (error) {
        char16_t reason[kMessageUnits];
        DescribeError(reason, static_cast<int32_t>(error));
        Format16(why, u"The help window could not be made: %s", reason);
        return true;
    }
    if (PlatformHelpWindowHasRoom()) {
        return false;
    }
    Str16Copy(why, u"No help shows there now: the window or screen you type in is too small for "
                   u"a row of help.");
    return true;
}

const HelpPresenter kHelpWindowPresenter = {
    .capture = CaptureNothing,
    .show = ShowInWindow,
    .putBack = HideWindow,
    .lineEnded = WindowLineEnded,
    .shutDown = WindowShutDown,
};
