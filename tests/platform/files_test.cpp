// The file helpers give the answers of the Windows calls they are named for: on Windows they are
// those calls, on Linux the stand-ins. The same cases run against both builds.
#include "platform/files.h"
#include "tests/textinput/source_fixture.h"

#include <filesystem>

namespace {

class Files : public SourceTest {
  protected:
    std::u16string InDir(const std::string& name) {
        return U16((std::filesystem::path(dir_) / name).string());
    }
};

// A file missing at the root, in the scratch directory, or under a directory that is missing
// too: each call that takes a name gives the same error.
TEST_F(Files, MissingNamesGiveTheErrorsOfWindows) {
    std::filesystem::path root = std::filesystem::path(dir_).root_path();
    const struct {
        const char* what;
        std::u16string path;
        uint32_t error;
    } cases[] = {
        {"at the root", U16((root / "hintbar-no-such-file").string()), kErrorFileNotFound},
        {"in a directory", InDir("none"), kErrorFileNotFound},
        {"under a missing directory", InDir("no/none"), kErrorPathNotFound},
        {"empty", u"", kErrorPathNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(
            PlatformCreateFile(c.path.c_str(), kGenericRead, kFileShareRead, kOpenExisting, 0),
            nullptr);
        EXPECT_EQ(PlatformGetLastError(), c.error);
        EXPECT_EQ(PlatformGetFileAttributes(c.path.c_str()), kInvalidFileAttributes);
        EXPECT_EQ(PlatformGetLastError(), c.error);
        EXPECT_FALSE(PlatformDeleteFile(c.path.c_str()));
        EXPECT_EQ(PlatformGetLastError(), c.error);
    }
}

TEST_F(Files, DispositionsOnExistingAndNewFiles) {
    std::u16string existing = MakeFile("old", "abc");
    EXPECT_EQ(PlatformCreateFile(existing.c_str(), kGenericWrite, 0, kCreateNew, 0), nullptr);
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorFileExists});
    void* replaced = PlatformCreateFile(existing.c_str(), kGenericWrite, 0, kCreateAlways, 0);
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorAlreadyExists});
    PlatformCloseHandle(replaced);
    void* made = PlatformCreateFile(InDir("new").c_str(), kGenericWrite, 0, kCreateNew, 0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(PlatformGetLastError(), 0u);
    PlatformCloseHandle(made);
    EXPECT_EQ(PlatformCreateFile(U16(dir_).c_str(), kGenericRead, kFileShareRead, kOpenExisting, 0),
              nullptr);
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorAccessDenied});
}

// A second open is refused when either side's reading or writing is not shared by the other;
// an open without data access neither asks for sharing nor limits it.
TEST_F(Files, ShareModesAgainstExistingReadersAndWriters) {
    constexpr uint32_t R = kGenericRead, W = kGenericWrite;
    constexpr uint32_t sR = kFileShareRead, sW = kFileShareWrite, sRW = sR | sW;
    const struct {
        uint32_t firstAccess, firstShare, secondAccess, secondShare;
        bool opens;
    } cases[] = {
        {R, sR, R, sR, true},       {R, sR, W, sRW, false}, {R, sRW, W, sRW, true},
        {R, sRW, W, sW, false},     {W, sR, R, sR, false},  {W, sR, R, sRW, true},
        {W, sRW, W, sRW, true},     {W, sR, W, sRW, false}, {R | W, sRW, R, sRW, true},
        {R | W, sRW, R, sR, false}, {R, sR, 0, 0, true},    {0, 0, R | W, sRW, true},
    };
    std::u16string name = MakeFile("f", "abc");
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(row++);
        void* first =
            PlatformCreateFile(name.c_str(), c.firstAccess, c.firstShare, kOpenExisting, 0);
        ASSERT_NE(first, nullptr);
        void* second =
            PlatformCreateFile(name.c_str(), c.secondAccess, c.secondShare, kOpenExisting, 0);
        EXPECT_EQ(second != nullptr, c.opens);
        if (second) {
            PlatformCloseHandle(second);
        } else {
            EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorSharingViolation});
        }
        PlatformCloseHandle(first);
    }

    // Deleting needs delete sharing from every open handle.
    void* open = PlatformCreateFile(name.c_str(), R, sRW, kOpenExisting, 0);
    EXPECT_FALSE(PlatformDeleteFile(name.c_str()));
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorSharingViolation});
    PlatformCloseHandle(open);
    open = PlatformCreateFile(name.c_str(), R, sRW | kFileShareDelete, kOpenExisting, 0);
    EXPECT_TRUE(PlatformDeleteFile(name.c_str()));
    PlatformCloseHandle(open);
}

// Reads go on from where the last one stopped; at the end of a file a read succeeds with
// nothing, and a handle without the access asked for is refused with nothing done.
TEST_F(Files, RepeatedReadsAndRefusedAccess) {
    std::u16string name = MakeFile("f", "abcde");
    void* file = PlatformCreateFile(name.c_str(), kGenericRead, kFileShareRead, kOpenExisting, 0);
    ASSERT_NE(file, nullptr);
    const struct {
        uint32_t asked;
        std::string got;
    } reads[] = {{3, "abc"}, {3, "de"}, {3, ""}, {3, ""}};
    for (const auto& r : reads) {
        char buffer[8] = {};
        uint32_t done = 99;
        EXPECT_TRUE(PlatformReadFile(file, ByteBuffer(buffer, r.asked), &done));
        EXPECT_EQ(std::string(buffer, done), r.got);
    }
    EXPECT_EQ(PlatformSetFilePointer(file, -2, kFileEnd), 3u);
    EXPECT_EQ(PlatformSetFilePointer(file, 0, kFileBegin), 0u);
    EXPECT_EQ(PlatformSetFilePointer(file, 1, kFileCurrent), 1u);
    char buffer[8] = {};
    uint32_t done = 99;
    EXPECT_TRUE(PlatformReadFile(file, ByteBuffer(buffer, 8), &done));
    EXPECT_EQ(std::string(buffer, done), "bcde");
    done = 99;
    EXPECT_FALSE(PlatformWriteFile(file, Bytes("x"), &done));
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorAccessDenied});
    EXPECT_EQ(done, 0u);
    EXPECT_FALSE(PlatformFlushFileBuffers(file));
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorAccessDenied});
    PlatformCloseHandle(file);

    file = PlatformCreateFile(name.c_str(), kGenericWrite, kFileShareRead, kOpenExisting, 0);
    ASSERT_NE(file, nullptr);
    done = 99;
    EXPECT_FALSE(PlatformReadFile(file, ByteBuffer(buffer, 1), &done));
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorAccessDenied});
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(PlatformCreateFileMapping(file), nullptr);
    EXPECT_EQ(PlatformGetLastError(), uint32_t{kErrorAccessDenied});
    PlatformCloseHandle(file);
}

} // namespace
