// The one face every place that shows live help has: a presenter carries out what the key
// handler decided, with what it needs given as arguments, and knows nothing of the line.
#pragma once

#include "livehelp/help_text.h"

#include <span>

// Where the user types.
enum class HelpSituation {
    HostWindow,    // the host's own window; the console window is hidden or absent
    ConsoleWindow, // a classic console window, visible
    Terminal,      // a terminal that hosts the console: the console window is only a stand-in
};

enum class CaptureResult {
    Unreadable, // nothing could be read: the copy kept from before stays
    Read,       // the text was read (it may be empty)
};

// One help as a place is told it: the help, where the user types, and what showed in the
// place before the line's first help.
struct HelpShowing {
    const HelpContent* help; // null: no help (lineEnded: none of the line's help shows)
    int argument;            // the argument being typed, to mark; -1: none
    const HelpNames* names;  // the names being typed, shown instead of a help; null: none
    HelpSituation situation;
    const char16_t* before; // what showed before the line's first help, or null
};

struct HelpPresenter {
    // What shows there now, copied into text (cut to fit). hostWindow is the host's answer to
    // "HWND" for a place that needs it (see HelpPlaceRow), empty otherwise.
    CaptureResult (*capture)(const char16_t* hostWindow, std::span<char16_t> text);
    // Shows the help. Help without a syntax line is shown too: each place says what that means.
    void (*show)(const HelpShowing& showing);
    // Puts back what showed before the line's first help (null: nothing was kept).
    void (*putBack)(const char16_t* before);
    // The command line ended (or the help table went) while this place showed the line's help;
    // showing.help is the help it shows, or null when it shows none now.
    void (*lineEnded)(const HelpShowing& showing);
    // The plug-in stops: whatever the place holds goes.
    void (*shutDown)();
};
