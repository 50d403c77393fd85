// Live help in the console's title.
#include "livehelp/console_title.h"

#include "base/limits.h"
#include "base/text16.h"
#include "platform/platform.h"

namespace {

CaptureResult CaptureTitle(const char16_t* /*hostWindow*/, std::span<char16_t> text) {
    PlatformGetConsoleTitle(text);
    return CaptureResult::Read;
}

void PutBackTitle(const char16_t* before) {
    PlatformSetConsoleTitle(before ? before : u"");
}

// The title's one line: the names being typed, or the help with the argument being typed
// between guillemets and its own line after the syntax line.
void RenderTitle(const HelpShowing& showing, std::span<char16_t> title) {
    if (showing.names) {
        RenderNamesLine(*showing.names, title);
        return;
    }
    RenderTitleText(WithArgumentMarked(*showing.help, showing.argument, u"\u00AB", u"\u00BB", true),
                    title);
}

void ShowInTitle(const HelpShowing& showing) {
    char16_t title[kTitleUnits];
    RenderTitle(showing, title);
    if (!title[0]) {
        PutBackTitle(showing.before); // an entry without a syntax line takes the help away
        return;
    }
    PlatformSetConsoleTitle(title);
}

// A title that reads otherwise than the help at the line's end was set by the host or a
// command since, and is theirs.
void TitleLineEnded(const HelpShowing& showing) {
    if (!showing.help && !showing.names) {
        return;
    }
    char16_t shown[kTitleUnits];
    RenderTitle(showing, shown);
    char16_t now[kMessageUnits];
    PlatformGetConsoleTitle(now);
    if (shown[0] && Str16Equal(now, shown)) {
        PutBackTitle(showing.before);
    }
}

void TitleShutDown() {}

} // namespace

const HelpPresenter kConsoleTitlePresenter = {
    .capture = CaptureTitle,
    .show = ShowInTitle,
    .putBack = PutBackTitle,
    .lineEnded = TitleLineEnded,
    .shutDown = TitleShutDown,
};
