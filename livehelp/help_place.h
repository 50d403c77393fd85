// Where live help shows, as the console window and the user's setting make it now.
#pragma once

enum class HelpPlace {
    StatusBar, // the host runs in its own window: the status bar
    Off,       // the console window is visible, and its title was not asked for
};

HelpPlace CurrentHelpPlace();
