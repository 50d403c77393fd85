#include "livehelp/help_place.h"

#include "base/text16.h"
#include "platform/platform.h"

namespace {
// HintbarConsole=title, in any case. A longer value does not fit the buffer and reads as
// unset, which is not "title" either.
bool TitleAskedFor() {
    char16_t value[8];
    uint32_t length = PlatformGetEnvironmentVariable(u"HintbarConsole", value, 8);
    return length == 5 && Str16CompareNoCase(value, u"title") == 0;
}
} // namespace

HelpPlace CurrentHelpPlace() {
    // A visible console window is where the user types: the host has no status bar of its
    // own to show help on, so help shows in the console's title or not at all.
    if (!PlatformConsoleWindowVisible()) {
        return HelpPlace::StatusBar;
    }
    return TitleAskedFor() ? HelpPlace::ConsoleTitle : HelpPlace::Off;
}
