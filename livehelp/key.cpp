// What each key typed on the host's command line means to live help: the bracket decision,
// carried out by the presenter of the place where help shows now.
#include "livehelp/key.h"

#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "livehelp/console_title.h"
#include "livehelp/help_decision.h"
#include "livehelp/help_place.h"
#include "livehelp/help_window.h"
#include "livehelp/line_state.h"
#include "livehelp/status_bar.h"

namespace {

const HelpPresenter* PresenterOf(HelpPlace place) {
    switch (place) {
    case HelpPlace::StatusBar:
        return &StatusBarPresenter();
    case HelpPlace::ConsoleTitle:
        return &ConsoleTitlePresenter();
    case HelpPlace::HelpWindow:
        return &HelpWindowPresenter();
    case HelpPlace::Off:
        break;
    }
    return nullptr;
}

} // namespace

void HandleKey(int32_t key, const char16_t* line, const char16_t* cursor) {
    if (key == 0 && !line) {
        // A new command line begins: its first help captures what shows afresh.
        EndHelpLine();
        ForgetHostWindowAnswer();
        return;
    }
    if ((key != u'[' && key != u']') || !HelpTableRoot()) {
        return;
    }
    HelpWhere where = CurrentHelpPlace();
    const HelpPresenter* presenter = PresenterOf(where.place);
    if (presenter) {
        PresentBracketHelp(
            *presenter,
            DecideBracketHelp(key, line, cursor, HelpTableRoot(), StatusSavedThisLine()),
            where.situation);
    }
}

void ShutDownLiveHelp() {
    EndHelpLine();
    ForgetHostWindowAnswer();
    for (HelpPlace place : {HelpPlace::StatusBar, HelpPlace::ConsoleTitle, HelpPlace::HelpWindow}) {
        PresenterOf(place)->shutDown();
    }
}
