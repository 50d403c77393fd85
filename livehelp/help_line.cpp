// The one owner of live help's state over a command line.
#include "livehelp/help_line.h"

#include "base/host.h"
#include "base/limits.h"
#include "base/text16.h"
#include "platform/platform.h"

namespace {

// What the place of the line's help shows.
enum class PlaceShows {
    Unknown, // nothing told yet, or the help table went under it
    Before,  // what showed before the line's first help (or nothing)
    Help,    // the help in HelpLine::help
};

struct HelpLine {
    const HelpPlaceRow* place; // where the line's help was last told to show; null: nowhere yet
    PlaceShows shows;          // what that place shows
    HelpContent help;          // the help it shows (Help), kept by value to compare the next with
    char16_t* before;          // heap copy of what showed there before the first help, or null
    bool captured;             // a capture has been made (or tried) on this line
    HostWindowAnswer host;     // the host's answer to "HWND" on this line
    char16_t hostText[kMessageUnits]; // its text (Named only)
};

HelpLine g_line = {};

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

// Keeps a capture's text (an unreadable place keeps the copy from before; an empty text keeps
// none). No memory: nothing is kept.
void Keep(CaptureResult result, const char16_t* text) {
    if (result == CaptureResult::Unreadable) {
        return;
    }
    ForgetTextBeforeHelp();
    g_line.before = HeapCopy(text);
}

void Capture(const HelpPlaceRow& row) {
    char16_t text[kMessageUnits];
    text[0] = 0;
    const char16_t* hostWindow = u"";
    if (row.needsHostWindow && LineHostWindow() == HostWindowAnswer::Named) {
        hostWindow = g_line.hostText;
    }
    Keep(row.presenter->capture(hostWindow, std::span<char16_t>(text)), text);
    g_line.captured = true; // whether or not anything was read
}

// The one rule of capture: once per line, before the line's first help replaces what shows,
// so that what goes back is what showed before any help; the status bar only for an opening
// bracket's help.
bool CapturesFirst(const HelpDecision& decision, const HelpPlaceRow& row) {
    return !g_line.captured && decision.action == HelpAction::ShowHelp &&
           (decision.savesFirst || !row.capturesOnOpeningOnly);
}

bool SameHelp(const HelpContent& a, const HelpContent& b) {
    return Str16Equal(a.syntax, b.syntax) && Str16Equal(a.description, b.description);
}

// The place of the line's help hears that the line ended there; the record keeps only the
// host's answer, which holds for the whole line.
void EndPlace() {
    if (g_line.place) {
        bool helpShows = g_line.shows == PlaceShows::Help && g_line.help.syntax[0];
        g_line.place->presenter->lineEnded(
            {helpShows ? &g_line.help : nullptr, HelpSituation::HostWindow, g_line.before});
    }
    ForgetTextBeforeHelp();
    g_line.place = nullptr;
    g_line.shows = PlaceShows::Unknown;
    g_line.captured = false;
}

} // namespace

void PresentHelp(const HelpWhere& where, const HelpDecision& decision) {
    const HelpPlaceRow& row = HelpPlaceRowOf(where.place);
    if (decision.action == HelpAction::Nothing || !row.presenter) {
        return;
    }
    if (g_line.place && g_line.place != &row) {
        EndPlace(); // help moved to another place: the old one gets its own text back
    }
    bool samePlace = g_line.place == &row;
    if (decision.action == HelpAction::PutBackSaved) {
        if (samePlace && g_line.shows == PlaceShows::Before) {
            return;
        }
        g_line.place = &row;
        g_line.shows = PlaceShows::Before;
        row.presenter->putBack(g_line.before);
        return;
    }
    HelpContent help;
    ComposeHelp(decision.node, &help);
    if (samePlace && g_line.shows == PlaceShows::Help && SameHelp(help, g_line.help)) {
        return;
    }
    if (CapturesFirst(decision, row)) {
        Capture(row);
    }
    g_line.place = &row;
    g_line.shows = PlaceShows::Help;
    Str16Copy(g_line.help.syntax, help.syntax);
    Str16Copy(g_line.help.description, help.description);
    row.presenter->show({&g_line.help, where.situation, g_line.before});
}

HostWindowAnswer LineHostWindow() {
    if (g_line.host == HostWindowAnswer::NotAsked) {
        g_line.host =
            AskHostWindow(g_line.hostText) ? HostWindowAnswer::Named : HostWindowAnswer::None;
    }
    return g_line.host;
}

void EndHelpLine() {
    EndPlace();
    g_line.host = HostWindowAnswer::NotAsked;
}

void HelpTableWent() {
    if (g_line.place && g_line.shows == PlaceShows::Help && g_line.help.syntax[0]) {
        g_line.place->presenter->lineEnded(
            {&g_line.help, HelpSituation::HostWindow, g_line.before});
    }
    g_line.shows = PlaceShows::Unknown;
}

bool LineCaptured() {
    return g_line.captured;
}

const char16_t* TextBeforeHelp() {
    return g_line.before;
}

void ForgetTextBeforeHelp() {
    PlatformFree(g_line.before);
    g_line.before = nullptr;
}

#if defined(HB_TESTING)
void SaveStatusText() {
    char16_t text[kMessageUnits];
    text[0] = 0;
    const HelpPlaceRow& row = HelpPlaceRowOf(HelpPlace::StatusBar);
    // A visible console window is where the user types, and it has no status bar.
    if (PlatformConsoleWindowVisible()) {
        return;
    }
    // The line's answer when the key handler asked; otherwise the host is asked afresh.
    char16_t fresh[kMessageUnits];
    const char16_t* window = g_line.hostText;
    if (g_line.host == HostWindowAnswer::None) {
        window = u"";
    } else if (g_line.host == HostWindowAnswer::NotAsked) {
        window = AskHostWindow(fresh) ? fresh : u"";
    }
    Keep(row.presenter->capture(window, std::span<char16_t>(text)), text);
}

void SeedHelpLine(const char16_t* before, bool captured) {
    char16_t* copy = before ? HeapCopy(before) : nullptr; // the text may be the old copy
    ForgetTextBeforeHelp();
    g_line.before = copy;
    g_line.captured = captured;
}
#endif
