// What each key typed on the host's command line means to live help: the facts read once, the
// place and the help decided, and the decision carried out by the line's owner in that place.
#include "livehelp/key.h"

#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "livehelp/help_decision.h"
#include "livehelp/help_line.h"
#include "livehelp/help_place.h"

HelpWhere HelpPlaceOfKey() {
    HelpPlaceFacts facts = ReadHelpPlaceFacts();
    if (HelpPlaceNeedsHost(facts)) {
        facts.host = LineHostWindow();
    }
    return DecideHelpPlace(facts);
}

void HandleKey(int32_t key, const char16_t* line, const char16_t* cursor) {
    if (key == 0 && !line) {
        EndHelpLine(); // a new command line begins: its first help captures afresh
        return;
    }
    bool bracket = key == u'[' || key == u']';
    // Where help follows only the brackets, every other key is passed over at once.
    if ((!bracket && !LineMayFollow()) || !HelpTableRoot()) {
        return;
    }
    HelpWhere where = HelpPlaceOfKey();
    if (where.place == HelpPlace::Off) {
        return;
    }
    if (where.follows) {
        PresentFollow(where, DecideFollow(key, line, cursor, HelpTableRoot()));
    } else if (bracket) {
        PresentHelp(where, DecideBracketHelp(key, line, cursor, HelpTableRoot(), LineCaptured()));
    }
}

void ShutDownLiveHelp() {
    EndHelpLine();
    for (const HelpPlaceRow& row : HelpPlaceRows()) {
        if (row.presenter) {
            row.presenter->shutDown();
        }
    }
}
