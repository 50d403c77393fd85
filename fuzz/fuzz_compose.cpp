// Arbitrary table texts through the composition of the status-bar text: the result must be
// terminated inside its 8,192-unit buffer whatever the syntax and info hold.
#include "base/text16.h"
#include "fuzz/fuzz_support.h"
#include "helptable/help_table.h"
#include "livehelp/help_text.h"
#include "platform/utf8.h"

#include <cstring>
#include <memory>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The syntax runs to the first NUL byte, the info from there to the end.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    size_t split = bytes.find('\0');
    std::string syntax = bytes.substr(0, split);
    std::string info = split == std::string::npos ? "" : bytes.substr(split + 1);
    info = info.c_str();
    // The table keeps at most 2,047 and 16,383 bytes of UTF-8; give more to be safe.
    if (syntax.size() > 4000) {
        syntax.resize(4000);
    }

    HelpNode node{};
    node.syntax = syntax.data();
    node.info = info.empty() && (size & 1) ? nullptr : info.data();
    std::unique_ptr<char16_t[]> text(new char16_t[kLineUnits]);
    FuzzAssert(ComposeHelpText(&node, std::span<char16_t>(text.get(), kLineUnits)) == 0,
               "compose succeeds");
    size_t length = Str16Len(text.get());
    FuzzAssert(length < static_cast<size_t>(kLineUnits), "terminated inside the buffer");
    FuzzAssert(syntax.empty() == (length == 0), "empty exactly when the syntax is empty");
    if (length) {
        FuzzAssert(text[0] == 0x200B, "starts with a zero width space");
    }
    // After the syntax and its "\r\n\n", no pilcrow or not sign is left: they became line
    // feeds and tabs.
    char16_t shown[1024];
    size_t info16 = 1 + Utf8ToUtf16(syntax.c_str(), shown) + 3;
    for (size_t i = info16; i < length; ++i) {
        FuzzAssert(text[i] != 0xB6 && text[i] != 0xAC, "marks turned in the info");
    }
    return 0;
}
