// What each key typed on the host's command line means to live help: the bracket decision,
// carried out where help shows now.
#include "livehelp/key.h"

#include "helptable/help_table.h"
#include "livehelp/console_title.h"
#include "livehelp/help_decision.h"
#include "livehelp/help_place.h"
#include "livehelp/status_bar.h"

int HandleKey(int32_t key, const char16_t* line, const char16_t* cursor) {
    if (key == 0 && !line) {
        // A new command line begins: its first help captures what shows afresh.
        ForgetStatusLine();
        EndTitleLine();
        return 0;
    }
    if ((key != u'[' && key != u']') || !HelpTableRoot()) {
        return 0;
    }
    switch (CurrentHelpPlace()) {
    case HelpPlace::StatusBar:
        PresentOnStatusBar(
            DecideBracketHelp(key, line, cursor, HelpTableRoot(), StatusSavedThisLine()));
        break;
    case HelpPlace::ConsoleTitle:
        PresentInConsoleTitle(
            DecideBracketHelp(key, line, cursor, HelpTableRoot(), TitleSavedThisLine()));
        break;
    case HelpPlace::Off:
        break;
    }
    return 0;
}
