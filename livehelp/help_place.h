// Where live help shows, from what the process's console window and the host say and what the
// user asked for in HintbarConsole.
#pragma once

#include <span>

// Where the user types.
enum class HelpSituation {
    HostWindow,    // the host's own window; the console window is hidden or absent
    ConsoleWindow, // a classic console window, visible
    Terminal,      // a terminal that hosts the console: the console window is only a stand-in
};

enum class HelpPlace {
    StatusBar,    // the host's status bar
    Off,          // no place: a visible console window, and no console place asked for
    ConsoleTitle, // the console's title (HintbarConsole=title)
    HelpWindow,   // a small window beside the line (HintbarConsole=window)
};

// The user's HintbarConsole setting, in any case.
enum class ConsoleSetting { Unset, Title, Window, Other };

enum class ConsoleWindowSeen { Absent, Hidden, Visible };
enum class HostWindowAnswer {
    NotAsked, // the decision did not need it
    Named,    // the host named a window of its own
    None,     // the host's answer was empty
};

// What the decision reads.
struct HelpPlaceFacts {
    ConsoleWindowSeen console;
    bool standIn; // the console window is a pseudo-console's stand-in (by its class)
    HostWindowAnswer host;
    ConsoleSetting setting;
};

struct HelpWhere {
    HelpSituation situation;
    HelpPlace place;
};

// Whether the decision needs the host's answer to "HWND": only when a console place is asked
// for and the console window, hidden and no stand-in, leaves open whether the host has a window.
[[nodiscard]] bool HelpPlaceNeedsHost(ConsoleWindowSeen console, bool standIn,
                                      ConsoleSetting setting);
// The situation and the place. Without a console setting the place is what it always was: the
// status bar unless the console window is visible, whatever the host has.
[[nodiscard]] HelpWhere DecideHelpPlace(const HelpPlaceFacts& facts);

// The facts as they are now and the decision on them. The setting is read afresh at each call,
// so that setting the variable takes effect at the next bracket; the host is asked at most once
// per command line (and only when the decision needs it), unless askHost says to ask anyway.
[[nodiscard]] HelpWhere CurrentHelpPlace(bool askHost = false);
// The host's answer to "HWND" when it was asked on this command line, so that the status bar
// is found without asking again; false when it was not asked.
[[nodiscard]] bool HostWindowAnswerOfLine(std::span<char16_t> text);
// A new command line begins: the host's answer is asked afresh when next needed.
void ForgetHostWindowAnswer();
// The HintbarConsole setting as it stands, and its value in value for a report (empty when the
// value does not fit).
[[nodiscard]] ConsoleSetting ReadConsoleSetting(std::span<char16_t> value);
// The class a pseudo-console gives its stand-in console window.
constexpr char16_t kStandInConsoleClass[] = u"PseudoConsoleWindow";
