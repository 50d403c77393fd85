// Where live help shows, from what the process's console window and the host say and what the
// user asked for in HintbarConsole. Deciding touches nothing; reading the facts asks the
// system, and the host only when the decision needs it.
#pragma once

#include "livehelp/help_places.h"
#include "platform/platform.h"

#include <span>

enum class HostWindowAnswer {
    NotAsked, // the decision did not need it
    Named,    // the host named a window of its own
    None,     // the host's answer was empty
};

// The HintbarConsole setting: the place it asks for, if it names one.
struct ConsoleSetting {
    const HelpPlaceRow* asked; // null: unset, or a value that names no place
    bool unknown;              // set to a value that names no place
};

// The HintbarFollow setting: "on" or "off" in any case.
enum class FollowSetting { Unset, On, Off, Unknown };

// What the decision reads.
struct HelpPlaceFacts {
    PlatformConsoleWindow console;
    bool standIn; // the console window is a pseudo-console's stand-in (by its class)
    HostWindowAnswer host;
    ConsoleSetting setting;
    FollowSetting follow;
};

struct HelpWhere {
    HelpSituation situation;
    HelpPlace place;
    bool follows; // help there follows the typing, not only the brackets
};

// The setting as it stands, with its value in value for a report (empty when it does not
// fit). The setting is read afresh at each key, so that setting the variable takes effect at
// the next bracket.
[[nodiscard]] ConsoleSetting ReadConsoleSetting(std::span<char16_t> value);
// The HintbarFollow setting as it stands, with its value in value for a report.
[[nodiscard]] FollowSetting ReadFollowSetting(std::span<char16_t> value);
// Whether help may follow the typing in some place as things are set: HintbarFollow=on, or a
// console place asked for while HintbarFollow is not off. When not, keys other than the
// brackets need no look at all.
[[nodiscard]] bool FollowMayMatter();

// The facts as they are now, all but the host's answer, which the key handler adds from the
// line's record when HelpPlaceNeedsHost says the decision needs it.
[[nodiscard]] HelpPlaceFacts ReadHelpPlaceFacts();
// Whether the decision needs the host's answer to "HWND": only when a console place is asked
// for and the console window, hidden and no stand-in, leaves open whether the host has a window.
[[nodiscard]] bool HelpPlaceNeedsHost(const HelpPlaceFacts& facts);
// The situation and the place. Without a console setting the place is what it always was: the
// status bar unless the console window is visible, whatever the host has.
[[nodiscard]] HelpWhere DecideHelpPlace(const HelpPlaceFacts& facts);

// Where help shows, for hbar /S: a report tells what is there, so it reads the console
// window's class and asks the host afresh whenever the console window leaves it open.
[[nodiscard]] HelpWhere ReportedHelpPlace();

// The class a pseudo-console gives its stand-in console window.
constexpr char16_t kStandInConsoleClass[] = u"PseudoConsoleWindow";
