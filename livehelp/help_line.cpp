// The one owner of live help's state over a command line.
#include "livehelp/help_line.h"

#include "base/host.h"
#include "base/limits.h"
#include "base/text16.h"
#include "helptable/help_sources.h"
#include "platform/platform.h"

namespace {

// What the place of the line's help shows.
enum class PlaceShows {
    Unknown, // nothing told yet, or the help table went under it
    Before,  // what showed before the line's first help (or nothing)
    Help,    // the help in HelpLine::help, with HelpLine::argument marked
    Names,   // the names in HelpLine::names, which begin with HelpLine::prefix
};

// Whether keys other than the brackets can matter on this line, read once a line: the settings
// change only through a command, which ends the line.
enum class LineFollow { Unread, No, Maybe };

struct HelpLine {
    const HelpPlaceRow* place;   // where the line's help was last told to show; null: nowhere yet
    PlaceShows shows;            // what that place shows; with the three below, compared by value
    HelpContent help;            // the help it shows (Help), kept by value
    int argument;                // the argument marked in it (Help), -1: none
    HelpNames names;             // the names it shows (Names), entries cleared once shown
    char16_t prefix[kNameUnits]; // what they begin with (Names)
    char16_t* before;            // heap copy of what showed there before the first help, or null
    bool captured;               // a capture has been made (or tried) on this line
    HostWindowAnswer host;       // the host's answer to "HWND" on this line
    char16_t hostText[kMessageUnits]; // its text (Named only)
    LineFollow follow;                // whether keys other than brackets may show help on this line
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

// Shows the entry's help with the argument marked (-1: none), unless the place shows just that.
void ShowEntry(const HelpWhere& where, const HelpPlaceRow& row, const HelpNode* node, int argument,
               bool captureFirst) {
    static HelpContent help; // the host's thread alone decides
    ComposeHelp(node, &help);
    if (g_line.place == &row && g_line.shows == PlaceShows::Help && g_line.argument == argument &&
        SameHelp(help, g_line.help)) {
        return;
    }
    if (captureFirst) {
        Capture(row);
    }
    g_line.place = &row;
    g_line.shows = PlaceShows::Help;
    g_line.argument = argument;
    Str16Copy(g_line.help.syntax, help.syntax);
    Str16Copy(g_line.help.description, help.description);
    row.presenter->show({&g_line.help, argument, nullptr, where.situation, g_line.before});
}

// What the place shows of the line's help, as lineEnded is told it; nothing (no help, no
// names) when it shows none of it.
HelpShowing ShownNow() {
    bool help = g_line.shows == PlaceShows::Help && g_line.help.syntax[0];
    bool names = g_line.shows == PlaceShows::Names;
    return {help ? &g_line.help : nullptr, g_line.argument, names ? &g_line.names : nullptr,
            HelpSituation::HostWindow, g_line.before};
}

// The place of the line's help hears that the line ended there; the record keeps only the
// host's answer, which holds for the whole line.
void EndPlace() {
    if (g_line.place) {
        g_line.place->presenter->lineEnded(ShownNow());
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
    ShowEntry(where, row, decision.node, -1, CapturesFirst(decision, row));
}

void PresentFollow(const HelpWhere& where, const FollowDecision& decision) {
    const HelpPlaceRow& row = HelpPlaceRowOf(where.place);
    if (!row.presenter) {
        return;
    }
    if (g_line.place && g_line.place != &row) {
        EndPlace();
    }
    if (decision.kind == FollowKind::InCall) {
        ShowEntry(where, row, decision.node, decision.argument, !g_line.captured);
        return;
    }
    HelpNames& names = g_line.names;
    uint32_t total = 0;
    if (decision.kind == FollowKind::Naming) {
        if (g_line.place == &row && g_line.shows == PlaceShows::Names &&
            Str16Equal(g_line.prefix, decision.prefix)) {
            return;
        }
        total = MatchingNames(HelpTableRoot(), decision.prefix, names.shown);
    }
    if (total == 0) {
        // Neither a call nor a name that matches: what showed before the line's help goes back,
        // once some of it showed.
        if (g_line.place == &row && g_line.shows != PlaceShows::Before) {
            g_line.shows = PlaceShows::Before;
            row.presenter->putBack(g_line.before);
        }
        return;
    }
    if (!g_line.captured) {
        Capture(row);
    }
    names.total = total;
    names.count = total < kNamesShown ? total : kNamesShown;
    for (uint32_t i = 0; i < names.count; ++i) {
        Str16Copy(names.name[i], names.shown[i]->name);
    }
    Str16Copy(g_line.prefix, decision.prefix);
    g_line.place = &row;
    g_line.shows = PlaceShows::Names;
    row.presenter->show({nullptr, -1, &names, where.situation, g_line.before});
    for (const HelpNode*& entry : names.shown) {
        entry = nullptr; // the table may go before the line ends
    }
}

bool LineMayFollow() {
    if (g_line.follow == LineFollow::Unread) {
        g_line.follow = FollowMayMatter() ? LineFollow::Maybe : LineFollow::No;
    }
    return g_line.follow == LineFollow::Maybe;
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
    g_line.follow = LineFollow::Unread;
}

void HelpTableWent() {
    if (g_line.place) {
        HelpShowing shown = ShownNow();
        if (shown.help || shown.names) {
            g_line.place->presenter->lineEnded(shown);
        }
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
