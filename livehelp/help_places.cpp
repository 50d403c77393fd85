// The table of places.
#include "livehelp/help_places.h"

#include "livehelp/console_title.h"
#include "livehelp/help_window.h"
#include "livehelp/status_bar.h"

namespace {

constexpr HelpPlaceRow kRows[] = {
    {
        .place = HelpPlace::StatusBar,
        .setting = nullptr,
        .presenter = &kStatusBarPresenter,
        .capturesOnOpeningOnly = true,
        .needsHostWindow = true,
        .followsByDefault = false,
        .report = u"Live help shows on the status bar of the host's window.\r\n",
        // Without a console setting help still goes to the status bar, which is not there.
        .reportInTerminal = u"Live help is off: this is a terminal that hosts the console, and "
                            u"the host has no window with a status bar.\r\n",
        .off = false,
        .offInTerminal = true,
        .offer = nullptr,
        .problem = StatusBarProblem,
    },
    {
        .place = HelpPlace::Off,
        .setting = nullptr,
        .presenter = nullptr,
        .capturesOnOpeningOnly = false,
        .needsHostWindow = false,
        .followsByDefault = true,
        .report = u"Live help is off: the console window is visible, and it has no status bar.\r\n",
        .reportInTerminal = u"Live help is off: this is a terminal that hosts the console, and it "
                            u"has no status bar.\r\n",
        .off = true,
        .offInTerminal = true,
        .offer = nullptr,
        .problem = nullptr,
    },
    {
        .place = HelpPlace::HelpWindow,
        .setting = u"window",
        .presenter = &kHelpWindowPresenter,
        .capturesOnOpeningOnly = false,
        .needsHostWindow = false,
        .followsByDefault = true,
        .report = u"Live help shows in a window beside the line, below or above the cursor.\r\n",
        .reportInTerminal = u"Live help shows in a window along the bottom edge of the "
                            u"terminal.\r\n",
        .off = false,
        .offInTerminal = false,
        .offer = u"a window beside the line",
        .problem = HelpWindowProblem,
    },
    {
        .place = HelpPlace::ConsoleTitle,
        .setting = u"title",
        .presenter = &kConsoleTitlePresenter,
        .capturesOnOpeningOnly = false,
        .needsHostWindow = false,
        .followsByDefault = true,
        .report = u"Live help shows in the title of the console window.\r\n",
        .reportInTerminal =
            u"Live help shows in the console's title, which the terminal shows in its tab.\r\n",
        .off = false,
        .offInTerminal = false,
        .offer = u"the console window's title",
        .problem = nullptr,
    },
};

} // namespace

std::span<const HelpPlaceRow> HelpPlaceRows() {
    return kRows;
}

const HelpPlaceRow& HelpPlaceRowOf(HelpPlace place) {
    for (const HelpPlaceRow& row : kRows) {
        if (row.place == place) {
            return row;
        }
    }
    return kRows[1]; // GCOVR_EXCL_LINE: every place has its row
}
