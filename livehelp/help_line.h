// Everything live help keeps for one command line, in one record owned here, and the one step
// that carries a key's decision out: capture first when the line's first help comes, then tell
// the place's presenter, only when what it would show differs from what it shows.
#pragma once

#include "livehelp/help_decision.h"
#include "livehelp/help_place.h"

// Carries out the decision in the place decided.
void PresentHelp(const HelpWhere& where, const HelpDecision& decision);
// The same for help that follows the typing: the call's help with its argument marked, the
// names being typed, or what showed before.
void PresentFollow(const HelpWhere& where, const FollowDecision& decision);
// Whether a key other than a bracket can show anything on this line (read once a line).
[[nodiscard]] bool LineMayFollow();
// The host's answer to "HWND" on this line, asked at most once per line.
[[nodiscard]] HostWindowAnswer LineHostWindow();
// The line boundary: the place that showed help hears that the line ended, and everything
// kept for the line goes, so that the next line captures and asks the host afresh.
void EndHelpLine();
// The help table went: help that shows is taken away, while what was kept stays for the line.
void HelpTableWent();

// True once a capture was made (or tried) on this line.
[[nodiscard]] bool LineCaptured();
// What showed before the line's first help, or null.
[[nodiscard]] const char16_t* TextBeforeHelp();
// Drops what showed before the line's first help (the plug-in stops).
void ForgetTextBeforeHelp();
#if defined(HB_TESTING)
// Captures the status bar's text into the line's record, as the line's first help there does;
// a failure before the text is read keeps the old copy.
void SaveStatusText();
// The tests' seam: the line's record as an earlier capture would have left it (text may be
// null for a capture that found nothing).
void SeedHelpLine(const char16_t* before, bool captured);
#endif
