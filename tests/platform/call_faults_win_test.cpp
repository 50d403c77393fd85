// Every call that the Windows helpers make to the system, made to fail once, in what the plug-in
// (or the checker's program) does with the failure: the documented message or silence, the
// help table as it was after a failed load or add, and nothing left behind: no handle of the
// helpers' or of the process, no view, no heap block, no temporary copy.
#include "base/product.h"
#include "helptable/help_sources.h"
#include "host/hostshell/host_control.h"
#include "livehelp/help_line.h"
#include "platform/files.h"
#include "platform/test_hooks.h"
#include "plugin/exports.h"
#include "tests/livehelp/test_windows.h"
#include "tests/textinput/source_fixture.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// What a row does once its call is set to fail.
enum class Scenario {
    Load,        // hbar /L of a file, over a table of three functions
    Add,         // hbar /A of the same file
    LoadCopied,  // hbar /L of a file without times, read through a temporary copy as a pipe is
    Startup,     // InitializePlugin, with the Hintbar variable naming the file
    Bracket,     // "[" after %@a: A's help on the host's status bar
    TitleRead,   // the console window's title, read and set again
    SetVariable, // an environment variable set (the programs' own, and the tests')
    Arguments,   // the program's arguments (the checker's)
    WriteOut,    // a line to standard output, a pipe under the test runner
    ReadIn,      // standard input
    HelpBox,     // the Help export's message box, and the window that would own it
    ErrorText,   // the system's text for an error number
    ConsoleMode, // whether standard output is a console (a pipe here, never one)
};

// A row of this kind fails a heap block of the helpers instead of a call.
constexpr PlatformCallKind kAllocation = kPlatformCallKindCount;

// What the row's scenario leaves of the help table.
enum class Table { Kept, Loaded, Added, Empty, NotLooked };

struct Row {
    const char* what;
    PlatformCallKind kind;
    uint32_t error;
    int skip; // successful calls of the kind before the one that fails
    Scenario scenario;
    int result;      // the command's result, or the scenario's own
    const char* out; // standard output; %f: the file's full name
    const char* err; // standard error; %f as above, %e the text of the row's error
    Table table;
};

const char kPrefix[] = "Hintbar plugin: ";
const char kBanner[] =
    "Hintbar v0.93.0 loaded.\r\n\xe2\x80\xa2  2 functions loaded into memory.\r\n";
const char kLoaded[] = "Loaded 2 functions from \"%f\".\r\n";
const char kAdded[] = "Added 2 functions from \"%f\".\r\n";
// %d: the test program's folder, where start-up looks beside the module.
const char kNotFound[] = "%pHintbar.txt not found!\r\n  Looked for \"Hintbar.txt\".\r\n"
                         "  Looked for \"%d\\Hintbar.txt\".\r\n  The Hintbar variable, which may "
                         "name the file or its folder, is not set.\r\nFunction help is not (yet) "
                         "available.  Use HBAR /L to load it.\r\n";
const char kNotFoundWithVariable[] =
    "%pHintbar.txt not found!\r\n  Looked for \"Hintbar.txt\".\r\n  Looked for "
    "\"%d\\Hintbar.txt\".\r\n  Looked for \"%f\".\r\nFunction help is not (yet) available.  Use "
    "HBAR /L to load it.\r\n";
const char kHelpFile[] = "@NEW[x] - new one\r\n@A[changed] - changed\r\n";

// The rows. The Linux stand-ins honour the kinds up to kPlatformCallDelete too; the rest fail
// in the Windows helpers alone.
const Row kRows[] = {
    // Opening, querying and mapping a help file.
    {"open", kPlatformCallOpen, 5, 0, Scenario::Load, 0, "",
     "%pError opening \"%f\" :\r\n   %e\r\n", Table::Kept},
    {"open, in an add", kPlatformCallOpen, 32, 0, Scenario::Add, 0, "",
     "%pError opening \"%f\" :\r\n   %e\r\n", Table::Kept},
    {"attributes: the file is not there", kPlatformCallAttributes, 5, 0, Scenario::Load, 2, "",
     "%pFile not found: \"%f\"\r\n", Table::Kept},
    // No times: the file is read through a copy, as a pipe is.
    {"times", kPlatformCallFileInfo, 5, 0, Scenario::Load, 0, kLoaded, "", Table::Loaded},
    {"size", kPlatformCallFileSize, 5, 0, Scenario::Load, 0, kLoaded, "", Table::Loaded},
    {"mapping", kPlatformCallMapping, 8, 0, Scenario::Load, 0, "", "%pError mapping file: %e\r\n",
     Table::Kept},
    {"view", kPlatformCallView, 1117, 0, Scenario::Add, 0, "",
     "%pError mapping view of file: %e\r\n", Table::Kept},
    {"error text: the number instead", kPlatformCallErrorText, 0, 0, Scenario::ErrorText, 1, "", "",
     Table::NotLooked},
    // The temporary copy that a pipe is read through.
    {"pipe read: the end of the data", kPlatformCallRead, 109, 0, Scenario::LoadCopied, 0, "",
     "%pNo functions found in file \"%f\".\n", Table::Kept},
    {"temporary directory: the copy goes to the current one", kPlatformCallTempPath, 5, 0,
     Scenario::LoadCopied, 0, kLoaded, "", Table::Loaded},
    {"temporary file", kPlatformCallCreate, 5, 0, Scenario::LoadCopied, 0, "",
     "%pCan\xe2\x80\x99t create temp file for pipe copy\n", Table::Kept},
    {"temporary file's write", kPlatformCallWrite, 112, 0, Scenario::LoadCopied, 0, "",
     "%pError writing temp file \"%t\" :\r\n   %e\r\n", Table::Kept},
    {"flush", kPlatformCallFlush, 5, 0, Scenario::LoadCopied, 0, kLoaded, "", Table::Loaded},
    {"copy's removal", kPlatformCallDelete, 5, 0, Scenario::LoadCopied, 0, kLoaded, "",
     Table::Loaded},
    {"rewind", kPlatformCallSeek, 5, 0, Scenario::LoadCopied, 0, kLoaded, "", Table::Loaded},
    {"copy's mapping", kPlatformCallMapping, 8, 0, Scenario::LoadCopied, 0, "",
     "%pError mapping file: %e\r\n", Table::Kept},
    // Start-up.
    {"NoLoadMsg unread: the lines show", kPlatformCallEnvironment, 5, 0, Scenario::Startup, 0,
     kBanner, "", Table::Loaded},
    {"Hintbar unread: no file", kPlatformCallEnvironment, 5, 1, Scenario::Startup, 0, "", kNotFound,
     Table::Empty},
    {"module's name: its directory passed over", kPlatformCallModuleName, 5, 0, Scenario::Startup,
     0, "", "", Table::Loaded},
    // The fourth: the variable's file, as the search tries it once the name is resolved.
    {"attributes at start-up: the file passed over", kPlatformCallAttributes, 5, 3,
     Scenario::Startup, 0, "", kNotFoundWithVariable, Table::Empty},
    {"character type: no letter, no name", kPlatformCallCharType, 5, 0, Scenario::Bracket, 1, "",
     "", Table::NotLooked},
    // Live help. The host sets the status bar; the plug-in reads it to put it back later.
    {"console window: taken for absent", kPlatformCallConsoleWindow, 5, 0, Scenario::Bracket, 11,
     "", "", Table::NotLooked},
    {"console window: read once a key, so a second read's failure changes nothing",
     kPlatformCallConsoleWindow, 5, 1, Scenario::Bracket, 11, "", "", Table::NotLooked},
    {"window enumeration: no bar to read", kPlatformCallWindowEnum, 5, 0, Scenario::Bracket, 12, "",
     "", Table::NotLooked},
    {"window class: no bar to read", kPlatformCallWindowClass, 5, 0, Scenario::Bracket, 12, "", "",
     Table::NotLooked},
    {"window text: nothing to put back", kPlatformCallWindowText, 5, 0, Scenario::Bracket, 12, "",
     "", Table::NotLooked},
    {"console title read", kPlatformCallConsoleTitle, 5, 0, Scenario::TitleRead, 0, "", "",
     Table::NotLooked},
    {"console title set", kPlatformCallConsoleTitle, 5, 1, Scenario::TitleRead, 0, "", "",
     Table::NotLooked},
    {"setting a variable", kPlatformCallEnvironment, 5, 0, Scenario::SetVariable, 0, "", "",
     Table::NotLooked},
    {"help box", kPlatformCallMessageBox, 5, 0, Scenario::HelpBox, 1, "", "", Table::NotLooked},
    {"owner of the help box", kPlatformCallForeground, 5, 0, Scenario::HelpBox, 0, "", "",
     Table::NotLooked},
    // The checker's program.
    {"command line", kPlatformCallArguments, 8, 0, Scenario::Arguments, 0, "", "",
     Table::NotLooked},
    {"arguments' block", kAllocation, 8, 0, Scenario::Arguments, 0, "", "", Table::NotLooked},
    {"output's block", kAllocation, 8, 0, Scenario::WriteOut, 0, "", "", Table::NotLooked},
    {"standard handle", kPlatformCallStdHandle, 6, 0, Scenario::WriteOut, 0, "", "",
     Table::NotLooked},
    {"output's conversion", kPlatformCallStdWrite, 87, 0, Scenario::WriteOut, 0, "", "",
     Table::NotLooked},
    {"output's write", kPlatformCallStdWrite, 232, 1, Scenario::WriteOut, 0, "", "",
     Table::NotLooked},
    {"console mode: not a console", kPlatformCallConsoleMode, 6, 0, Scenario::ConsoleMode, 0, "",
     "", Table::NotLooked},
    {"input's read", kPlatformCallStdRead, 5, 0, Scenario::ReadIn, 0, "", "", Table::NotLooked},
    {"input's read, the writer gone: the end", kPlatformCallStdRead, 109, 0, Scenario::ReadIn, 1,
     "", "", Table::NotLooked},
};

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size()) {
        text.replace(at, what.size(), with);
    }
    return text;
}

// The folder of the test program, as start-up finds it from the module's name.
std::string ProgramFolder() {
    char16_t full[kPathUnits];
    std::u16string program(full, PlatformGetModuleFileName(nullptr, full));
    return U8(program.substr(0, program.find_last_of(u'\\')));
}

// What the helpers and the system hold, and whether the pipe's copy is there.
struct Held {
    long handles;
    long views;
    long blocks;
    long system;
    bool copy;
    bool operator==(const Held&) const = default;
};
void PrintTo(const Held& h, std::ostream* out) {
    *out << h.handles << " handles, " << h.views << " views, " << h.blocks << " blocks, "
         << h.system << " of the system's" << (h.copy ? ", the copy" : "");
}

class CallFaults : public SourceTest {
  protected:
    void SetUp() override {
        // What the system sets up the first time a process makes a window or types a
        // character, it keeps: before the counts are taken.
        DestroyTestWindow(CreateTestWindow(nullptr, u"HintbarFaultsMain", u""));
        (void)PlatformCharType(u'\u0391');
        SourceTest::SetUp();
        home_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        main_ = CreateTestWindow(nullptr, u"HintbarFaultsMain", u"Host");
        bar_ = CreateTestWindow(main_, u"XTPStatusBar", u"Ready");
        HostSetMainWindow(main_);
        savedModule_ = RecordedModuleHandle();
        PlatformSetEnvironmentVariable(u"NoLoadMsg", u"1");
    }
    void TearDown() override {
        PlatformSetEnvironmentVariable(u"NoLoadMsg", nullptr);
        PlatformSetEnvironmentVariable(u"Hintbar", nullptr);
        RecordModuleHandle(savedModule_);
        HostSetMainWindow(nullptr);
        DestroyTestWindow(main_);
        std::filesystem::current_path(home_);
        SourceTest::TearDown();
    }

    Held Now() {
        return {PlatformOpenHandles(), PlatformMappedViews(), PlatformLiveAllocations(),
                PlatformProcessHandles(), TempCopyExists()};
    }

    // A function named in Greek capitals, ΑΒ: its letters are typed by the system's tables.
    static std::u16string Greek() { return u"\u0391\u0392"; }

    static void Press(char16_t code, std::u16string line) {
        KeyEvent event = {};
        event.key = code;
        if (code) { // a line boundary comes without a line
            event.line = line.data();
            event.cursor = line.data() + line.size();
        }
        key(&event);
    }

    static int Hbar(const std::u16string& arguments) {
        std::u16string line = arguments;
        return hbar(line.data());
    }

    static void Arm(const Row& row) {
        if (row.kind == kAllocation) {
            PlatformFailAllocationAt(row.skip + 1);
        } else {
            PlatformFailNextCall(row.kind, row.error, row.skip);
        }
    }

    // Runs the row's scenario with its call set to fail; returns the scenario's result.
    int Run(const Row& row, std::string* file) {
        *file = U8(Canonical(MakeFile("new.txt", kHelpFile)));
        switch (row.scenario) {
        case Scenario::Load:
        case Scenario::Add: {
            Arm(row);
            return Hbar(row.scenario == Scenario::Load ? u"/L:new.txt" : u"/A:new.txt");
        }
        case Scenario::LoadCopied:
            PlatformFailNextCall(kPlatformCallFileInfo, 5);
            Arm(row);
            return Hbar(u"/L:new.txt");
        case Scenario::Startup: {
            // Silenced (NoLoadMsg is set), and only the variable names a help file: none lies
            // in the current directory, where the host's unnamed executable would be, nor
            // beside the test program, the module recorded.
            Hbar(u"/Z /Q");
            PlatformSetEnvironmentVariable(u"Hintbar", Canonical(u"new.txt").c_str());
            RecordModuleHandle(nullptr);
            HostSetCommandSpec(u"");
            Arm(row);
            return InitializePlugin();
        }
        case Scenario::Bracket: {
            // 10 when "[" shows the help; then what "]" outside the function leaves on the
            // bar: 1 the text from before, 2 an empty bar, 3 anything else.
            SetTestWindowText(bar_, u"Ready");
            Arm(row);
            Press(u'[', u"echo %@" + Greek());
            int shown = TestWindowText(bar_) != u"Ready" ? 10 : 0;
            Press(u']', u"echo %@" + Greek() + u"[x]");
            std::u16string after = TestWindowText(bar_);
            Press(0, u"");
            return shown + (after == u"Ready" ? 1 : after.empty() ? 2 : 3);
        }
        case Scenario::TitleRead: {
            char16_t title[kConsoleTitleUnitsForTest];
            Arm(row);
            uint32_t length = PlatformGetConsoleTitle(title);
            bool set = PlatformSetConsoleTitle(length ? title : u"Hintbar faults");
            return row.skip == 0 ? static_cast<int>(length) : set;
        }
        case Scenario::SetVariable: {
            Arm(row);
            int set = PlatformSetEnvironmentVariable(u"HB_FAULT", u"set");
            char16_t value[8];
            return set * 10 + static_cast<int>(PlatformGetEnvironmentVariable(u"HB_FAULT", value));
        }
        case Scenario::Arguments: {
            int count = -1;
            Arm(row);
            char16_t** arguments = PlatformGetArguments(0, nullptr, &count);
            free(arguments);
            return arguments ? count : 0;
        }
        case Scenario::WriteOut:
            Arm(row);
            return PlatformWriteStandard(kStdOutput, u"a line from the fault table\n");
        case Scenario::ConsoleMode: {
            uint32_t mode = 99;
            Arm(row);
            return PlatformGetConsoleMode(PlatformStdHandle(kStdOutput), &mode) + (mode != 0);
        }
        case Scenario::ReadIn: {
            char buffer[16];
            uint32_t done = 99;
            Arm(row);
            int ok = PlatformReadStandardInput(ByteBuffer(buffer, sizeof buffer), &done);
            return done == 0 ? ok : -1;
        }
        case Scenario::HelpBox:
            Arm(row);
            if (row.kind == kPlatformCallForeground) {
                return PlatformForegroundWindow() != nullptr;
            }
            return Help(u"hbar");
        case Scenario::ErrorText:
            Arm(row);
            return Describe(5) == "Error 5";
        }
        return -1;
    }

    static constexpr uint32_t kConsoleTitleUnitsForTest = 1024;
    std::filesystem::path home_;
    void* main_ = nullptr;
    void* bar_ = nullptr;
    void* savedModule_ = nullptr;
};

TEST_F(CallFaults, EachFailureIsReportedAndLeavesNothingBehind) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        Held before = Now();
        std::string pre = "@A[x] - A\r\n@B[y]\r\n@C[z]\r\n@" + U8(Greek()) + "[g] - Greek\r\n";
        ASSERT_EQ(Hbar(u"/Q /L:" + MakeFile("pre.txt", pre)), 0);
        const HelpNode* root = HelpTableRoot();
        HostClearCaptured();
        std::string file;
        int result = Run(row, &file);
        PlatformClearCallFailures();
        PlatformFailAllocationAt(0);
        EXPECT_EQ(result, row.result);
        auto expand = [&](const char* text) {
            std::string s = Replaced(text, "%p", kPrefix);
            s = Replaced(s, "%f", file);
            s = Replaced(s, "%t", TempCopyPath());
            s = Replaced(s, "%d", ProgramFolder());
            return Replaced(s, "%e", Describe(static_cast<int32_t>(row.error)));
        };
        EXPECT_EQ(CapturedOut(), expand(row.out));
        EXPECT_EQ(CapturedErr(), expand(row.err));
        switch (row.table) {
        case Table::Kept:
            EXPECT_EQ(HelpTableRoot(), root);
            EXPECT_EQ(HelpTableCount(), 4u);
            break;
        case Table::Loaded:
            EXPECT_EQ(HelpTableCount(), 2u);
            break;
        case Table::Added:
            EXPECT_EQ(HelpTableCount(), 5u);
            break;
        case Table::Empty:
            EXPECT_EQ(HelpTableRoot(), nullptr);
            break;
        case Table::NotLooked:
            break;
        }
        ResetPluginState();
        if (row.kind == kPlatformCallDelete) {
            // The system kept the copy; the next copy of the process replaces it.
            EXPECT_TRUE(TempCopyExists());
            std::filesystem::remove(TempCopyPath());
        }
        EXPECT_EQ(Now(), before);
    }
}

} // namespace
