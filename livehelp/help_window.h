// Live help in a small window beside the line being typed, for a console or a terminal.
#pragma once

#include "livehelp/help_presenter.h"

const HelpPresenter& HelpWindowPresenter();
