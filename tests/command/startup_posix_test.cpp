// A FIFO at a place of the start-up search never holds the host's start-up, while the hbar
// command still reads one that a program writes into. (Linux: FIFOs live in directories.)
#include "base/product.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "host/hostshell/host_control.h"
#include "platform/platform.h"
#include "plugin/exports.h"
#include "tests/support/test_support.h"
#include "tests/textinput/pipe_writer.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

class FifoPlaces : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        savedModule_ = RecordedModuleHandle();
        RecordModuleHandle(reinterpret_cast<void*>(uintptr_t{0x10})); // names no file
        PlatformSetEnvironmentVariable(u"NoLoadMsg", u"1");
        dir_ = MakeScratchDir();
        HostSetCommandSpec(U16(dir_ + "/shell").c_str());
        alarm(60); // a start-up that waits for a writer would otherwise hang the tests
    }
    void TearDown() override {
        alarm(0);
        ShutdownPlugin(0);
        RecordModuleHandle(savedModule_);
        PlatformSetEnvironmentVariable(u"NoLoadMsg", nullptr);
        PlatformSetEnvironmentVariable(u"Hintbar", nullptr);
        HostSetCommandSpec(nullptr);
        RemoveTree(dir_);
        HostTest::TearDown();
    }
    std::string dir_;
    void* savedModule_ = nullptr;
};

TEST_F(FifoPlaces, StartUpPassesOverAFifoAndHbarReadsOne) {
    ASSERT_EQ(mkfifo((dir_ + "/Hintbar.txt").c_str(), 0600), 0);
    ASSERT_TRUE(WriteFile(dir_ + "/other.txt", "@OTHER[x]\n"));
    PlatformSetEnvironmentVariable(u"Hintbar", U16(dir_ + "/other.txt").c_str());
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_NE(FindHelpEntry(HelpTableRoot(), u"OTHER"), nullptr);
    EXPECT_EQ(CapturedErr(), "");

    // The variable naming a FIFO: passed over too, even while a program writes into it.
    ShutdownPlugin(0);
    HostClearCaptured();
    PipeWriter pipe(dir_, "@PIPED[x]\n");
    PlatformSetEnvironmentVariable(u"Hintbar", pipe.Name().c_str());
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(HelpTableRoot(), nullptr);

    // The command reads it, through a copy.
    std::u16string line = u"/Q /L:\"" + pipe.Name() + u"\"";
    EXPECT_EQ(hbar(line.data()), 0);
    EXPECT_NE(FindHelpEntry(HelpTableRoot(), u"PIPED"), nullptr);
}

} // namespace
