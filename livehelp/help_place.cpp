// Where live help shows.
#include "livehelp/help_place.h"

#include "base/host.h"
#include "base/limits.h"
#include "base/text16.h"

ConsoleSetting ReadConsoleSetting(std::span<char16_t> value) {
    value[0] = 0;
    uint32_t length = PlatformGetEnvironmentVariable(u"HintbarConsole", value);
    if (length == 0) {
        return {nullptr, false};
    }
    // A value that does not fit the buffer is none of the names.
    if (length >= value.size()) {
        value[0] = 0;
        return {nullptr, true};
    }
    for (const HelpPlaceRow& row : HelpPlaceRows()) {
        if (row.setting && Str16CompareNoCase(value.data(), row.setting) == 0) {
            return {&row, false};
        }
    }
    return {nullptr, true};
}

FollowSetting ReadFollowSetting(std::span<char16_t> value) {
    value[0] = 0;
    uint32_t length = PlatformGetEnvironmentVariable(u"HintbarFollow", value);
    if (length == 0) {
        return FollowSetting::Unset;
    }
    if (length >= value.size()) {
        value[0] = 0;
        return FollowSetting::Unknown;
    }
    if (Str16CompareNoCase(value.data(), u"on") == 0) {
        return FollowSetting::On;
    }
    return Str16CompareNoCase(value.data(), u"off") == 0 ? FollowSetting::Off
                                                         : FollowSetting::Unknown;
}

bool FollowMayMatter() {
    char16_t value[8];
    FollowSetting follow = ReadFollowSetting(value);
    if (follow == FollowSetting::On) {
        return true;
    }
    return follow != FollowSetting::Off && ReadConsoleSetting(value).asked;
}

namespace {

HelpPlaceFacts ReadFacts(bool withClass) {
    HelpPlaceFacts facts = {};
    char16_t value[8]; // room for every setting's word
    facts.setting = ReadConsoleSetting(value);
    facts.follow = ReadFollowSetting(value);
    // The class tells a terminal from a console window; without a console place asked for,
    // keys need not know, and asking for it costs a call to another process.
    char16_t className[kMessageUnits];
    className[0] = 0;
    withClass = withClass || facts.setting.asked;
    facts.console = PlatformConsoleWindowState(withClass ? std::span<char16_t>(className)
                                                         : std::span<char16_t>());
    facts.standIn = facts.console != PlatformConsoleWindow::Absent &&
                    Str16Equal(className, kStandInConsoleClass);
    facts.host = HostWindowAnswer::NotAsked;
    return facts;
}

} // namespace

HelpPlaceFacts ReadHelpPlaceFacts() {
    return ReadFacts(false);
}

HelpWhere ReportedHelpPlace() {
    HelpPlaceFacts facts = ReadFacts(true);
    if (facts.console == PlatformConsoleWindow::Hidden && !facts.standIn) {
        char16_t text[kMessageUnits];
        facts.host = AskHostWindow(text) ? HostWindowAnswer::Named : HostWindowAnswer::None;
    }
    return DecideHelpPlace(facts);
}

bool HelpPlaceNeedsHost(const HelpPlaceFacts& facts) {
    return facts.setting.asked && facts.console == PlatformConsoleWindow::Hidden && !facts.standIn;
}

HelpWhere DecideHelpPlace(const HelpPlaceFacts& facts) {
    HelpSituation situation = HelpSituation::HostWindow;
    if (facts.standIn) {
        situation = HelpSituation::Terminal;
    } else if (facts.console == PlatformConsoleWindow::Visible) {
        situation = HelpSituation::ConsoleWindow;
    } else if (facts.console == PlatformConsoleWindow::Hidden &&
               facts.host == HostWindowAnswer::None) {
        situation = HelpSituation::Terminal;
    }
    HelpPlace place = facts.setting.asked ? facts.setting.asked->place : HelpPlace::StatusBar;
    if (!facts.setting.asked) {
        // A visible console window is where the user types, and it has no status bar.
        bool off = facts.console == PlatformConsoleWindow::Visible;
        place = off ? HelpPlace::Off : HelpPlace::StatusBar;
    } else if (situation == HelpSituation::HostWindow) {
        place = HelpPlace::StatusBar;
    }
    bool follows = facts.follow == FollowSetting::On ||
                   (facts.follow != FollowSetting::Off && HelpPlaceRowOf(place).followsByDefault);
    return {situation, place, follows};
}
