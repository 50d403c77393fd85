// hbar /S: the files the help came from, and where live help shows right now.
#include "command/help_status.h"

#include "base/limits.h"
#include "base/messages.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "interface/host_services.h"
#include "livehelp/help_place.h"
#include "platform/platform.h"
#include "textinput/text_source.h"

namespace {

// How to turn live help on where the host's status bar is not there.
void ReportHowToTurnOn() {
    Printf(u"To show help in a window beside the line:  set HintbarConsole=window\r\n"
           u"To show help in the console window's title:  set HintbarConsole=title\r\n"
           u"To look a function up at any time:  hbar /F name\r\n");
}

void ReportHelpWindow(HelpSituation situation) {
    if (situation == HelpSituation::ConsoleWindow) {
        Printf(u"Live help shows in a window beside the line, below or above the cursor.\r\n");
    } else {
        Printf(u"Live help shows in a window along the bottom edge of the terminal.\r\n");
    }
    uint32_t error = PlatformHelpWindowError();
    if (error) {
        char16_t reason[kMessageUnits];
        DescribeError(reason, static_cast<int32_t>(error));
        Printf(u"The help window could not be made: %s\r\n", reason);
    } else if (PlatformHelpWindowHadNoRoom()) {
        Printf(u"The last help did not show: the screen has no room for it above or below the "
               u"cursor's line.\r\n");
    }
}

void ReportPlace(HelpWhere where) {
    bool terminal = where.situation == HelpSituation::Terminal;
    switch (where.place) {
    case HelpPlace::StatusBar:
        if (!terminal) {
            Printf(u"Live help shows on the status bar of the host's window.\r\n");
            return;
        }
        // Without a console setting help still goes to the status bar, which is not there.
        Printf(u"Live help is off: this is a terminal that hosts the console, and the host has "
               u"no window with a status bar.\r\n");
        ReportHowToTurnOn();
        return;
    case HelpPlace::Off:
        if (terminal) {
            Printf(u"Live help is off: this is a terminal that hosts the console, and it has no "
                   u"status bar.\r\n");
        } else {
            Printf(u"Live help is off: the console window is visible, and it has no status "
                   u"bar.\r\n");
        }
        ReportHowToTurnOn();
        return;
    case HelpPlace::ConsoleTitle:
        if (terminal) {
            Printf(u"Live help shows in the console's title, which the terminal shows in its "
                   u"tab.\r\n");
        } else {
            Printf(u"Live help shows in the title of the console window.\r\n");
        }
        return;
    case HelpPlace::HelpWindow:
        ReportHelpWindow(where.situation);
        return;
    }
}

} // namespace

void ReportHelpStatus() {
    if (!HelpTableRoot()) {
        Printf(u"No help is loaded.  Use HBAR /L to load it, or HBAR /A to add a file.\r\n");
    } else {
        if (FirstHelpSource()) {
            Printf(u"Help files, in the order loaded:\r\n");
        }
        for (const HelpSource* source = FirstHelpSource(); source; source = source->next) {
            Printf(u"  %s from \"%s\"\r\n", FormatCount(source->functions), source->name);
        }
        Printf(u"%s in memory.\r\n", FormatCount(HelpTableCount()));
    }
    ReportPlace(CurrentHelpPlace(true)); // a report tells what is there, so it asks the host
}
