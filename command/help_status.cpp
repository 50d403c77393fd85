// hbar /S: the files the help came from, and where live help shows right now.
#include "command/help_status.h"

#include "base/limits.h"
#include "base/messages.h"
#include "command/counts.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "base/host.h"
#include "livehelp/help_place.h"
#include "livehelp/help_places.h"
#include "base/text16.h"

namespace {

// The setting's words of every place it names, as "\"window\" and \"title\"".
void WordsOfSetting(std::span<char16_t> words) {
    words[0] = 0;
    size_t left = 0;
    for (const HelpPlaceRow& row : HelpPlaceRows()) {
        left += row.setting ? 1 : 0;
    }
    for (const HelpPlaceRow& row : HelpPlaceRows()) {
        if (row.setting) {
            --left;
            Str16Append(words, u"\"");
            Str16Append(words, row.setting);
            Str16Append(words, left == 0 ? u"\"" : left == 1 ? u"\" and " : u"\", ");
        }
    }
}

// Where help shows nowhere: each place the setting can ask for, and the look-up.
void ReportHowToTurnOn() {
    for (const HelpPlaceRow& row : HelpPlaceRows()) {
        if (row.offer) {
            HostPrint(u"To show help in %s:  set HintbarConsole=%s\r\n", row.offer, row.setting);
        }
    }
    HostPrint(u"To look a function up at any time:  hbar /F name\r\n");
}

// A value of HintbarConsole that names no place is read as no setting; the user who typed it
// learns why nothing changed.
void ReportUnknownSetting() {
    char16_t value[kMessageUnits];
    if (!ReadConsoleSetting(value).unknown) {
        return;
    }
    char16_t words[kMessageUnits];
    WordsOfSetting(words);
    if (value[0]) {
        HostPrint(u"HintbarConsole is \"%s\", which is none of the values it takes, %s; it is "
                  u"read as unset.\r\n",
                  value, words);
    } else {
        HostPrint(u"HintbarConsole holds a long value, which is none of the values it takes, %s; "
                  u"it is read as unset.\r\n",
                  words);
    }
}

// Whether help follows the typing where it shows, and how to change that.
void ReportFollow(HelpWhere where) {
    char16_t value[kMessageUnits];
    FollowSetting follow = ReadFollowSetting(value);
    // The status bar's brackets alone, as they always were, need no word.
    if (follow == FollowSetting::Unset && !where.follows) {
        return;
    }
    if (follow == FollowSetting::Unknown) {
        HostPrint(u"HintbarFollow is \"%s\", which is neither \"on\" nor \"off\"; it is read as "
                  u"unset.\r\n",
                  value[0] ? value : u"a long value");
    }
    if (where.place == HelpPlace::Off) {
        return;
    }
    if (where.follows) {
        HostPrint(u"Help follows the typing: the argument being typed is marked, and the "
                  u"functions whose names begin with what is typed are listed.\r\n"
                  u"To follow the brackets only:  set HintbarFollow=off\r\n");
    } else {
        HostPrint(u"Help follows the brackets only.\r\n"
                  u"To follow the typing as well:  set HintbarFollow=on\r\n");
    }
}

// Where help shows, whether it follows the typing there, and what keeps it from showing.
void ReportPlace(HelpWhere where) {
    const HelpPlaceRow& row = HelpPlaceRowOf(where.place);
    bool terminal = where.situation == HelpSituation::Terminal;
    HostPrint(u"%s", terminal ? row.reportInTerminal : row.report);
    ReportFollow(where);
    char16_t why[kMessageUnits];
    if (row.problem && row.problem(where.situation, std::span<char16_t>(why))) {
        HostPrint(u"%s\r\n", why);
    }
    if (terminal ? row.offInTerminal : row.off) {
        ReportHowToTurnOn();
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
    HelpWhere where = ReportedHelpPlace(); // a report tells what is there, so it asks the host
    ReportPlace(where);
    ReportUnknownSetting();
}
