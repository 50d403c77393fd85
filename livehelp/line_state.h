// The one owner of live help's state over a command line, whichever place shows the help: what
// showed there before the line's first help, whether that was captured, and whether help shows.
#pragma once

#include "livehelp/help_decision.h"
#include "livehelp/help_presenter.h"

// Carries out a bracket's decision in the presenter's place: keeps what shows there before the
// line's first help, then shows the help or puts the kept text back. A place other than the
// one the line showed help in ends the line there first.
void PresentBracketHelp(const HelpPresenter& presenter, const HelpDecision& decision,
                        HelpSituation situation);
// The line boundary: the place that showed help hears that the line ended, and what was kept
// goes, so that the next line captures afresh.
void EndHelpLine();
// The help table went: help that shows is taken away, while what was kept stays for the line.
void HelpTableWent();

// Named after the status bar, the first place help showed in; they hold the line's state
// whichever place shows it. True once a capture was made (or tried) on this line.
[[nodiscard]] bool StatusSavedThisLine();
// What showed before the line's first help, or null.
[[nodiscard]] const char16_t* SavedStatusText();
// Keeps a capture's text (an unreadable place keeps the copy from before; an empty text keeps
// none). No memory: nothing is kept.
void KeepCapturedText(CaptureResult result, const char16_t* text);
void ReleaseSavedStatusText();
#if defined(HB_TESTING)
// The tests' seam: the line's state as an earlier capture would have left it (text may be
// null for a capture that found nothing).
void SeedStatusLine(const char16_t* savedText, bool savedThisLine);
#endif
