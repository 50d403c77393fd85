// Live help in a small window beside the line being typed, for a console or a terminal.
#pragma once

#include "livehelp/help_presenter.h"

extern const HelpPresenter kHelpWindowPresenter;

// Why the window shows no help now: it could not be made, or the window typed in has no room.
[[nodiscard]] bool HelpWindowProblem(HelpSituation situation, std::span<char16_t> why);
