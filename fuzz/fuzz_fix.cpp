// Arbitrary bytes as a help file, mended as --fix mends it with a selection of the fixable
// codes under one of several ANSI code pages. Whatever the bytes, --fix keeps its promises
// (tests/support/fix_properties.h): nothing fixable left unsaid, no function lost, no new
// warning or error, untouched lines kept byte for byte, a second --fix idle, a diff that
// applies.
#include "checker/codes.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform.h"
#include "tests/support/fix_properties.h"

#include <cstdio>
#include <string>

namespace {
const uint32_t kCodePages[] = {1252, 437, 866, 65001, 932, 1251, 10000, 21866};
const char16_t* const kFixable[] = {u"no-bracket", u"marker", u"separator", u"stray-byte",
                                    u"add-bom"};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte: the code page in its high three bits, the codes in its low five (none
    // selected: every code).
    PlatformSetAnsiCodePage(kCodePages[data[0] >> 5]);
    CodeSet codes = 0;
    for (int i = 0; i < 5; ++i) {
        if (data[0] & (1 << i)) {
            std::u16string name = kFixable[i];
            codes |= CodeBit(FindCheckCode(name.c_str(), name.size()));
        }
    }
    codes = codes ? codes : kAllCodes;
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string broken = FixPropertyViolation(bytes, codes);
    if (!broken.empty()) {
        fprintf(stderr, "--fix: %s\n", broken.c_str());
    }
    FuzzAssert(broken.empty(), "--fix keeps its promises");
    PlatformSetAnsiCodePage(0);
    return 0;
}
