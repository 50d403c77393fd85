// Live help in the console's title.
#include "livehelp/console_title.h"

#include "base/limits.h"
#include "base/text16.h"
#include "platform/platform.h"

namespace {

// The help the plug-in put in the title; empty when none shows. A title that reads otherwise
// at the line's end was set by the host or a command since, and is theirs.
char16_t g_shown[kTitleUnits];

CaptureResult CaptureTitle(std::span<char16_t> text) {
    PlatformGetConsoleTitle(text);
    return CaptureResult::Read;
}

void PutBackTitle(const char16_t* saved) {
    PlatformSetConsoleTitle(saved ? saved : u"");
    g_shown[0] = 0;
}

void ShowInTitle(const HelpShowing& showing) {
    char16_t title[kTitleUnits];
    RenderTitleText(*showing.help, title);
    if (!title[0]) {
        PutBackTitle(showing.saved); // an entry without a syntax line takes the help away
        return;
    }
    PlatformSetConsoleTitle(title);
    Str16Copy(g_shown, title);
}

void TitleLineEnded(const char16_t* saved, bool /*helpShows*/) {
    if (g_shown[0]) {
        char16_t now[kMessageUnits];
        PlatformGetConsoleTitle(now);
        if (Str16Equal(now, g_shown)) {
            PutBackTitle(saved);
        }
    }
    g_shown[0] = 0;
}

void TitleShutDown() {}

const HelpPresenter kConsoleTitle = {false,        CaptureTitle,   ShowInTitle,
                                     PutBackTitle, TitleLineEnded, TitleShutDown};

} // namespace

const HelpPresenter& ConsoleTitlePresenter() {
    return kConsoleTitle;
}
