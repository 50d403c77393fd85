// Arbitrary bytes as a whole help file, read under one of several ANSI code pages, through
// the text source, encoding detection, the line reader and the loader. A loaded tree must
// keep the help table's invariants, and a load must leave no heap block behind. The checker
// reads the same file and must find what the loader loaded: as many functions, each with the
// texts of the same winning line.
#include "base/text16.h"
#include "checker/file_check.h"
#include "fuzz/fuzz_support.h"
#include "helptable/help_loader.h"
#include "host/hostshell/host_control.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "platform/utf8.h"

#include <utility>
#include <cstring>
#include <vector>

namespace {
const uint32_t kCodePages[] = {1252, 437, 720, 866, 10000, 65001, 932, 21866};

bool SameText(const char* a, const char* b) {
    return (!a && !b) || (a && b && strcmp(a, b) == 0);
}

void CompareWithChecker(const char16_t* path, const HelpNode* root, uint32_t count) {
    FindingList findings = {};
    CheckResult result = {};
    FuzzAssert(CheckHelpFile(path, &findings, &result) == 0, "the check completes");
    FuzzAssert(result.count == (root ? count : 0), "the checker counts what the loader loads");
    for (uint32_t i = 0; i < result.count; ++i) {
        const CheckedEntry& f = result.functions[i];
        const HelpNode* node = FindHelpEntry(root, f.name);
        FuzzAssert(node && SameText(node->syntax, f.syntax) && SameText(node->info, f.info),
                   "the checker's winning line is the loader's");
    }
    FuzzAssert(root || findings.tally[kSeverityError] > 0,
               "a file that loads nothing has an error");
    ReleaseCheckResult(&result);
    ReleaseFindings(&findings);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::u16string path;
    static std::string file;
    if (path.empty()) {
        file = FuzzScratchDir() + "/help.txt";
        std::vector<char16_t> wide(file.size() + 1);
        Utf8ToUtf16(file.c_str(), wide);
        path = wide.data();
        HostCaptureOutput(1);
    }
    if (size == 0) {
        return 0;
    }
    PlatformSetAnsiCodePage(kCodePages[data[0] % (sizeof kCodePages / sizeof kCodePages[0])]);
    if (!FuzzWriteFile(file, data + 1, size - 1)) {
        return 0;
    }
    long live = PlatformLiveAllocations();
    HelpLoadResult loaded = LoadHelpFile(path.c_str());
    HelpTree tree = std::move(loaded.tree);
    uint32_t count = tree.count;
    CompareWithChecker(path.c_str(), tree.root, count);
    if (tree.root) {
        FuzzAssert(loaded.outcome == HelpLoad::Loaded && loaded.functions == count,
                   "a tree comes only with a load that says so");
        CheckHelpTree(tree.root, count);
        FuzzAssert(FreeHelpTree(tree) == count, "freeing releases every node");
    } else {
        FuzzAssert(loaded.outcome != HelpLoad::Loaded && count == 0,
                   "a failed load says so and brings nothing");
    }
    FuzzAssert(PlatformLiveAllocations() == live, "a load leaks nothing");
    HostClearCaptured();
    PlatformSetAnsiCodePage(0);
    return 0;
}
