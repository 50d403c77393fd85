// Live help in the console window's title.
#include "livehelp/console_title.h"

#include "base/limits.h"
#include "base/text16.h"
#include "livehelp/help_text.h"
#include "platform/platform.h"

namespace {

// The title's side of one command line.
struct TitleLine {
    char16_t* saved;             // heap copy of the title from before the line's first help
    bool savedThisLine;          // a capture has been made (or tried) on this line
    char16_t shown[kTitleUnits]; // the help the plug-in put in the title; empty when none shows
};

TitleLine Line = {nullptr, false, {0}};

void SaveTitle() {
    char16_t title[kMessageUnits];
    uint32_t length = PlatformGetConsoleTitle(title, kMessageUnits);
    PlatformFree(Line.saved);
    Line.saved = nullptr;
    auto* copy = static_cast<char16_t*>(PlatformAlloc((length + 1) * sizeof(char16_t)));
    if (copy) { // no memory: nothing is saved, and an empty title is what goes back
        Str16Copy(copy, length + 1, title);
        Line.saved = copy;
    }
}

void PutBackSaved() {
    PlatformSetConsoleTitle(Line.saved ? Line.saved : u"");
    Line.shown[0] = 0;
}

} // namespace

void PresentInConsoleTitle(const HelpDecision& decision) {
    if (decision.action == HelpAction::ShowHelp) {
        char16_t title[kTitleUnits];
        ComposeTitleText(decision.node, title);
        // The title is the user's own: whichever bracket first puts help in it, the title from
        // before is kept to be put back, or the help would go back as an empty title.
        if (!Line.savedThisLine) {
            SaveTitle();
            Line.savedThisLine = true;
        }
        if (!title[0]) {
            // An entry without a syntax line has no help to show: the help goes away.
            PutBackSaved();
            return;
        }
        PlatformSetConsoleTitle(title);
        Str16Copy(Line.shown, kTitleUnits, title);
    } else if (decision.action == HelpAction::PutBackSaved) {
        PutBackSaved();
    }
}

bool TitleSavedThisLine() {
    return Line.savedThisLine;
}

void EndTitleLine() {
    if (Line.shown[0]) {
        char16_t now[kMessageUnits];
        PlatformGetConsoleTitle(now, kMessageUnits);
        if (Str16Equal(now, Line.shown)) {
            PutBackSaved();
        }
    }
    PlatformFree(Line.saved);
    Line = {nullptr, false, {0}};
}
