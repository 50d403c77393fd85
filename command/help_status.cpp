// hbar /S: the files the help came from, and where live help shows right now.
#include "command/help_status.h"

#include "base/messages.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "interface/host_services.h"
#include "livehelp/help_place.h"

namespace {

void ReportPlace(HelpPlace place) {
    switch (place) {
    case HelpPlace::StatusBar:
        Printf(u"Live help shows on the status bar of the host's window.\r\n");
        return;
    case HelpPlace::Off:
        Printf(u"Live help is off: the console window is visible, and it has no status bar.\r\n"
               u"To show help in the console window's title:  set HintbarConsole=title\r\n"
               u"To look a function up at any time:  hbar /F name\r\n");
        return;
    case HelpPlace::ConsoleTitle:
        Printf(u"Live help shows in the title of the console window.\r\n");
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
    ReportPlace(CurrentHelpPlace());
}
