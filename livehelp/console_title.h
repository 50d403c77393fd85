// Live help in the console's title, for a user who types in a console window or in a terminal
// that shows the console's title in its tab.
#pragma once

#include "livehelp/help_presenter.h"

extern const HelpPresenter kConsoleTitlePresenter;
