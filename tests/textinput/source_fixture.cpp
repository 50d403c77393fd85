#include "tests/textinput/source_fixture.h"

#include "base/text16.h"
#include "command/error_messages.h"
#include "interface/host_services.h"
#include "platform/files.h"
#include "platform/test_hooks.h"
#include "textinput/text_lines.h"

#include <cstdio>
#include <filesystem>

std::string EncodeUtf16(const std::u16string& text, bool big) {
    std::string out;
    for (char16_t c : text) {
        char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        out += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

std::string EncodeUtf32(const std::u32string& text, bool big) {
    std::string out;
    for (char32_t c : text) {
        char b[4] = {static_cast<char>(c), static_cast<char>(c >> 8), static_cast<char>(c >> 16),
                     static_cast<char>(c >> 24)};
        out += big ? std::string{b[3], b[2], b[1], b[0]} : std::string(b, 4);
    }
    return out;
}

SourceOpenResult OpenAndReport(TextSource* source, const char16_t* name) {
    SourceOpenResult opened = OpenTextSource(source, name);
    ReportSourceFailure(opened);
    return opened;
}

namespace {
// Linux takes TMPDIR, Windows TMP and then TEMP.
const char16_t* const kTempVariables[3] = {u"TMPDIR", u"TMP", u"TEMP"};
} // namespace

void SourceTest::SetUp() {
    HostTest::SetUp();
    dir_ = MakeScratchDir();
    std::u16string dir = U16(dir_);
    for (int i = 0; i < 3; ++i) {
        char16_t value[4096];
        uint32_t n = PlatformGetEnvironmentVariable(kTempVariables[i], value);
        hadTmp_[i] = n > 0 && n < 4096;
        savedTmp_[i] = hadTmp_[i] ? value : u"";
        PlatformSetEnvironmentVariable(kTempVariables[i], dir.c_str());
    }
    PlatformClearCallFailures();
    handles_ = PlatformOpenHandles();
    processHandles_ = PlatformProcessHandles();
    views_ = PlatformMappedViews();
}

void SourceTest::TearDown() {
    PlatformClearCallFailures();
    EXPECT_EQ(PlatformOpenHandles(), handles_);
    EXPECT_EQ(PlatformProcessHandles(), processHandles_);
    EXPECT_EQ(PlatformMappedViews(), views_);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_);
    EXPECT_FALSE(TempCopyExists());
    for (int i = 0; i < 3; ++i) {
        PlatformSetEnvironmentVariable(kTempVariables[i],
                                       hadTmp_[i] ? savedTmp_[i].c_str() : nullptr);
    }
    RemoveTree(dir_);
    HostTest::TearDown();
}

std::u16string SourceTest::MakeFile(const std::string& name, const std::string& bytes) {
    std::string path = (std::filesystem::path(dir_) / name).string();
    WriteFile(path, bytes);
    return U16(path);
}

std::u16string SourceTest::Canonical(const std::u16string& name) {
    std::vector<char16_t> full(32768);
    QueryTrueName(name.c_str(), full.data());
    return full.data();
}

std::string SourceTest::TempCopyPath() {
    char16_t dir[32768];
    PlatformGetTempPath(dir);
    char name[64];
    snprintf(name, sizeof name, "Hintbar-%04x.tmp", PlatformGetCurrentProcessId());
    return U8(dir) + name;
}

bool SourceTest::TempCopyExists() {
    std::error_code ec;
    return std::filesystem::exists(TempCopyPath(), ec);
}

std::vector<std::string> SourceTest::Lines(TextSource* source) {
    std::vector<std::string> lines;
    std::vector<char16_t> line(kLineUnits);
    while (ReadTextLine(source, line) == LineRead::Line) {
        lines.push_back(U8(line.data()));
    }
    return lines;
}

std::string SourceTest::Describe(int number) {
    char16_t text[1024];
    DescribeError(text, number);
    return U8(text);
}

bool operator==(const SourceOpenResult& a, const SourceOpenResult& b) {
    return a.outcome == b.outcome && a.error == b.error;
}

void PrintTo(const SourceOpenResult& result, std::ostream* out) {
    const char* names[] = {"Opened", "MissingName", "Empty", "Failed"};
    *out << names[static_cast<int>(result.outcome)] << " " << result.error;
}
