// Where live help shows, as the console window and the user's setting make it now.
#pragma once

enum class HelpPlace {
    StatusBar,    // the host runs in its own window: its status bar
    Off,          // the console window is visible, and its title was not asked for
    ConsoleTitle, // the console window is visible, and HintbarConsole=title asks for its title
};

// Read afresh at each call, so that setting the variable takes effect at the next bracket.
HelpPlace CurrentHelpPlace();
