#include "base/text16.h"
#include "host/hostshell/host_control.h"
#include "platform/files.h"
#include "platform/test_hooks.h"
#include "tests/textinput/pipe_writer.h"
#include "tests/textinput/source_fixture.h"
#include "textinput/encoding.h"
#include "textinput/text_source.h"

#include <cstring>
#include <filesystem>

namespace {

class TextSourceOpen : public SourceTest {};

bool IsCleared(const TextSource& s) {
    return !s.data && !s.path && !s.tempPath && !s.file && !s.mapping &&
           s.encoding == Encoding::Ansi && !s.size && !s.position && !s.bomLength &&
           !s.ansiCodePage && !s.ansiTable && !s.replacement;
}

const char kPrefix[] = "Hintbar plugin: ";

TEST_F(TextSourceOpen, FileIsMappedWithItsCanonicalNameAndEncoding) {
    std::u16string name = MakeFile("plain.txt", "\xEF\xBB\xBFone\r\ntwo\n");
    TextSource s;
    ASSERT_EQ(OpenAndReport(&s, name.c_str()), kOpened);
    EXPECT_EQ(U8(s.path), U8(Canonical(name)));
    EXPECT_EQ(s.tempPath, nullptr);
    EXPECT_EQ(s.size, 12u);
    EXPECT_EQ(s.encoding, Encoding::Utf8);
    EXPECT_EQ(s.bomLength, 3u);
    EXPECT_EQ(s.position, 3u);
    EXPECT_EQ(s.replacement, 0xFFFD);
    EXPECT_EQ(s.ansiCodePage, PlatformGetAnsiCodePage());
    EXPECT_EQ(Lines(&s), (std::vector<std::string>{"one", "two"}));
    s.position = s.bomLength; // the loader's rewind
    EXPECT_EQ(Lines(&s).size(), 2u);
    CloseTextSource(&s);
    EXPECT_TRUE(IsCleared(s));
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(TextSourceOpen, MissingArgumentsTouchNothing) {
    TextSource s;
    memset(&s, 0x5A, sizeof s);
    TextSource copy = s;
    EXPECT_EQ(OpenAndReport(&s, nullptr), kMissingName);
    EXPECT_EQ(OpenAndReport(&s, u""), kMissingName);
    EXPECT_EQ(OpenAndReport(nullptr, u"x"), kMissingName);
    EXPECT_EQ(OpenTextBytes(&s, nullptr, 4), kMissingName);
    EXPECT_EQ(memcmp(&s, &copy, sizeof s), 0);
    EXPECT_EQ(OpenTextBytes(&s, reinterpret_cast<const uint8_t*>("x"), 0), kEmptyFile);
    CloseTextSource(nullptr);
}

TEST_F(TextSourceOpen, MissingFileQuotesTheCanonicalNameAndTheSystemText) {
    std::u16string name = U16(dir_) + u"/absent.txt";
    TextSource s;
    EXPECT_EQ(OpenAndReport(&s, name.c_str()), Failed(2));
    EXPECT_EQ(CapturedErr(), kPrefix + ("Error opening \"" + U8(Canonical(name)) + "\" :\r\n   ") +
                                 Describe(2) + "\r\n");
    EXPECT_NE(Describe(2), "Error 2");
    EXPECT_EQ(s.error, 2);
    EXPECT_TRUE(IsCleared(s));
    // Closing the failed record changes nothing, its error included.
    TextSource before = s;
    CloseTextSource(&s);
    EXPECT_EQ(memcmp(&s, &before, sizeof s), 0);
}

TEST_F(TextSourceOpen, NameTheHostCannotResolveIsQuotedEmpty) {
    TextSource s;
    SourceOpenResult result = OpenAndReport(&s, u"bad|name");
    EXPECT_EQ(result.outcome, SourceOpen::Failed);
    EXPECT_GT(result.error, 0);
    EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "Error opening \"\" :\r\n   " +
                                 Describe(result.error) + "\r\n");
}

TEST_F(TextSourceOpen, DirectoryAndLockedFileAreRefusedByTheSystem) {
    TextSource s;
    EXPECT_EQ(OpenAndReport(&s, U16(dir_).c_str()), Failed(5));
    std::u16string name = MakeFile("locked.txt", "text");
    void* lock = PlatformCreateFile(name.c_str(), kGenericRead, 0, kOpenExisting, 0);
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(PlatformOpenHandles(), handles_ + 1); // the count that proves nothing leaks
    HostClearCaptured();
    EXPECT_EQ(OpenAndReport(&s, name.c_str()), Failed(32));
    EXPECT_EQ(CapturedErr(), kPrefix + ("Error opening \"" + U8(Canonical(name)) + "\" :\r\n   ") +
                                 Describe(32) + "\r\n");
    PlatformCloseHandle(lock);
    ASSERT_EQ(OpenAndReport(&s, name.c_str()), kOpened);
    CloseTextSource(&s);
}

TEST_F(TextSourceOpen, EmptyFileIsSilent) {
    TextSource s;
    EXPECT_EQ(OpenAndReport(&s, MakeFile("empty.txt", "").c_str()), kEmptyFile);
    EXPECT_EQ(s.error, 0);
    EXPECT_TRUE(IsCleared(s));
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(TextSourceOpen, FileOfFourGibibytesIsTooBig) {
    std::u16string name = MakeFile("huge.txt", "");
    std::error_code ec;
    std::filesystem::resize_file(U8(name), 0x100000000ull + 1, ec); // sparse: no disk used
    if (ec) {
        GTEST_SKIP() << "no sparse file here: " << ec.message();
    }
    TextSource s;
    EXPECT_EQ(OpenAndReport(&s, name.c_str()), Failed(223));
    EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "File is way too big!\r\n");
}

// Every failure row: its message word for word, its number, and nothing left behind (the
// fixture counts handles, views, heap blocks and the temporary copy).
TEST_F(TextSourceOpen, FailuresOfTheOpenAndTheMapping) {
    std::u16string name = MakeFile("text.txt", "some text\n");
    const struct {
        PlatformCallKind kind;
        uint32_t error;
        std::string message;  // after the prefix; %e stands for the error's text
        int32_t reported = 0; // the number the open reports, when not the system's own
    } rows[] = {
        {kPlatformCallOpen, 5, "Error opening \"" + U8(Canonical(name)) + "\" :\r\n   %e\r\n"},
        // A failure without a number is never reported as 0, which would read as success.
        {kPlatformCallOpen, 0, "Error opening \"" + U8(Canonical(name)) + "\" :\r\n   %e\r\n", 31},
        {kPlatformCallMapping, 8, "Error mapping file: %e\r\n"},
        {kPlatformCallView, 8, "Error mapping view of file: %e\r\n"},
        {kPlatformCallView, 1117, "Error mapping view of file: %e\r\n"},
    };
    for (const auto& row : rows) {
        HostClearCaptured();
        PlatformFailNextCall(row.kind, row.error);
        TextSource s;
        int32_t reported = row.reported ? row.reported : static_cast<int32_t>(row.error);
        EXPECT_EQ(OpenAndReport(&s, name.c_str()), Failed(reported));
        std::string expected = row.message;
        expected.replace(expected.find("%e"), 2, Describe(reported));
        EXPECT_EQ(CapturedErr(), kPrefix + expected);
        EXPECT_TRUE(IsCleared(s));
        EXPECT_EQ(s.error, reported);
    }
}

// A name that cannot be copied is a failure to open like any other, and said: a load that
// does nothing must not look like one that worked.
TEST_F(TextSourceOpen, FailedNameCopiesAreReported) {
    std::u16string name = MakeFile("text.txt", "some text\n");
    for (long n = 1; n <= 2; ++n) {
        HostClearCaptured();
        PlatformFailAllocationAt(n);
        TextSource s;
        EXPECT_EQ(OpenAndReport(&s, name.c_str()), Failed(8));
        EXPECT_TRUE(IsCleared(s));
        EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "Error opening \"" + U8(name) +
                                     "\" :\r\n   " + Describe(8) + "\r\n")
            << n;
    }
}

class PipeCopy : public SourceTest {};

std::string ManyLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "line " + std::to_string(i) + "\r\n";
    }
    return text;
}

TEST_F(PipeCopy, PipeIsReadThroughATemporaryCopyThatCloseRemoves) {
    std::string text = ManyLines(3000); // several transfer buffers
    PipeWriter pipe(dir_, "\xFF\xFE" + std::string("x\0y\0\n\0", 6));
    PipeWriter big(dir_, text);
    TextSource s;
    ASSERT_EQ(OpenAndReport(&s, pipe.Name().c_str()), kOpened);
    EXPECT_EQ(U8(s.tempPath), TempCopyPath());
    EXPECT_TRUE(TempCopyExists());
    EXPECT_EQ(s.encoding, Encoding::Utf16LE);
    EXPECT_EQ(Lines(&s), (std::vector<std::string>{"xy"}));
    CloseTextSource(&s);
    EXPECT_FALSE(TempCopyExists());

    ASSERT_EQ(OpenAndReport(&s, big.Name().c_str()), kOpened);
    EXPECT_EQ(s.size, text.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.data), s.size), text);
    CloseTextSource(&s);
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(PipeCopy, EmptyPipeAndNullDeviceAreEmptyFiles) {
    PipeWriter pipe(dir_, "");
    TextSource s;
    EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), kEmptyFile);
    EXPECT_EQ(OpenAndReport(&s, NullDeviceName()), kEmptyFile);
    EXPECT_EQ(CapturedErr(), "");
}

TEST_F(PipeCopy, SecondCopyOfTheProcessCollidesWithTheFirst) {
    PipeWriter first(dir_, "first\n");
    PipeWriter second(dir_, "second\n");
    TextSource a;
    TextSource b;
    ASSERT_EQ(OpenAndReport(&a, first.Name().c_str()), kOpened);
    EXPECT_EQ(OpenAndReport(&b, second.Name().c_str()), Failed(32));
    EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "Can\u2019t create temp file for pipe copy\n");
    EXPECT_TRUE(IsCleared(b));
    // The first copy is untouched by the second's failure.
    EXPECT_TRUE(TempCopyExists());
    EXPECT_EQ(Lines(&a), (std::vector<std::string>{"first"}));
    CloseTextSource(&a);
}

TEST_F(PipeCopy, FailedCreationLeavesAFileOfThatNameAlone) {
    WriteFile(TempCopyPath(), "someone else's");
    PipeWriter pipe(dir_, "text\n");
    PlatformFailNextCall(kPlatformCallCreate, 5);
    TextSource s;
    EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), Failed(5));
    EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "Can\u2019t create temp file for pipe copy\n");
    EXPECT_TRUE(TempCopyExists());
    std::filesystem::remove(TempCopyPath());
}

TEST_F(PipeCopy, FailuresOfTheCopy) {
    {
        PipeWriter pipe(dir_, ManyLines(3000));
        PlatformFailNextCall(kPlatformCallWrite, 1117, 1); // the second buffer
        TextSource s;
        EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), Failed(1117));
        EXPECT_EQ(CapturedErr(), kPrefix + ("Error writing temp file \"" + TempCopyPath() +
                                            "\" :\r\n   " + Describe(1117) + "\r\n"));
        EXPECT_TRUE(IsCleared(s));
    }
    {
        HostClearCaptured();
        PipeWriter pipe(dir_, "text\n");
        PlatformFailAllocationAt(4); // after the name, the canonical name and the copy's name
        TextSource s;
        EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), Failed(8));
        EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "Can\u2019t allocate buffer for copy\n");
    }
    {
        HostClearCaptured();
        PipeWriter pipe(dir_, "text\n");
        PlatformFailAllocationAt(3); // the copy's name
        TextSource s;
        EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), Failed(8));
        EXPECT_EQ(CapturedErr(), std::string(kPrefix) + "Can\u2019t allocate buffer for copy\n");
    }
    {
        // A read failure is the end of the data, like a broken pipe.
        PipeWriter pipe(dir_, "text\n");
        PlatformFailNextCall(kPlatformCallRead, 109);
        TextSource s;
        EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), kEmptyFile);
    }
    {
        // A write that fails without saying why is taken for a full disk.
        HostClearCaptured();
        PipeWriter pipe(dir_, "text\n");
        PlatformFailNextCall(kPlatformCallWrite, 0);
        TextSource s;
        EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), Failed(112));
        EXPECT_NE(CapturedErr().find(Describe(112)), std::string::npos);
    }
    {
        // A temporary directory that leaves no room for the copy's name: the name is not cut.
        std::u16string longDir = U16(dir_) + u"/" + std::u16string(32760 - dir_.size() - 2, u'd');
        for (const char16_t* variable : {u"TMPDIR", u"TMP", u"TEMP"}) {
            PlatformSetEnvironmentVariable(variable, longDir.c_str());
        }
        char16_t got[32768];
        if (PlatformGetTempPath(got) == 32760) {
            HostClearCaptured();
            PipeWriter pipe(dir_, "text\n");
            TextSource s;
            EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), Failed(206));
            EXPECT_EQ(CapturedErr(),
                      std::string(kPrefix) + "Can\u2019t create temp file for pipe copy\n");
        } // else the system takes no temporary directory so long (Wine keeps to 260 units)
        for (const char16_t* variable : {u"TMPDIR", u"TMP", u"TEMP"}) {
            PlatformSetEnvironmentVariable(variable, U16(dir_).c_str());
        }
    }
    for (PlatformCallKind kind : {kPlatformCallMapping, kPlatformCallView}) {
        HostClearCaptured();
        PipeWriter pipe(dir_, "text\n");
        PlatformFailNextCall(kind, 8);
        TextSource s;
        EXPECT_EQ(OpenAndReport(&s, pipe.Name().c_str()), Failed(8));
        EXPECT_NE(CapturedErr().find("Error mapping"), std::string::npos);
        EXPECT_FALSE(TempCopyExists());
    }
}

TEST_F(PipeCopy, AThousandSourcesLeaveNothingBehind) {
    std::u16string name = MakeFile("text.txt", "text\n");
    for (int i = 0; i < 1000; ++i) {
        TextSource s;
        ASSERT_EQ(OpenAndReport(&s, name.c_str()), kOpened);
        CloseTextSource(&s);
    }
    for (int i = 0; i < 20; ++i) {
        PipeWriter pipe(dir_, "text\n");
        TextSource s;
        ASSERT_EQ(OpenAndReport(&s, pipe.Name().c_str()), kOpened);
        CloseTextSource(&s);
    }
    // The fixture checks the counts and the temporary copy.
}

TEST(TextSourceNames, PathNamesAndDevicePrefix) {
    const struct {
        const char* directory;
        const char* name;
        const char* joined; // null: it does not fit, and the directory is left as it was
        size_t room = 32768;
    } rows[] = {
        {"C:\\tmp", "x", "C:\\tmp\\x"},
        {"C:\\tmp\\", "x", "C:\\tmp\\x"},
        {"C:", "x", "C:x"},
        {"/tmp/", "x", "/tmp/x"},
        {"C:\\tmp", "\\x", "C:\\tmp\\x"},
        {"C:\\tmp", "/x", "C:\\tmp/x"},
        {"", "x", "x"},
        // The terminator needs its unit, and so does a separator.
        {"C:\\tmp", "xy", "C:\\tmp\\xy", 10},
        {"C:\\tmp", "xy", nullptr, 9},
        {"C:\\tmp\\", "xy", "C:\\tmp\\xy", 10},
        {"C:\\tmp\\", "xy", nullptr, 9},
    };
    std::vector<char16_t> buffer(32768);
    for (const auto& row : rows) {
        std::u16string directory = U16(row.directory);
        std::fill(buffer.begin(), buffer.end(), u'#');
        std::copy(directory.begin(), directory.end() + 1, buffer.begin());
        NameFit fit = AppendPathName(std::span(buffer.data(), row.room), U16(row.name).c_str());
        EXPECT_EQ(fit, row.joined ? NameFit::Fits : NameFit::TooLong) << row.room;
        EXPECT_EQ(U8(buffer.data()), row.joined ? row.joined : row.directory) << row.room;
    }
    EXPECT_EQ(AppendPathName({}, u"x"), NameFit::TooLong);
    EXPECT_EQ(AppendPathName(buffer, nullptr), NameFit::TooLong);

    std::u16string volume = u"Volume{0a1b}\\x";
    std::fill(buffer.begin(), buffer.end(), u'#'); // the terminator must move with the name
    std::copy(volume.begin(), volume.end() + 1, buffer.begin());
    EXPECT_EQ(AddDevicePrefix(buffer), NameFit::Fits);
    EXPECT_EQ(U8(buffer.data()), "\\\\.\\Volume{0a1b}\\x");
    EXPECT_EQ(AddDevicePrefix({}), NameFit::TooLong);
    // A path that would not fit with the prefix is left as it is; one unit less fits.
    std::fill(buffer.begin(), buffer.end() - 1, u'a');
    buffer.back() = 0;
    EXPECT_EQ(AddDevicePrefix(buffer), NameFit::TooLong);
    EXPECT_EQ(buffer[0], u'a');
    buffer[buffer.size() - 4] = 0; // its terminator would fall one unit past the buffer
    EXPECT_EQ(AddDevicePrefix(buffer), NameFit::TooLong);
    EXPECT_EQ(buffer[0], u'a');
    buffer[buffer.size() - 5] = 0;
    EXPECT_EQ(AddDevicePrefix(buffer), NameFit::Fits);
    EXPECT_EQ(buffer[4], u'a');
    EXPECT_EQ(buffer.back(), 0);
    buffer.push_back(u'#'); // nothing moves past the terminator
    std::fill(buffer.begin() + 4, buffer.end() - 6, u'a');
    buffer[buffer.size() - 6] = 0;
    EXPECT_EQ(AddDevicePrefix(std::span(buffer.data(), buffer.size() - 1)), NameFit::Fits);
    EXPECT_EQ(buffer.back(), u'#');

    EXPECT_TRUE(IsVolumeName(u"Volume{0a1b}"));
    EXPECT_FALSE(IsVolumeName(u"volume{0"));
    EXPECT_FALSE(IsVolumeName(u"Volume(0"));
    EXPECT_FALSE(IsVolumeName(u"Volume{"));
    EXPECT_FALSE(IsVolumeName(nullptr));
    // The eighth character, at each end of each range of hexadecimal digits and just outside.
    for (char16_t c : std::u16string(u"09afAF")) {
        EXPECT_TRUE(IsVolumeName((u"Volume{" + std::u16string(1, c)).c_str())) << char(c);
    }
    for (char16_t c : std::u16string(u"/:`g@G")) {
        EXPECT_FALSE(IsVolumeName((u"Volume{" + std::u16string(1, c)).c_str())) << char(c);
    }
}

TEST(TextSourceNames, ErrorTextsAndConsoles) {
    char16_t text[1024];
    DescribeError(text, 0x2FFFFFFF);
    EXPECT_EQ(U8(text), "Error 805306367");
    DescribeError(text, -100);
    EXPECT_EQ(U8(text), "Error -100");
    DescribeError(text, 5);
    EXPECT_FALSE(U8(text).empty());
    EXPECT_FALSE(IsSpaceUnit(text[Str16Len(text) - 1]));
    DescribeError({}, 5); // no room: nothing is written
    EXPECT_FALSE(IsConsole(nullptr));
    for (int device : {-10, -11, -12}) { // standard input, output and error by number
        void* handle = reinterpret_cast<void*>(static_cast<intptr_t>(device));
        EXPECT_EQ(IsConsole(handle), IsConsole(PlatformStdHandle(device))) << device;
    }
}

} // namespace
