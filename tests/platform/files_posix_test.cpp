// The Linux file layer keeps the Windows rules that the text reader relies on.
#include "platform/files.h"
#include "platform/test_hooks.h"
#include "tests/textinput/source_fixture.h"
#include "textinput/text_source.h"

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace {

class LinuxFiles : public SourceTest {};

// The errors of missing names and refused opens are checked against Windows itself in
// files_test.cpp; these are the ones only Linux has the files for.
TEST_F(LinuxFiles, ErrnoBecomesWindowsErrorNumbers) {
    std::u16string dir = U16(dir_);
    EXPECT_EQ(PlatformGetFileAttributes(dir.c_str()), uint32_t{kFileAttributeDirectory});
    EXPECT_EQ(PlatformGetFileAttributes(u"/dev/null"), uint32_t{kFileAttributeDevice});
    EXPECT_EQ(PlatformGetFileAttributes(MakeFile("f", "x").c_str()) & 0x50, 0u);
    // Read-only is a file that no one may write: one that its group may write is not.
    std::u16string readOnly = MakeFile("r", "x");
    for (mode_t mode : {0444, 0464}) {
        ASSERT_EQ(chmod(U8(readOnly).c_str(), mode), 0);
        EXPECT_EQ(PlatformGetFileAttributes(readOnly.c_str()),
                  uint32_t{mode == 0444 ? kFileAttributeReadOnly : kFileAttributeNormal});
    }
    EXPECT_FALSE(PlatformCloseHandle(reinterpret_cast<void*>(intptr_t{3})));
    EXPECT_EQ(PlatformGetLastError(), 6u);
    // A link is deleted as itself, even one that leads nowhere.
    std::string link = dir_ + "/link";
    ASSERT_EQ(symlink((dir_ + "/nowhere").c_str(), link.c_str()), 0);
    EXPECT_TRUE(PlatformDeleteFile(U16(link).c_str()));
    // A name under a file: the path is what is missing.
    EXPECT_EQ(PlatformGetFileAttributes((MakeFile("g", "x") + u"/h").c_str()),
              kInvalidFileAttributes);
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorPathNotFound});
    // The end of standard input is no failure.
    int saved = dup(0);
    int null = open("/dev/null", O_RDONLY);
    ASSERT_GE(null, 0);
    dup2(null, 0);
    char byte = 0;
    uint32_t done = 99;
    EXPECT_TRUE(PlatformReadStandardInput(ByteBuffer(&byte, 1), &done));
    EXPECT_EQ(done, 0u);
    dup2(saved, 0);
    close(saved);
    close(null);
    // A number the system has no text for leaves the text empty and says why, as Windows does.
    char16_t text[64] = u"old";
    EXPECT_EQ(PlatformFormatMessage(5, {text, 0}), 0u); // no room: nothing written
    EXPECT_EQ(PlatformGetModuleFileName(nullptr, {text, 0}), 0u);
    EXPECT_EQ(text[0], u'o');
    EXPECT_EQ(PlatformFormatMessage(99999, text), 0u);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(PlatformGetLastError(), 317u);
}

// A write that stops part of the way tells how much was written before the error.
TEST_F(LinuxFiles, AFailedWriteCountsWhatWentBeforeTheError) {
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    const struct {
        std::u16string path;
        rlim_t limit;
        uint32_t done;
        uint32_t error;
    } cases[] = {
        {MakeFile("limited", ""), 10, 10, kErrorFileTooLarge},
        {u"/dev/full", saved.rlim_cur, 0, kErrorDiskFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.path));
        void* file = PlatformCreateFile(c.path.c_str(), kGenericWrite, 0, kOpenExisting, 0);
        ASSERT_NE(file, nullptr);
        struct rlimit limit = saved;
        limit.rlim_cur = c.limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        uint32_t done = 99;
        EXPECT_FALSE(PlatformWriteFile(file, Bytes("0123456789abcdefghij"), &done));
        uint32_t error = PlatformGetLastError();
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(done, c.done);
        PlatformCloseHandle(file);
    }
    signal(SIGXFSZ, oldHandler);
}

TEST_F(LinuxFiles, PipesAndDevicesHaveNoTimes) {
    std::u16string file = MakeFile("f", "12345");
    void* h = PlatformCreateFile(file.c_str(), kGenericRead, kFileShareRead, kOpenExisting, 0);
    PlatformFileInfo info;
    ASSERT_TRUE(PlatformGetFileInformation(h, &info));
    EXPECT_NE(info.lastWriteTime, 0u);
    EXPECT_EQ(info.sizeLow, 5u);
    PlatformCloseHandle(h);
    // Times count 100 ns from 1601: the first second of 2000 is 125,911,584,000,000,000.
    struct timespec times[2] = {{946684800, 0}, {946684800, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, U8(file).c_str(), times, 0), 0);
    h = PlatformCreateFile(file.c_str(), kGenericRead, kFileShareRead, kOpenExisting, 0);
    ASSERT_TRUE(PlatformGetFileInformation(h, &info));
    EXPECT_EQ(info.lastWriteTime, 125911584000000000u);
    PlatformCloseHandle(h);
    h = PlatformCreateFile(u"/dev/null", kGenericRead, kFileShareRead, kOpenExisting, 0);
    ASSERT_TRUE(PlatformGetFileInformation(h, &info));
    EXPECT_EQ(info.creationTime | info.lastAccessTime | info.lastWriteTime, 0u);
    EXPECT_EQ(info.attributes, uint32_t{kFileAttributeDevice});
    PlatformCloseHandle(h);
}

// A FIFO is a pipe, read through a copy; an open never waits for its writer, and without
// one it reads as empty. A socket is a device.
TEST_F(LinuxFiles, FifosAreOpenedWithoutWaitingAndSocketsAreDevices) {
    std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::u16string name = U16(fifo);
    EXPECT_EQ(PlatformGetFileAttributes(name.c_str()), uint32_t{kFileAttributeNormal});
    EXPECT_TRUE(PlatformIsPipe(name.c_str()));
    EXPECT_FALSE(PlatformIsPipe(MakeFile("f", "x").c_str()));
    EXPECT_FALSE(PlatformIsPipe(U16(dir_ + "/none").c_str()));
    // A FIFO under a name to be replaced is refused, as a device is.
    EXPECT_EQ(PlatformCreateFile(name.c_str(), kGenericRead | kGenericWrite, 0, kCreateAlways, 0),
              nullptr);
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorAccessDenied});
    alarm(60); // an open that waited for a writer would hang here for good
    TextSource s;
    EXPECT_EQ(OpenTextSource(&s, name.c_str()), kEmptyFile);
    alarm(0);
    EXPECT_EQ(CapturedErr(), "");

    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string socketPath = dir_ + "/socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(PlatformGetFileAttributes(U16(socketPath).c_str()), uint32_t{kFileAttributeDevice});
    EXPECT_FALSE(PlatformIsPipe(U16(socketPath).c_str()));
    close(sock);
}

TEST_F(LinuxFiles, TemporaryDirectoryComesFromTmpdir) {
    char16_t buffer[64];
    EXPECT_TRUE(PlatformSetEnvironmentVariable(u"TMPDIR", u"/var/x"));
    EXPECT_EQ(PlatformGetTempPath(buffer), 7u);
    EXPECT_EQ(U8(buffer), "/var/x/");
    EXPECT_EQ(PlatformGetTempPath({buffer, 8}), 7u); // just fits
    EXPECT_EQ(PlatformGetTempPath({buffer, 7}), 8u); // does not fit: the size needed
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(PlatformGetTempPath({}), 8u); // no buffer: the size needed too
    EXPECT_EQ(PlatformGetEnvironmentVariable(u"TMPDIR", {buffer, 7}), 6u); // the same rule
    EXPECT_EQ(PlatformGetEnvironmentVariable(u"TMPDIR", {buffer, 6}), 7u);
    EXPECT_EQ(PlatformGetEnvironmentVariable(u"TMPDIR", {}), 7u);
    PlatformSetEnvironmentVariable(u"TMPDIR", u"/var/y/");
    PlatformGetTempPath(buffer);
    EXPECT_EQ(U8(buffer), "/var/y/");
    EXPECT_TRUE(PlatformSetEnvironmentVariable(u"TMPDIR", nullptr));
    PlatformGetTempPath(buffer);
    EXPECT_EQ(U8(buffer), "/tmp/");
}

TEST_F(LinuxFiles, CopyNeverFollowsALinkPlantedUnderItsName) {
    std::string victim = dir_ + "/victim";
    WriteFile(victim, "precious");
    ASSERT_EQ(symlink(victim.c_str(), TempCopyPath().c_str()), 0);
    TextSource s;
    EXPECT_NE(OpenAndReport(&s, u"/dev/null"), kEmptyFile);
    EXPECT_EQ(CapturedErr(), "Hintbar plugin: Can\u2019t create temp file for pipe copy\n");
    struct stat st;
    EXPECT_EQ(lstat(TempCopyPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(std::filesystem::file_size(victim), 8u);
    unlink(TempCopyPath().c_str());
}

TEST_F(LinuxFiles, ShareModesDeletionAndMappingFollowWindows) {
    std::u16string name = MakeFile("f", "abc");
    void* rw = PlatformCreateFile(name.c_str(), kGenericRead | kGenericWrite, kFileShareRead,
                                  kCreateAlways, kFileAttributeNormal);
    ASSERT_NE(rw, nullptr);
    EXPECT_EQ(PlatformGetLastError(), 183u); // replaced
    EXPECT_EQ(PlatformCreateFile(name.c_str(), kGenericRead | kGenericWrite, kFileShareRead,
                                 kCreateAlways, 0),
              nullptr);
    EXPECT_EQ(PlatformGetLastError(), 32u);
    EXPECT_EQ(PlatformCreateFileMapping(rw), nullptr); // empty after the replacement
    EXPECT_EQ(PlatformGetLastError(), 1006u);
    uint32_t done = 0;
    ASSERT_TRUE(PlatformWriteFile(rw, Bytes("xyz"), &done));
    EXPECT_FALSE(PlatformDeleteFile(name.c_str()));
    EXPECT_EQ(PlatformGetLastError(), 32u);

    void* mapping = PlatformCreateFileMapping(rw);
    ASSERT_NE(mapping, nullptr);
    const void* view = PlatformMapViewOfFile(mapping);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(view), 3), "xyz");
    PlatformCloseHandle(rw);
    PlatformCloseHandle(mapping);
    EXPECT_EQ(PlatformOpenHandles(), handles_);
    EXPECT_EQ(PlatformMappedViews(), views_ + 1);
    EXPECT_FALSE(PlatformDeleteFile(name.c_str())); // the view keeps the file in use
    EXPECT_EQ(PlatformGetLastError(), 5u);
    EXPECT_TRUE(PlatformUnmapViewOfFile(view));
    EXPECT_FALSE(PlatformUnmapViewOfFile(view));
    EXPECT_TRUE(PlatformDeleteFile(name.c_str()));
}

// A handle of no file, a mapping's or none at all, is refused by the file calls.
TEST_F(LinuxFiles, FileCallsRefuseHandlesOfNoFile) {
    std::u16string name = MakeFile("m", "abc");
    void* file = PlatformCreateFile(name.c_str(), kGenericRead, kFileShareRead, kOpenExisting, 0);
    ASSERT_NE(file, nullptr);
    void* mapping = PlatformCreateFileMapping(file);
    ASSERT_NE(mapping, nullptr);
    for (void* handle : {mapping, static_cast<void*>(nullptr)}) {
        char buffer[4];
        uint32_t done = 99;
        EXPECT_FALSE(PlatformReadFile(handle, ByteBuffer(buffer, 3), &done));
        EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorInvalidHandle});
    }
    for (void* handle : {file, static_cast<void*>(nullptr)}) { // and the view call, a file's
        EXPECT_EQ(PlatformMapViewOfFile(handle), nullptr);
        EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorInvalidHandle});
    }
    PlatformCloseHandle(mapping);
    PlatformCloseHandle(file);
}

// The program's arguments from UTF-8, each whole, the program's name too, and a null after.
TEST(LinuxArguments, EveryArgumentWholeAndANullAfterThem) {
    char name[] = "hintbar-check";
    char word[] = "caf\xC3\xA9";
    char* argv[] = {name, word, nullptr};
    int count = 0;
    char16_t** arguments = PlatformGetArguments(2, argv, &count);
    ASSERT_NE(arguments, nullptr);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(U8(arguments[0]), "hintbar-check");
    EXPECT_EQ(U8(arguments[1]), "caf\xC3\xA9");
    EXPECT_EQ(arguments[2], nullptr);
    free(arguments);
}

// A terminal on standard input is a console, asked for by its number or by its handle; the
// reader must not close it after a copy.
TEST(LinuxConsole, ATerminalOnStandardInputIsAConsole) {
    int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal), 0);
    ASSERT_EQ(unlockpt(terminal), 0);
    int side = open(ptsname(terminal), O_RDWR | O_NOCTTY);
    ASSERT_GE(side, 0);
    for (int fd : {0, 1, 2}) { // standard input, output and error: numbers -10, -11, -12
        int saved = dup(fd);
        dup2(side, fd);
        int number = kStdInput - fd;
        bool byNumber = IsConsole(reinterpret_cast<void*>(static_cast<intptr_t>(number)));
        bool byHandle = IsConsole(PlatformStdHandle(number));
        dup2(saved, fd);
        close(saved);
        EXPECT_TRUE(byNumber) << fd;
        EXPECT_TRUE(byHandle) << fd;
    }
    close(side);
    close(terminal);
}

} // namespace
