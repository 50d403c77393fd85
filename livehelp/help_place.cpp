// Where live help shows.
#include "livehelp/help_place.h"

#include "base/limits.h"
#include "base/text16.h"
#include "base/host.h"
#include "platform/platform.h"

namespace {

// The host's answer to "HWND" on this command line, once asked, and its text.
HostWindowAnswer g_hostAnswer = HostWindowAnswer::NotAsked;
char16_t g_hostText[kMessageUnits];

ConsoleSetting ReadSetting() {
    char16_t value[8]; // room for either name
    return ReadConsoleSetting(value);
}

HostWindowAnswer AskHost(std::span<char16_t, kMessageUnits> buffer) {
    return AskHostWindow(buffer) ? HostWindowAnswer::Named : HostWindowAnswer::None;
}

bool ConsolePlaceAskedFor(ConsoleSetting setting) {
    return setting == ConsoleSetting::Title || setting == ConsoleSetting::Window;
}

} // namespace

ConsoleSetting ReadConsoleSetting(std::span<char16_t> value) {
    value[0] = 0;
    uint32_t length = PlatformGetEnvironmentVariable(u"HintbarConsole", value);
    if (length == 0) {
        return ConsoleSetting::Unset;
    }
    // A longer value does not fit the buffer and is none of the names.
    if (length >= value.size()) {
        value[0] = 0;
        return ConsoleSetting::Other;
    }
    if (length == 5 && Str16CompareNoCase(value.data(), u"title") == 0) {
        return ConsoleSetting::Title;
    }
    if (length == 6 && Str16CompareNoCase(value.data(), u"window") == 0) {
        return ConsoleSetting::Window;
    }
    return ConsoleSetting::Other;
}

bool HelpPlaceNeedsHost(ConsoleWindowSeen console, bool standIn, ConsoleSetting setting) {
    return ConsolePlaceAskedFor(setting) && console == ConsoleWindowSeen::Hidden && !standIn;
}

HelpWhere DecideHelpPlace(const HelpPlaceFacts& facts) {
    HelpSituation situation = HelpSituation::HostWindow;
    if (facts.standIn) {
        situation = HelpSituation::Terminal;
    } else if (facts.console == ConsoleWindowSeen::Visible) {
        situation = HelpSituation::ConsoleWindow;
    } else if (facts.console == ConsoleWindowSeen::Hidden && facts.host == HostWindowAnswer::None) {
        situation = HelpSituation::Terminal;
    }
    if (!ConsolePlaceAskedFor(facts.setting)) {
        // A visible console window is where the user types, and it has no status bar.
        bool off = facts.console == ConsoleWindowSeen::Visible;
        return {situation, off ? HelpPlace::Off : HelpPlace::StatusBar};
    }
    if (situation == HelpSituation::HostWindow) {
        return {situation, HelpPlace::StatusBar};
    }
    return {situation, facts.setting == ConsoleSetting::Title ? HelpPlace::ConsoleTitle
                                                              : HelpPlace::HelpWindow};
}

HelpWhere CurrentHelpPlace(bool askHost) {
    HelpPlaceFacts facts = {};
    facts.setting = ReadSetting();
    // The class tells a terminal from a console window; without a console place asked for,
    // keys need not know (a report does), and asking for it costs a call to another process.
    bool needClass = askHost || ConsolePlaceAskedFor(facts.setting);
    char16_t className[kMessageUnits];
    className[0] = 0;
    switch (PlatformConsoleWindowState(needClass ? std::span<char16_t>(className)
                                                 : std::span<char16_t>())) {
    case PlatformConsoleWindow::Absent:
        facts.console = ConsoleWindowSeen::Absent;
        break;
    case PlatformConsoleWindow::Hidden:
        facts.console = ConsoleWindowSeen::Hidden;
        break;
    case PlatformConsoleWindow::Visible:
        facts.console = ConsoleWindowSeen::Visible;
        break;
    }
    facts.standIn =
        facts.console != ConsoleWindowSeen::Absent && Str16Equal(className, kStandInConsoleClass);
    facts.host = HostWindowAnswer::NotAsked;
    if (askHost && facts.console == ConsoleWindowSeen::Hidden && !facts.standIn) {
        char16_t buffer[kMessageUnits]; // a report, not a key: its answer is not kept
        facts.host = AskHost(buffer);
    } else if (HelpPlaceNeedsHost(facts.console, facts.standIn, facts.setting)) {
        if (g_hostAnswer == HostWindowAnswer::NotAsked) {
            g_hostAnswer = AskHost(g_hostText);
        }
        facts.host = g_hostAnswer;
    }
    return DecideHelpPlace(facts);
}

bool HostWindowAnswerOfLine(std::span<char16_t> text) {
    if (g_hostAnswer == HostWindowAnswer::NotAsked || text.empty()) {
        return false;
    }
    Str16Copy(text, g_hostText);
    return true;
}

void ForgetHostWindowAnswer() {
    g_hostAnswer = HostWindowAnswer::NotAsked;
}
