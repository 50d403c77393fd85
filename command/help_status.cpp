// hbar /S: the files the help came from, and where live help shows right now.
#include "command/help_status.h"

#include "base/limits.h"
#include "base/messages.h"
#include "command/counts.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "base/host.h"
#include "livehelp/help_place.h"
#include "livehelp/status_bar.h"
#include "platform/platform.h"
#include "textinput/text_source.h"

namespace {

void ReportLookUp() {
    HostPrint(u"To look a function up at any time:  hbar /F name\r\n");
}

// How to turn live help on where the host's status bar is not there.
void ReportHowToTurnOn() {
    HostPrint(u"To show help in a window beside the line:  set HintbarConsole=window\r\n"
              u"To show help in the console window's title:  set HintbarConsole=title\r\n");
    ReportLookUp();
}

// A value of HintbarConsole that is neither name is read as no setting; the user who typed it
// learns why nothing changed.
void ReportUnknownSetting() {
    char16_t value[kMessageUnits];
    if (ReadConsoleSetting(value) != ConsoleSetting::Other) {
        return;
    }
    if (value[0]) {
        HostPrint(u"HintbarConsole is \"%s\", which is neither of the values it takes, \"title\" "
                  u"and \"window\"; it is read as unset.\r\n",
                  value);
    } else {
        HostPrint(u"HintbarConsole holds a long value, which is neither of the values it takes, "
                  u"\"title\" and \"window\"; it is read as unset.\r\n");
    }
}

void ReportHelpWindow(HelpSituation situation) {
    if (situation == HelpSituation::ConsoleWindow) {
        HostPrint(u"Live help shows in a window beside the line, below or above the cursor.\r\n");
    } else {
        HostPrint(u"Live help shows in a window along the bottom edge of the terminal.\r\n");
    }
    uint32_t error = PlatformHelpWindowError();
    if (error) {
        char16_t reason[kMessageUnits];
        DescribeError(reason, static_cast<int32_t>(error));
        HostPrint(u"The help window could not be made: %s\r\n", reason);
    }
}

void ReportPlace(HelpWhere where) {
    bool terminal = where.situation == HelpSituation::Terminal;
    switch (where.place) {
    case HelpPlace::StatusBar:
        if (!terminal && HostHasStatusBar()) {
            HostPrint(u"Live help shows on the status bar of the host's window.\r\n");
            return;
        }
        if (!terminal) {
            HostPrint(u"Live help is off: the host's window has no status bar.\r\n");
            ReportLookUp();
            return;
        }
        // Without a console setting help still goes to the status bar, which is not there.
        HostPrint(u"Live help is off: this is a terminal that hosts the console, and the host has "
                  u"no window with a status bar.\r\n");
        ReportHowToTurnOn();
        return;
    case HelpPlace::Off:
        if (terminal) {
            HostPrint(u"Live help is off: this is a terminal that hosts the console, and it has no "
                      u"status bar.\r\n");
        } else {
            HostPrint(u"Live help is off: the console window is visible, and it has no status "
                      u"bar.\r\n");
        }
        ReportHowToTurnOn();
        return;
    case HelpPlace::ConsoleTitle:
        if (terminal) {
            HostPrint(u"Live help shows in the console's title, which the terminal shows in its "
                      u"tab.\r\n");
        } else {
            HostPrint(u"Live help shows in the title of the console window.\r\n");
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
        HostPrint(u"No help is loaded.  Use HBAR /L to load it, or HBAR /A to add a file.\r\n");
    } else {
        if (FirstHelpSource()) {
            HostPrint(u"Help files, in the order loaded:\r\n");
        }
        for (const HelpSource* source = FirstHelpSource(); source; source = source->next) {
            HostPrint(u"  %s from \"%s\"\r\n", FormatCount(source->functions), source->name);
        }
        HostPrint(u"%s in memory.\r\n", FormatCount(HelpTableCount()));
    }
    ReportPlace(CurrentHelpPlace(true)); // a report tells what is there, so it asks the host
    ReportUnknownSetting();
}
