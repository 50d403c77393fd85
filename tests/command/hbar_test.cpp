#include "base/limits.h"
#include "base/product.h"
#include "command/arguments.h"
#include "command/hbar.h"
#include "helptable/help_loader.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "host/hostshell/host_control.h"
#include "interface/host_services.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "plugin/exports.h"
#include "tests/support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char kPrefix[] = "Hintbar plugin: ";
const char kRule[] = "\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015"
                     "\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015"
                     "\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\u2015\r\n";

class Hbar : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        ClearTable();
        liveAtStart_ = PlatformLiveAllocations();
        dir_ = MakeScratchDir();
        home_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_); // file names in the tests are relative
    }
    void TearDown() override {
        ClearTable();
        std::filesystem::current_path(home_);
        RemoveTree(dir_);
        EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
        HostTest::TearDown();
    }
    static void ClearTable() { UnloadHelp(); }

    // Writes a help file into the scratch directory, the current one, and returns its name.
    std::string Help(const std::string& name, const std::string& text) {
        EXPECT_TRUE(WriteFile(dir_ + static_cast<char>(kPathSeparator) + name, text));
        return name;
    }
    // A file of n functions, F1 to Fn.
    std::string Functions(const std::string& name, int n) {
        std::string text;
        for (int k = 1; k <= n; ++k) {
            text += "@F" + std::to_string(k) + "[x] - function " + std::to_string(k) + "\r\n";
        }
        return Help(name, text);
    }
    // Loads a table as the start-up load would, without the command.
    void Preload(int n) {
        std::u16string name = U16(FullName(Functions("pre.txt", n)));
        ASSERT_EQ(LoadHelpTable(name.c_str(), name.c_str()).outcome, HelpLoad::Loaded);
        HostClearCaptured();
    }
    int Run(const std::string& line) {
        std::u16string text = U16(line);
        return hbar(text.data());
    }
    static std::string FullName(const std::string& name) {
        std::vector<char16_t> full(kPathUnits);
        QueryTrueName(U16(name).c_str(), full.data());
        return U8(full.data());
    }
    static std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

    std::string dir_;
    std::filesystem::path home_;
};

TEST_F(Hbar, NullLineFailsSilently) {
    EXPECT_EQ(hbar(nullptr), 1);
    EXPECT_EQ(CapturedOut(), "");
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(Hbar, WithoutArgumentsReportsTheCount) {
    EXPECT_EQ(Run(""), 0);
    EXPECT_EQ(CapturedOut(), "0 functions in memory.\r\n");
    HostClearCaptured();
    Preload(1234);
    EXPECT_EQ(Run("  "), 0);
    EXPECT_EQ(CapturedOut(), "1,234 functions in memory.\r\n");
    HostClearCaptured();
    EXPECT_EQ(Run("/q"), 0); // quiet does not silence the count
    EXPECT_EQ(CapturedOut(), "1,234 functions in memory.\r\n");
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(Hbar, UnloadsAndSaysHowMany) {
    EXPECT_EQ(Run("/Z"), 0);
    EXPECT_EQ(CapturedOut(), "Nothing to unload.\r\n");
    HostClearCaptured();
    EXPECT_EQ(Run("/Z /Q"), 0);
    EXPECT_EQ(Run("/z/q"), 0);
    EXPECT_EQ(CapturedOut(), "");

    Preload(3);
    EXPECT_EQ(Run("/Z"), 0);
    EXPECT_EQ(CapturedOut(), "\u2022  3 functions deleted.\r\n");
    EXPECT_EQ(HelpTableRoot(), nullptr);
    EXPECT_EQ(HelpTableCount(), 0u);

    Preload(1);
    EXPECT_EQ(Run("/Z/Q"), 0);
    EXPECT_EQ(CapturedOut(), "");
    EXPECT_EQ(HelpTableRoot(), nullptr);
}

TEST_F(Hbar, UnloadThenReportShowsZeroes) {
    Preload(2);
    EXPECT_EQ(Run("/Z /I"), 0);
    EXPECT_EQ(CapturedOut(), std::string("\u2022  2 functions deleted.\r\n"
                                         "\r\nFound 0 functions:\r\n\r\n"
                                         "Node structures:          0 bytes\r\n"
                                         "Function names:           0 bytes\r\n"
                                         "Function syntax:          0 bytes\r\n"
                                         "Additional info:          0 bytes\r\n") +
                                 kRule + "TOTAL:                    0 bytes\r\n");
}

TEST_F(Hbar, ReportsTheFileJustLoaded) {
    std::string path = Help("one.txt", "not an entry\r\n@left[n,string]\r\n");
    EXPECT_EQ(Run("/L " + Quoted(path) + " /i"), 0);
    EXPECT_EQ(CapturedOut(), "Loaded 1 function from \"" + FullName(path) + "\".\r\n" +
                                 "\r\nFound 1 function:\r\n\r\n"
                                 "Node structures:         20 bytes\r\n"
                                 "Function names:           8 bytes\r\n"
                                 "Function syntax:         16 bytes\r\n"
                                 "Additional info:          0 bytes\r\n" +
                                 kRule + "TOTAL:                   44 bytes\r\n");
    EXPECT_EQ(HelpTableCount(), 1u);
}

// The figures are parsed back from the report, thousands separators and all.
TEST_F(Hbar, ReportFiguresAreTheTreeMeasured) {
    std::string path = Functions("many.txt", 1500);
    EXPECT_EQ(Run("/Q /I /L" + Quoted(dir_ + static_cast<char>(kPathSeparator) + path)), 0);
    HelpTableTotals totals = {};
    MeasureHelpTree(HelpTableRoot(), &totals);
    ASSERT_EQ(totals.nodes, 1500u);

    std::vector<uint64_t> figures;
    std::string out = CapturedOut();
    for (size_t at = 0; at < out.size();) {
        if (!isdigit(static_cast<unsigned char>(out[at]))) {
            ++at;
            continue;
        }
        uint64_t value = 0;
        for (; at < out.size() && (isdigit(static_cast<unsigned char>(out[at])) || out[at] == ',');
             ++at) {
            if (out[at] != ',') {
                value = value * 10 + static_cast<uint64_t>(out[at] - '0');
            }
        }
        figures.push_back(value);
    }
    uint64_t total =
        uint64_t{totals.nodeBytes} + totals.nameBytes + totals.syntaxBytes + totals.infoBytes;
    EXPECT_EQ(figures, (std::vector<uint64_t>{totals.nodes, totals.nodeBytes, totals.nameBytes,
                                              totals.syntaxBytes, totals.infoBytes, total}))
        << out;
    EXPECT_NE(out.find("Found 1,500 functions:"), std::string::npos);
}

TEST_F(Hbar, HelpEndsTheRunAtOnce) {
    Preload(2);
    EXPECT_EQ(Run("/Z /?"), 0);
    EXPECT_EQ(CapturedOut(), U8(kCommandHelp));
    EXPECT_EQ(HelpTableCount(), 2u);
    HostClearCaptured();
    EXPECT_EQ(Run("/??"), 0);
    // The machine the build system built for, as it names it.
    EXPECT_EQ(CapturedOut(),
              U8(kCommandHelp) + "\r\n\t\t\t\tHintbar  0.93.0.3 (" HB_TEST_MACHINE ")\r\n");
    HostClearCaptured();
    EXPECT_EQ(Run("/X /?"), 1); // an earlier error wins
    EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "Unknown option: \"/X\"\r\n");
    EXPECT_EQ(CapturedOut(), "");
}

TEST_F(Hbar, UsageErrorsChangeNothing) {
    Preload(2);
    const struct {
        const char* line;
        int result;
        const char* message;
    } cases[] = {
        {"/l", 1, "Missing filename: \"/L\"\r\n"},
        {"/Z /l /Q", 1, "Missing filename: \"/L\"\r\n"},
        {"/l:", 1, "Missing filename: \"/L:\"\r\n"},
        {"/Z /l=", 1, "Missing filename: \"/L=\"\r\n"},
        {"/Ix", 1, "Unknown option: \"/IX\"\r\n"},
        {"/Z /QQ", 1, "Unknown option: \"/QQ\"\r\n"},
        {"/z /?x", 1, "Unknown option: \"/?X\"\r\n"},
        {"/Z xyz", 1, "Syntax error: \"XYZ\"\r\n"},
        {"\"  \"", 1, "Syntax error: \"\"\r\n"},
        {"/L a|b", 1, "Bad filename: \"A|B\"\r\n"},
        {"/z /l:a|b", 1, "Bad filename: \"/L:A|B\"\r\n"},
        {"/a", 1, "Missing filename: \"/A\"\r\n"},
        {"/A=", 1, "Missing filename: \"/A=\"\r\n"},
        {"/Z /a a|b", 1, "Bad filename: \"A|B\"\r\n"},
        {"/f /Z", 1, "Missing pattern: \"/F\"\r\n"},
        {"/Z /f:", 1, "Missing pattern: \"/F:\"\r\n"},
        // A path read as options: the message says how to write it.
        {"/A /abs/path", 1,
         "Missing filename: \"/A\"\r\nA name that begins with \"/\" must be quoted after a "
         "colon, as in /A:\"/path/name\".\r\n"},
        {"/l /Home", 1,
         "Missing filename: \"/L\"\r\nA name that begins with \"/\" must be quoted after a "
         "colon, as in /L:\"/path/name\".\r\n"},
        {"/L /f:x", 1, "Missing filename: \"/L\"\r\n"},
        {"/Ss", 1, "Unknown option: \"/SS\"\r\n"},
    };
    for (const auto& c : cases) {
        HostClearCaptured();
        EXPECT_EQ(Run(c.line), c.result) << c.line;
        EXPECT_EQ(CapturedErr(), kPrefix + std::string(c.message)) << c.line;
        EXPECT_EQ(CapturedOut(), "") << c.line;
        EXPECT_EQ(HelpTableCount(), 2u) << c.line;
    }
}

TEST_F(Hbar, FileNameFormsOfL) {
    std::string path = Functions("f.txt", 1);
    for (std::string form : {"/l", "/L:", "/L=", "/l "}) {
        ClearTable();
        HostClearCaptured();
        EXPECT_EQ(Run(form + Quoted(path)), 0) << form;
        EXPECT_EQ(CapturedErr(), "") << form;
        EXPECT_EQ(HelpTableCount(), 1u) << form;
    }
    // Only one ":" or "=" is taken off: the name is ":x".
    HostClearCaptured();
    EXPECT_EQ(Run("/L::x"), 2);
    EXPECT_EQ(CapturedErr(), kPrefix + ("File not found: \"" + FullName(":x") + "\"\r\n"));
}

TEST_F(Hbar, MissingFilesAreNotFound) {
    Preload(2);
    std::string missing = "missing.txt";
    for (std::string option : {"/Z /L ", "/Z /A:"}) {
        HostClearCaptured();
        EXPECT_EQ(Run(option + Quoted(missing)), 2) << option;
        EXPECT_EQ(CapturedErr(), kPrefix + ("File not found: \"" + FullName(missing) + "\"\r\n"));
        EXPECT_EQ(CapturedOut(), "");
        EXPECT_EQ(HelpTableCount(), 2u);
    }
}

TEST_F(Hbar, DirectoryIsCompletedWithTheDataFileName) {
    std::filesystem::create_directory("sub");
    std::string expected = FullName("sub") + static_cast<char>(kPathSeparator) + "Hintbar.txt";
    EXPECT_EQ(Run("/L sub"), 2);
    EXPECT_EQ(CapturedErr(), kPrefix + ("File not found: \"" + expected + "\"\r\n"));

    Functions("sub/Hintbar.txt", 4);
    HostClearCaptured();
    EXPECT_EQ(Run("/L sub"), 0);
    EXPECT_EQ(CapturedOut(), "Loaded 4 functions from \"" + expected + "\".\r\n");
    EXPECT_EQ(HelpTableCount(), 4u);

    // The same in the joined form, named in full.
    Functions("Hintbar.txt", 2);
    HostClearCaptured();
    EXPECT_EQ(Run("/L:" + Quoted(dir_)), 0);
    EXPECT_EQ(HelpTableCount(), 2u);
}

TEST_F(Hbar, OnlyTheLastOfTwoFilesIsLoaded) {
    std::string first = Functions("first.txt", 1);
    std::string second = Functions("second.txt", 2);
    std::string missing = "missing.txt";
    EXPECT_EQ(Run("/L" + Quoted(first) + " /L" + Quoted(missing)), 2);
    EXPECT_EQ(Run("/L" + Quoted(missing) + " /L" + Quoted(first)), 2);
    EXPECT_EQ(HelpTableRoot(), nullptr);
    HostClearCaptured();
    EXPECT_EQ(Run("/L" + Quoted(first) + " /L" + Quoted(second)), 0);
    EXPECT_EQ(CapturedOut(), "Loaded 2 functions from \"" + FullName(second) + "\".\r\n");
    EXPECT_EQ(HelpTableCount(), 2u);
}

TEST_F(Hbar, UnloadComesBeforeLoadWhateverTheOrder) {
    Preload(3);
    std::string path = Functions("new.txt", 5);
    EXPECT_EQ(Run("/L " + Quoted(path) + " /Z"), 0);
    EXPECT_EQ(CapturedOut(), "\u2022  3 functions deleted.\r\n"
                             "Loaded 5 functions from \"" +
                                 FullName(path) + "\".\r\n");
    EXPECT_EQ(HelpTableCount(), 5u);
    HostClearCaptured();
    EXPECT_EQ(Run("/Q /L " + Quoted(path)), 0); // a reload replaces the table silently
    EXPECT_EQ(CapturedOut(), "");
    EXPECT_EQ(HelpTableCount(), 5u);
}

TEST_F(Hbar, FailedLoadKeepsTheOldTable) {
    Preload(3);
    const HelpNode* old = HelpTableRoot();
    std::string empty = Help("empty.txt", "no entries here\r\n");
    // A file of no bytes at all is one without entries too, and says so.
    for (const std::string& file : {empty, Help("zero.txt", "")}) {
        for (const char* option : {"/L ", "/A "}) {
            HostClearCaptured();
            EXPECT_EQ(Run(option + Quoted(file)), 0) << option << file;
            EXPECT_EQ(CapturedOut(), "") << option << file;
            EXPECT_EQ(CapturedErr(),
                      kPrefix + ("No functions found in file \"" + FullName(file) + "\".\n"))
                << option << file;
            EXPECT_EQ(HelpTableRoot(), old) << option << file;
            EXPECT_EQ(HelpTableCount(), 3u) << option << file;
        }
    }
    // The calls behind /L say what happened, with what their message names.
    HostClearCaptured();
    std::u16string name = U16(FullName(empty));
    std::u16string good = U16(FullName(Help("good.txt", "@G[]\r\n")));
    HelpLoadResult loaded = LoadHelpTable(name.c_str(), name.c_str());
    EXPECT_EQ(loaded.outcome, HelpLoad::NoFunctions);
    EXPECT_EQ(U8(loaded.file), U8(name));
    EXPECT_EQ(LoadHelpTable(nullptr, good.c_str()).outcome, HelpLoad::NotOpened);
    EXPECT_EQ(LoadHelpTable(good.c_str(), nullptr).outcome, HelpLoad::NotOpened);
    PlatformFailAllocationAt(1); // the file's record
    EXPECT_EQ(LoadHelpTable(good.c_str(), good.c_str()).outcome, HelpLoad::NoText);
    PlatformFailAllocationAt(0);
    // A file that went between the check and the load: the system's error and the file's
    // name outlive the text source's record.
    std::u16string gone = good + u".gone";
    loaded = LoadHelpTable(gone.c_str(), gone.c_str());
    EXPECT_EQ(loaded.outcome, HelpLoad::NotOpened);
    EXPECT_EQ(loaded.source.fault, SourceFault::Open);
    EXPECT_EQ(loaded.source.error, 2);
    EXPECT_EQ(U8(loaded.source.name), U8(gone));
    EXPECT_EQ(HelpTableRoot(), old);
    EXPECT_EQ(CapturedOut() + CapturedErr(), "") << "the layers below the command say nothing";

    // With /Z the unload has happened and nothing takes its place.
    HostClearCaptured();
    EXPECT_EQ(Run("/Z /L " + Quoted(empty)), 0);
    EXPECT_EQ(HelpTableRoot(), nullptr);
    EXPECT_EQ(HelpTableCount(), 0u);
}

// Four functions, one with a description that holds a pilcrow and a not sign.
const char kFour[] = "@LEFT[string,n] - Returns the leftmost n characters.\xc2\xb6\xc2\xac"
                     "Example: %@left[abc,2]\r\n"
                     "@LEN[string] : Length of a string.\r\n"
                     "@UPPER[string]\r\n"
                     "@RIGHT[string,n] - Returns the rightmost n characters.\r\n";
const char kLeftHelp[] = "@LEFT[string,n]\r\n\r\nReturns the leftmost n characters.\r\n"
                         "\tExample: %@left[abc,2]\r\n";

TEST_F(Hbar, FindPrintsOneFunctionsHelpOrTheSyntaxOfSeveral) {
    EXPECT_EQ(Run("/Q /L " + Quoted(Help("four.txt", kFour))), 0);
    const struct {
        const char* line;
        int result;
        std::string out;
        std::string err;
    } cases[] = {
        {"/F left", 0, kLeftHelp, ""},
        {"/f:@LEFT[", 0, kLeftHelp, ""},
        {"/F=%@Left[", 0, kLeftHelp, ""},
        {"/Fl*t", 0, kLeftHelp, ""}, // a star must give back what it took
        {"/Q /F *e?t", 0, kLeftHelp, ""},
        {"/F left**", 0, kLeftHelp, ""}, // stars left over match nothing
        {"/F u?per", 0, "@UPPER[string]\r\n", ""},
        {"/F *t", 0, "@LEFT[string,n]\r\n@RIGHT[string,n]\r\n2 functions match \"*t\".\r\n", ""},
        {"/F * /Q", 0,
         "@LEFT[string,n]\r\n@LEN[string]\r\n@RIGHT[string,n]\r\n@UPPER[string]\r\n"
         "4 functions match \"*\".\r\n",
         ""},
        {"/F le", 3, "", "No function matches \"le\".\r\n"},
        {"/F left?", 3, "", "No function matches \"left?\".\r\n"},
        {"/F %@", 3, "", "No function matches \"%@\".\r\n"},
        {"/F %xleft", 3, "", "No function matches \"%xleft\".\r\n"}, // "%" alone stays
    };
    for (const auto& c : cases) {
        HostClearCaptured();
        EXPECT_EQ(Run(c.line), c.result) << c.line;
        EXPECT_EQ(CapturedOut(), c.out) << c.line;
        EXPECT_EQ(CapturedErr(), c.err.empty() ? "" : kPrefix + c.err) << c.line;
    }
}

// Added help is what one file holding both files' lines would load: every name once, the
// added file's entry (description and all) where a name is in both.
TEST_F(Hbar, AddedHelpEqualsOneFileOfBoth) {
    const std::string base = "@A[1] - one\r\n@B[old] - the old b\r\n@C[3]\r\n";
    const std::string more = "@B[new]\r\n@D[4] - four\r\n@AA[5]\r\n";
    std::string both = Help("both.txt", base + more);
    EXPECT_EQ(Run("/Q /L " + Quoted(both)), 0);
    HostClearCaptured();
    EXPECT_EQ(Run("/F * /I"), 0);
    std::string expected = CapturedOut();
    ASSERT_NE(expected.find("5 functions match"), std::string::npos) << expected;

    std::string first = Help("base.txt", base);
    std::string added = Help("more.txt", more);
    for (std::string line : {"/Z /A " + Quoted(first) + " /A " + Quoted(added),
                             "/L " + Quoted(first) + " /A:" + Quoted(added)}) {
        HostClearCaptured();
        EXPECT_EQ(Run(line + " /Q"), 0) << line;
        EXPECT_EQ(CapturedOut(), "") << line;
        HostClearCaptured();
        EXPECT_EQ(Run("/F * /I"), 0) << line;
        EXPECT_EQ(CapturedOut(), expected) << line;
    }

    HostClearCaptured();
    EXPECT_EQ(Run("/A=" + Quoted(first)), 0);
    EXPECT_EQ(CapturedOut(), "Added 3 functions from \"" + FullName(first) + "\".\r\n");
    EXPECT_EQ(HelpTableCount(), 5u);
}

// /S names each file in the order it came, the table's own total, and no file that has gone.
TEST_F(Hbar, StatusListsTheFilesInTheOrderLoaded) {
    std::string base = Functions("base.txt", 3);
    std::string two = Help("two.txt", "@B[two]\r\n@F1[two]\r\n");
    std::string one = Help("one.txt", "@B[one]\r\n");
    EXPECT_EQ(Run("/A " + Quoted(two) + " /Z /A:" + Quoted(one) + " /L " + Quoted(base) + " /Q"),
              0);
    HostClearCaptured();
    EXPECT_EQ(Run("/S /F b"), 0); // the last /A on the line wins
    EXPECT_EQ(CapturedOut().substr(0, CapturedOut().find("Live help")),
              "@B[one]\r\nHelp files, in the order loaded:\r\n"
              "  3 functions from \"" +
                  FullName(base) +
                  "\"\r\n"
                  "  2 functions from \"" +
                  FullName(two) +
                  "\"\r\n"
                  "  1 function from \"" +
                  FullName(one) +
                  "\"\r\n"
                  "4 functions in memory.\r\n");

    // A failed add lists nothing; a load starts the list afresh.
    std::string empty = Help("empty.txt", "no entries\r\n");
    EXPECT_EQ(Run("/Q /A " + Quoted(empty) + " /L " + Quoted(one)), 0);
    HostClearCaptured();
    EXPECT_EQ(Run("/S"), 0);
    EXPECT_EQ(CapturedOut().substr(0, CapturedOut().find("Live help")),
              "Help files, in the order loaded:\r\n"
              "  1 function from \"" +
                  FullName(one) +
                  "\"\r\n"
                  "1 function in memory.\r\n");
}

TEST_F(Hbar, WithNothingLoadedFindAndStatusSayHowToLoad) {
    EXPECT_EQ(Run("/F left"), 3);
    EXPECT_EQ(CapturedErr(), kPrefix + std::string("No help is loaded to look up \"left\" in.  "
                                                   "Use HBAR /L to load it.\r\n"));
    EXPECT_EQ(CapturedOut(), "");
    HostClearCaptured();
    EXPECT_EQ(Run("/S"), 0);
    EXPECT_EQ(CapturedOut().substr(0, CapturedOut().find("Live help")),
              "No help is loaded.  Use HBAR /L to load it, or HBAR /A to add a file.\r\n");
}

// Every allocation an add makes may fail: the table, its count and its list of files stay
// as they were, no success is claimed, and nothing leaks. (What is reported is each failing
// part's own message, tested with that part.)
TEST_F(Hbar, EveryAllocationFailureOfAnAddKeepsTheTable) {
    std::string base = Help("base.txt", "@A[1] - one\r\n@B[old] - old\r\n@C[3]\r\n");
    std::string moreFile = Help("more.txt", "@B[new]\r\n@D[4] - four\r\n");
    std::string more = Quoted(moreFile);
    EXPECT_EQ(Run("/Q /L " + Quoted(base)), 0);
    HostClearCaptured();
    EXPECT_EQ(Run("/S"), 0);
    std::string status = CapturedOut();
    long before = PlatformAllocationCount();
    EXPECT_EQ(Run("/Q /A " + more), 0);
    long total = PlatformAllocationCount() - before;
    ASSERT_EQ(HelpTableCount(), 4u);
    EXPECT_EQ(Run("/Q /L " + Quoted(base)), 0);
    const HelpNode* root = HelpTableRoot();
    long live = PlatformLiveAllocations();

    for (long n = 1; n <= total; ++n) {
        SCOPED_TRACE(std::string("allocation ") + std::to_string(n));
        HostClearCaptured();
        PlatformFailAllocationAt(n);
        EXPECT_EQ(Run("/A " + more), 0);
        PlatformFailAllocationAt(0);
        EXPECT_EQ(CapturedOut(), "");
        EXPECT_EQ(HelpTableRoot(), root);
        EXPECT_EQ(HelpTableCount(), 3u);
        EXPECT_EQ(PlatformLiveAllocations(), live);
        HostClearCaptured();
        EXPECT_EQ(Run("/S"), 0);
        EXPECT_EQ(CapturedOut(), status);
    }

    // The call behind /A says whether the table took the file: not when the file's record,
    // the merged array or the merged tree cannot be had, nor when the file does not load.
    std::u16string added = U16(FullName(moreFile));
    before = PlatformAllocationCount();
    HelpLoadResult took = AddHelpFile(added.c_str());
    total = PlatformAllocationCount() - before;
    EXPECT_EQ(took.outcome, HelpLoad::Loaded);
    EXPECT_EQ(took.functions, 2u);
    const HelpLoad failed[] = {HelpLoad::NoText, HelpLoad::NoArray, HelpLoad::NoTree};
    const long at[] = {1L, total - 1, total};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Run("/Q /L " + Quoted(base)), 0);
        PlatformFailAllocationAt(at[k]);
        EXPECT_EQ(AddHelpFile(added.c_str()).outcome, failed[k]) << at[k];
        PlatformFailAllocationAt(0);
        EXPECT_EQ(HelpTableCount(), 3u) << at[k];
    }
    std::u16string none = U16(FullName(Help("none.txt", "no entries\r\n")));
    EXPECT_EQ(AddHelpFile(none.c_str()).outcome, HelpLoad::NoFunctions);
    EXPECT_EQ(AddHelpFile(nullptr).outcome, HelpLoad::NotOpened);
}

// An argument line that overflows the tokenizer is not taken for an empty one.
TEST_F(Hbar, OverflowingLineFails) {
    Preload(2);
    std::string line = "/Z " + std::string(MAX_ARG_LEN, 'a');
    EXPECT_EQ(Run(line), 1);
    EXPECT_EQ(CapturedErr(),
              std::string(kPrefix) + "Buffer overflow: b = 8191, MAX_ARG_LEN = 8192 \r\n");
    EXPECT_EQ(CapturedOut(), "");
    EXPECT_EQ(HelpTableCount(), 2u);
}

} // namespace
