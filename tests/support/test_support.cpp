#include "tests/support/test_support.h"

#include "base/text16.h"
#include "host/hostshell/host_control.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "platform/utf8.h"
#include "plugin/exports.h"

#include <filesystem>
#include <fstream>
#include <vector>

std::string U8(const char16_t* text) {
    if (!text) {
        return "(null)";
    }
    std::string out(Str16Len(text) * 3 + 1, '\0');
    out.resize(Utf16ToUtf8(text, out));
    return out;
}

std::string U8(const std::u16string& text) {
    return U8(text.c_str());
}

std::u16string U16(const std::string& utf8) {
    std::vector<char16_t> out(utf8.size() + 1);
    size_t n = Utf8ToUtf16(utf8.c_str(), out);
    return std::u16string(out.data(), n);
}

std::string CapturedOut() {
    return U8(HostCapturedOutput());
}
std::string CapturedErr() {
    return U8(HostCapturedErrors());
}

void HostTest::SetUp() {
    ResetPluginState();
    HostCaptureOutput(1);
    HostClearCaptured();
    HostSetBatch(nullptr, 0);
    HostSetTransient(0);
    HostSetPipe(0);
    HostSetHwndAnswer(nullptr);
    HostSetIdleText(nullptr);
    PlatformFailAllocationAt(0);
    liveAtStart_ = PlatformLiveAllocations();
}

void HostTest::TearDown() {
    PlatformFailAllocationAt(0);
    ResetPluginState();
    HostSetBatch(nullptr, 0);
    HostClearCaptured();
}

std::string MakeScratchDir() {
    static int serial = 0;
    namespace fs = std::filesystem;
    fs::path dir =
        fs::temp_directory_path() / ("hbtest-" + std::to_string(PlatformGetCurrentProcessId()) +
                                     "-" + std::to_string(++serial));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void RemoveTree(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}
