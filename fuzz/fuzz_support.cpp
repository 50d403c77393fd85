#include "fuzz/fuzz_support.h"

#include "base/text16.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

void FuzzAssert(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "fuzz check failed: %s\n", what);
        abort();
    }
}

namespace {
std::string g_scratch;

void RemoveScratch() {
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
    std::filesystem::remove_all(g_scratch, ec);
}
} // namespace

const std::string& FuzzScratchDir() {
    std::string& dir = g_scratch;
    if (dir.empty()) {
        namespace fs = std::filesystem;
        fs::path p =
            fs::temp_directory_path() / ("hbfuzz-" + std::to_string(PlatformGetCurrentProcessId()));
        fs::create_directories(p);
        dir = p.string();
        atexit(RemoveScratch);
    }
    return dir;
}

bool FuzzWriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

namespace {
// Returns the subtree's size; checks order against the bounds and the shape at each node.
uint32_t Walk(const HelpNode* node, const char16_t* low, const char16_t* high) {
    if (!node) {
        return 0;
    }
    size_t length = Str16Len(node->name);
    FuzzAssert(length >= 1 && length <= 47, "name length 1..47");
    for (size_t i = 0; i < length; ++i) {
        FuzzAssert(node->name[i] < u'a' || node->name[i] > u'z', "name upper-cased");
    }
    FuzzAssert(!low || CompareHelpNames(low, node->name) < 0, "sorted, unique (low)");
    FuzzAssert(!high || CompareHelpNames(node->name, high) < 0, "sorted, unique (high)");
    FuzzAssert(node->syntax && node->syntax[0], "syntax present and not empty");
    FuzzAssert(!node->info || node->info[0], "info null or not empty");
    uint32_t left = Walk(node->left, low, node->name);
    uint32_t right = Walk(node->right, node->name, high);
    uint32_t n = left + right + 1;
    FuzzAssert(left == n / 2, "left subtree holds floor(n/2)");
    return n;
}
} // namespace

void CheckHelpTree(const HelpNode* root, uint32_t count) {
    FuzzAssert(Walk(root, nullptr, nullptr) == count, "count equals nodes");
}
