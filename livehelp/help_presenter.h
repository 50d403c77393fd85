// The one face every place that shows live help has: a presenter carries out what the line's
// owner (line_state.h) decided, and knows nothing of the line itself.
#pragma once

#include "livehelp/help_place.h"
#include "livehelp/help_text.h"

#include <span>

enum class CaptureResult {
    Unreadable, // nothing could be read: the copy kept from before stays
    Read,       // the text was read (it may be empty)
};

// One help to show, with what it is shown for.
struct HelpShowing {
    const HelpContent* help;
    HelpSituation situation;
    const char16_t* saved; // what showed before the line's first help, or null
};

struct HelpPresenter {
    // The status bar keeps what it showed only when an opening bracket shows help; the other
    // places keep it before the line's first help, whichever bracket shows it.
    bool capturesOnOpeningOnly;
    // What shows there now, copied into text (cut to fit).
    CaptureResult (*capture)(std::span<char16_t> text);
    // Shows the help. Help without a syntax line is shown too: each place says what that means.
    void (*show)(const HelpShowing& showing);
    // Puts back what showed before the line's first help (null: nothing was kept).
    void (*putBack)(const char16_t* saved);
    // The command line ended (or the help table went) while this place showed the line's help.
    void (*lineEnded)(const char16_t* saved, bool helpShows);
    // The plug-in stops: whatever the place holds goes.
    void (*shutDown)();
};
