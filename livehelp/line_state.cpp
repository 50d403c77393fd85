// The one owner of live help's state over a command line.
#include "livehelp/line_state.h"

#include "base/limits.h"
#include "base/text16.h"
#include "platform/platform.h"

namespace {

struct LineState {
    const HelpPresenter* presenter; // the place that showed help on this line, or null
    char16_t* saved;                // heap copy of what showed there before, or null
    bool savedThisLine;             // a capture has been made (or tried) on this line
    bool helpShows;                 // the line's help shows now
};

LineState Line = {nullptr, nullptr, false, false};

// A heap copy of the text, or null when it is empty or there is no memory.
char16_t* HeapCopy(const char16_t* text) {
    size_t length = Str16Len(text);
    if (length == 0) {
        return nullptr;
    }
    auto* copy = static_cast<char16_t*>(PlatformAlloc((length + 1) * sizeof(char16_t)));
    if (copy) {
        Str16Copy({copy, length + 1}, text);
    }
    return copy;
}

void Capture(const HelpPresenter& presenter) {
    char16_t text[kMessageUnits];
    text[0] = 0;
    KeepCapturedText(presenter.capture(std::span<char16_t>(text)), text);
    Line.savedThisLine = true; // whether or not anything was read
}

} // namespace

void PresentBracketHelp(const HelpPresenter& presenter, const HelpDecision& decision,
                        HelpSituation situation) {
    if (decision.action == HelpAction::Nothing) {
        return;
    }
    if (Line.presenter && Line.presenter != &presenter) {
        EndHelpLine(); // help moved to another place: the old one gets its own text back
    }
    if (decision.action == HelpAction::ShowHelp) {
        HelpContent help;
        ComposeHelp(decision.node, &help);
        // Before the help replaces it, and once per line, so that what goes back is what
        // showed before any help.
        if (!Line.savedThisLine && (decision.savesFirst || !presenter.capturesOnOpeningOnly)) {
            Capture(presenter);
        }
        Line.presenter = &presenter;
        presenter.show({&help, situation, Line.saved});
        Line.helpShows = help.syntax[0] != 0;
    } else {
        Line.presenter = &presenter;
        presenter.putBack(Line.saved);
        Line.helpShows = false;
    }
}

void EndHelpLine() {
    if (Line.presenter) {
        Line.presenter->lineEnded(Line.saved, Line.helpShows);
    }
    PlatformFree(Line.saved);
    Line = {nullptr, nullptr, false, false};
}

void HelpTableWent() {
    if (Line.presenter && Line.helpShows) {
        Line.presenter->lineEnded(Line.saved, true);
    }
    Line.helpShows = false;
}

bool StatusSavedThisLine() {
    return Line.savedThisLine;
}

const char16_t* SavedStatusText() {
    return Line.saved;
}

void KeepCapturedText(CaptureResult result, const char16_t* text) {
    if (result == CaptureResult::Unreadable) {
        return;
    }
    ReleaseSavedStatusText();
    Line.saved = HeapCopy(text);
}

void ReleaseSavedStatusText() {
    PlatformFree(Line.saved);
    Line.saved = nullptr;
}

#if defined(HB_TESTING)
void SeedStatusLine(const char16_t* savedText, bool savedThisLine) {
    char16_t* copy = savedText ? HeapCopy(savedText) : nullptr; // the text may be the old copy
    ReleaseSavedStatusText();
    Line.saved = copy;
    Line.savedThisLine = savedThisLine;
}
#endif
