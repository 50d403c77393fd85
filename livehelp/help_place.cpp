#include "livehelp/help_place.h"

#include "platform/platform.h"

HelpPlace CurrentHelpPlace() {
    // A visible console window is where the user types: there is no status bar of the host's
    // to show help on.
    return PlatformConsoleWindowVisible() ? HelpPlace::Off : HelpPlace::StatusBar;
}
