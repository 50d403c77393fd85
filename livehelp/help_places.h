// The places where live help can show, one row each: adding a place is one presenter and one
// row here. The setting's words, the presenter, when a place captures and what hbar /S says
// of it are all read from the row.
#pragma once

#include "livehelp/help_presenter.h"

#include <span>

enum class HelpPlace {
    StatusBar,    // the host's status bar
    Off,          // no place: a visible console window, and no console place asked for
    ConsoleTitle, // the console's title (HintbarConsole=title)
    HelpWindow,   // a small window beside the line (HintbarConsole=window)
};

struct HelpPlaceRow {
    HelpPlace place;
    // The HintbarConsole value that asks for this place in a console or a terminal, in any
    // case; null for the places the setting does not name.
    const char16_t* setting;
    const HelpPresenter* presenter; // null: help shows nowhere
    // What showed is captured only when an opening bracket shows help (the status bar, whose
    // host puts its own text back at each line); other places capture before any first help.
    bool capturesOnOpeningOnly;
    bool needsHostWindow; // its capture reads the host's window
    // Help follows the typing there unless HintbarFollow says otherwise: in the plug-in's own
    // places; on the host's status bar, whose three events keep their texts, only when asked.
    bool followsByDefault;
    // hbar /S: where help shows, when typing in the host's window or a console window, and
    // when typing in a terminal that hosts the console; and whether help shows nowhere then,
    // so that the report offers the places the setting can ask for.
    const char16_t* report;
    const char16_t* reportInTerminal;
    bool off;
    bool offInTerminal;
    // hbar /S: how the setting turns this place on ("a window beside the line"); null for the
    // places the setting does not name.
    const char16_t* offer;
    // Why no help shows there now, as a sentence for hbar /S; false when nothing stands in the
    // way. Null: nothing can.
    bool (*problem)(HelpSituation situation, std::span<char16_t> why);
};

[[nodiscard]] std::span<const HelpPlaceRow> HelpPlaceRows();
[[nodiscard]] const HelpPlaceRow& HelpPlaceRowOf(HelpPlace place);
