// Live help in the console window's title, for a host that runs in a visible console: the
// presenter that carries out a bracket decision there, and the title it puts back.
#pragma once

#include "livehelp/help_decision.h"

// Shows the decision's help in the title (saving the title first, once per line) or puts
// the saved title back.
void PresentInConsoleTitle(const HelpDecision& decision);
// True once help was shown in the title on the current command line.
bool TitleSavedThisLine();
// A new command line begins, or the plug-in stops: the saved title goes back only if the title
// still shows the help the plug-in put there (a title that the host or a command set since
// is left alone), then it is forgotten.
void EndTitleLine();
