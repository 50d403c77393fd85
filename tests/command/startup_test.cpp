#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "helptable/help_file_name.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "host/hostshell/host_control.h"
#include "interface/host_services.h"
#include "livehelp/help_line.h"
#include "livehelp/status_bar.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "plugin/exports.h"
#include "tests/support/test_support.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kBanner = "Hintbar v0.93.0 loaded.\r\n";
// A path as the host's true name gives it back: with the system's own separators.
std::string TrueName(std::string path) {
#if defined(_WIN32)
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
#endif
    return path;
}

// What a search that loads nothing says: each place it looked, and the variable when unset.
std::string NotFound(const std::vector<std::string>& looked, bool variableSet) {
    std::string text = "Hintbar plugin: Hintbar.txt not found!\r\n";
    for (const std::string& path : looked) {
        text += "  Looked for \"" + path + "\".\r\n";
    }
    if (!variableSet) {
        text += "  The Hintbar variable, which may name the file or its folder, is not set.\r\n";
    }
    return text + "Function help is not (yet) available.  Use HBAR /L to load it.\r\n";
}
const std::string kBullet = "\xe2\x80\xa2  ";

// A module handle for which the system knows no file, so the plug-in's directory is skipped.
void* const kNoModule = reinterpret_cast<void*>(static_cast<uintptr_t>(0x10));

class Startup : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        savedModule_ = RecordedModuleHandle();
        RecordModuleHandle(kNoModule);
        PlatformSetEnvironmentVariable(u"NoLoadMsg", nullptr);
        PlatformSetEnvironmentVariable(u"Hintbar", nullptr);
        dir_ = MakeScratchDir();
        // The host's executable lives in a directory of its own, empty unless a test fills it.
        hostDir_ = dir_ + "/host";
        std::filesystem::create_directories(hostDir_);
        HostSetCommandSpec(U16(hostDir_ + "/shell.exe").c_str());
    }
    void TearDown() override {
        ShutdownPlugin(0);
        RecordModuleHandle(savedModule_);
        PlatformSetEnvironmentVariable(u"NoLoadMsg", nullptr);
        PlatformSetEnvironmentVariable(u"Hintbar", nullptr);
        HostSetCommandSpec(nullptr);
        if (!pluginFile_.empty()) {
            RemoveTree(pluginFile_);
        }
        RemoveTree(dir_);
        HostTest::TearDown();
    }
    // A help file whose one function is named after its place, so the winner shows.
    void WriteHelp(const std::string& path, const std::string& name) {
        ASSERT_TRUE(WriteFile(path, "@" + name + "[x] - from " + name + "\n"));
    }
    void SetVariable(const char16_t* name, const std::string& value) {
        PlatformSetEnvironmentVariable(name, U16(value).c_str());
    }
    bool Loaded(const char16_t* name) { return FindHelpEntry(HelpTableRoot(), name) != nullptr; }

    std::string dir_, hostDir_, pluginFile_;
    void* savedModule_ = nullptr;
};

TEST_F(Startup, TransientAndPipeShellsAreDeclined) {
    WriteHelp(hostDir_ + "/Hintbar.txt", "HOST");
    HostSetTransient(1);
    EXPECT_EQ(InitializePlugin(), 1);
    HostSetTransient(0);
    HostSetPipe(1);
    EXPECT_EQ(InitializePlugin(), 1);
    HostSetPipe(0);
    EXPECT_EQ(HelpTableRoot(), nullptr);
    EXPECT_EQ(CapturedOut(), "");
    EXPECT_EQ(CapturedErr(), "");
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

TEST_F(Startup, OneFunctionLoadsFromTheHostDirectoryAndIsDeletedAtShutdown) {
    WriteHelp(hostDir_ + "/Hintbar.txt", "HOST");
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_TRUE(Loaded(u"HOST"));
    EXPECT_EQ(HelpTableCount(), 1u);
    EXPECT_EQ(CapturedOut(), kBanner + kBullet + "1 function loaded into memory.\r\n");
    EXPECT_EQ(CapturedErr(), "");

    HostClearCaptured();
    EXPECT_EQ(ShutdownPlugin(0), 0);
    EXPECT_EQ(HelpTableRoot(), nullptr);
    EXPECT_EQ(HelpTableCount(), 0u);
    EXPECT_EQ(CapturedOut(), kBullet + "1 function deleted.\r\n");
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);

    // With nothing loaded, shutdown says nothing.
    HostClearCaptured();
    EXPECT_EQ(ShutdownPlugin(0), 0);
    EXPECT_EQ(CapturedOut(), "");
}

TEST_F(Startup, NothingFoundGivesTheTwoErrorLines) {
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(HelpTableRoot(), nullptr);
    EXPECT_EQ(CapturedOut(), kBanner);
    EXPECT_EQ(CapturedErr(), NotFound({hostDir_ + "/Hintbar.txt"}, false));
}

TEST_F(Startup, NoLoadMsgSilencesAllButTheErrorLines) {
    SetVariable(u"NoLoadMsg", "yes");
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(CapturedOut(), "");
    EXPECT_EQ(CapturedErr(), NotFound({hostDir_ + "/Hintbar.txt"}, false));

    HostClearCaptured();
    WriteHelp(hostDir_ + "/Hintbar.txt", "HOST");
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_TRUE(Loaded(u"HOST"));
    EXPECT_EQ(ShutdownPlugin(0), 0);
    EXPECT_EQ(CapturedOut(), "");
    EXPECT_EQ(CapturedErr(), "");

    // Even a value too long for the 1,024-unit buffer counts as set.
    HostClearCaptured();
    SetVariable(u"NoLoadMsg", std::string(2000, 'x'));
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(ShutdownPlugin(0), 0);
    EXPECT_EQ(CapturedOut(), "");
}

TEST_F(Startup, TheHostDirectoryComesBeforeTheVariable) {
    WriteHelp(hostDir_ + "/Hintbar.txt", "HOST");
    WriteHelp(dir_ + "/other.txt", "VARIABLE");
    SetVariable(u"Hintbar", dir_ + "/other.txt");
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_TRUE(Loaded(u"HOST"));
    EXPECT_FALSE(Loaded(u"VARIABLE"));
    // hbar /S names the file that won, not the one the variable names.
    char16_t full[kPathUnits] = {};
    QueryTrueName(U16(hostDir_ + "/Hintbar.txt").c_str(), full);
    HostClearCaptured();
    std::u16string line = u"/S";
    EXPECT_EQ(hbar(line.data()), 0);
    EXPECT_EQ(CapturedOut().substr(0, CapturedOut().find("Live help")),
              "Help files, in the order loaded:\r\n  1 function from \"" + U8(full) +
                  "\"\r\n1 function in memory.\r\n");
}

// The plug-in's directory is that of the module the handle names: here the test program's
// own, where a Hintbar.txt is put for the test unless one is there already.
TEST_F(Startup, ThePluginDirectoryComesSecond) {
    // On Windows a null handle names the program; on Linux any address inside it does.
    char16_t self[kPathUnits] = {};
    void* module = nullptr;
    for (void* candidate :
         {savedModule_, static_cast<void*>(nullptr), reinterpret_cast<void*>(&MakeScratchDir)}) {
        if (PlatformGetModuleFileName(candidate, self) > 0) {
            module = candidate;
            break;
        }
    }
    ASSERT_GT(Str16Len(self), 0u);
    std::filesystem::path program(U8(self));
    std::string file = (program.parent_path() / "Hintbar.txt").string();
    if (std::filesystem::exists(file)) {
        GTEST_SKIP() << file << " exists";
    }
    pluginFile_ = file;
    WriteHelp(file, "PLUGIN");
    WriteHelp(dir_ + "/other.txt", "VARIABLE");
    SetVariable(u"Hintbar", dir_ + "/other.txt");
    RecordModuleHandle(module);
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_TRUE(Loaded(u"PLUGIN"));
    EXPECT_EQ(CapturedErr(), "");

    // The host's directory still comes first.
    ShutdownPlugin(0);
    WriteHelp(hostDir_ + "/Hintbar.txt", "HOST");
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_TRUE(Loaded(u"HOST"));
}

TEST_F(Startup, APlaceThatDoesNotLoadIsPassedOver) {
    // A Hintbar.txt without functions, or with no bytes at all: its message, then the next
    // place.
    std::string empty = hostDir_ + "/Hintbar.txt";
    WriteHelp(dir_ + "/other.txt", "VARIABLE");
    SetVariable(u"Hintbar", dir_ + "/other.txt");
    for (const char* text : {"comments only\n", ""}) {
        ShutdownPlugin(0);
        HostClearCaptured();
        ASSERT_TRUE(WriteFile(empty, text));
        EXPECT_EQ(InitializePlugin(), 0);
        EXPECT_TRUE(Loaded(u"VARIABLE"));
        EXPECT_EQ(CapturedErr(), "Hintbar plugin: No functions found in file \"" + empty + "\".\n");
        EXPECT_EQ(CapturedOut(), kBanner + kBullet + "1 function loaded into memory.\r\n");
    }

    // A Hintbar.txt that is a directory is not even tried.
    ShutdownPlugin(0);
    HostClearCaptured();
    std::filesystem::remove(empty);
    std::filesystem::create_directories(empty);
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_TRUE(Loaded(u"VARIABLE"));
    EXPECT_EQ(CapturedErr(), "");

    // A place whose full path is one already tried is not tried again, however it is
    // spelled: the file's fault is reported once.
    ShutdownPlugin(0);
    HostClearCaptured();
    std::filesystem::remove(empty);
    ASSERT_TRUE(WriteFile(empty, "comments only\n"));
    SetVariable(u"Hintbar", hostDir_ + "/../host/.");
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(HelpTableRoot(), nullptr);
    EXPECT_EQ(CapturedErr(), "Hintbar plugin: No functions found in file \"" + empty + "\".\n" +
                                 NotFound({TrueName(empty), TrueName(empty)}, true));
}

TEST_F(Startup, TheVariableNamesAFileOrADirectory) {
    std::string sub = dir_ + "/help";
    std::filesystem::create_directories(sub);
    WriteHelp(sub + "/Hintbar.txt", "INDIR");
    SetVariable(u"Hintbar", sub);
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_TRUE(Loaded(u"INDIR"));

    ShutdownPlugin(0);
    WriteHelp(sub + "/any name.dat", "NAMED");
    SetVariable(u"Hintbar", sub + "/any name.dat");
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_TRUE(Loaded(u"NAMED"));

    // A variable naming nothing that exists is simply not found.
    ShutdownPlugin(0);
    HostClearCaptured();
    SetVariable(u"Hintbar", dir_ + "/missing");
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(HelpTableRoot(), nullptr);
    EXPECT_EQ(CapturedErr(),
              NotFound({hostDir_ + "/Hintbar.txt", TrueName(dir_ + "/missing")}, true));
}

TEST_F(Startup, ShutdownCountsTheNodesItReleasesAndDropsTheSavedText) {
    ASSERT_TRUE(WriteFile(hostDir_ + "/Hintbar.txt", "@a[]\n@b[]\n@c[]\n"));
    EXPECT_EQ(InitializePlugin(), 0);
    SeedHelpLine(u"old", true);
    HostClearCaptured();
    EXPECT_EQ(ShutdownPlugin(0), 0);
    EXPECT_EQ(CapturedOut(), kBullet + "3 functions deleted.\r\n");
    EXPECT_EQ(TextBeforeHelp(), nullptr);
    EXPECT_FALSE(LineCaptured()) << "a host that loads the plug-in again starts a fresh line";
    EXPECT_EQ(HelpTableCount(), 0u);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);

    // The saved text goes even when no table is loaded.
    SeedHelpLine(u"old", false);
    EXPECT_EQ(ShutdownPlugin(0), 0);
    EXPECT_EQ(TextBeforeHelp(), nullptr);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
}

TEST(DataFileName, AppendsASeparatorOnlyWhenNeeded) {
    const std::u16string sep(1, kPathSeparator);
    struct Case {
        std::u16string path, result;
    } cases[] = {
        {u"", u"Hintbar.txt"},
        {u"C:\\dir\\", u"C:\\dir\\Hintbar.txt"},
        {u"/usr/share/", u"/usr/share/Hintbar.txt"},
        {u"C:", u"C:Hintbar.txt"},
        {u"dir", u"dir" + sep + u"Hintbar.txt"},
    };
    for (const Case& c : cases) {
        char16_t path[kPathUnits];
        Str16Copy(path, c.path.c_str());
        AppendDataFileName(path);
        EXPECT_EQ(U8(path), U8(c.result));
    }
    AppendDataFileName({}); // no buffer: nothing is written
    // A path that nearly fills its buffer is cut, never overrun.
    static char16_t full[kPathUnits + 1];
    for (int i = 0; i < kPathUnits - 5; ++i) {
        full[i] = u'd';
    }
    full[kPathUnits - 5] = 0;
    full[kPathUnits] = u'#';
    AppendDataFileName(std::span<char16_t>(full, kPathUnits));
    EXPECT_EQ(Str16Len(full), static_cast<size_t>(kPathUnits - 1));
    EXPECT_EQ(full[kPathUnits], u'#');
}

TEST(PlainFile, OnlyExistingFilesThatAreNeitherDirectoriesNorDevices) {
    std::string dir = MakeScratchDir();
    ASSERT_TRUE(WriteFile(dir + "/file.txt", "x"));
    EXPECT_TRUE(IsPlainFile(U16(dir + "/file.txt").c_str()));
    EXPECT_FALSE(IsPlainFile(U16(dir).c_str()));
    EXPECT_FALSE(IsPlainFile(U16(dir + "/missing.txt").c_str()));
    EXPECT_FALSE(IsPlainFile(u""));
    EXPECT_FALSE(IsPlainFile(nullptr));
    if (kPathSeparator == u'/') {
        EXPECT_FALSE(IsPlainFile(u"/dev/null")); // what Windows says of NUL varies
    }
    RemoveTree(dir);
}

} // namespace
