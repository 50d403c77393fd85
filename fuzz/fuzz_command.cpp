// Arbitrary argument lines through the tokenizer and the hbar command. Files are confined to
// a scratch directory that holds a few help files, good and bad.
#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "command/arguments.h"
#include "fuzz/fuzz_support.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "host/hostshell/host_control.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "plugin/exports.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {
void Prepare() {
    const std::string& dir = FuzzScratchDir();
    const char good[] = "\xef\xbb\xbf@left[n,s] - Leftmost n characters\n@len[s]: Length\n";
    const char bad[] = "no entries here\n";
    std::filesystem::create_directories(dir + "/sub");
    FuzzWriteFile(dir + "/a.txt", reinterpret_cast<const uint8_t*>(good), sizeof good - 1);
    FuzzWriteFile(dir + "/b.txt", reinterpret_cast<const uint8_t*>(bad), sizeof bad - 1);
    FuzzWriteFile(dir + "/sub/Hintbar.txt", reinterpret_cast<const uint8_t*>(good),
                  sizeof good - 1);
    std::filesystem::current_path(dir);
    std::vector<char16_t> root(dir.size() + 1);
    Utf8ToUtf16(dir.c_str(), root);
    HostSetRootDirectory(root.data());
    HostCaptureOutput(1);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool prepared = false;
    if (!prepared) {
        Prepare();
        prepared = true;
    }
    // Bytes as UTF-8, so that the fuzzer's dictionary of ASCII options reaches the command.
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str(); // up to the first NUL, as the host would pass it
    std::vector<char16_t> line(text.size() + 1);
    Utf8ToUtf16(text.c_str(), line);

    int result = hbar(line.data());
    FuzzAssert(result >= 0 && result <= 3, "result 0, 1, 2 or 3");
    FuzzAssert(CommandArguments().count >= 0 && CommandArguments().count <= MAX_ARGS,
               "argument count in range");
    for (int i = 0; i < CommandArguments().count; ++i) {
        FuzzAssert(CommandArguments().pointers[i] >= CommandArguments().buffer &&
                       CommandArguments().pointers[i] + CommandArguments().lengths[i] <
                           CommandArguments().buffer + MAX_ARG_LEN,
                   "arguments inside the buffer");
    }
    HelpTableTotals totals{};
    MeasureHelpTree(HelpTableRoot(), &totals);
    FuzzAssert(totals.nodes == HelpTableCount(), "table count equals its nodes");
    if (HelpTableRoot()) {
        CheckHelpTree(HelpTableRoot(), HelpTableCount());
    }
    HostClearCaptured();
    return 0;
}
