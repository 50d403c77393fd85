// Arbitrary UTF-16 lines, up to and past the longest line the reader yields, through the help
// line parser in its counting and filling forms: both must agree, and every output must stay
// inside its buffer (each buffer is a heap block of exactly its size, so the address
// sanitizer sees any write past it).
#include "base/text16.h"
#include "fuzz/fuzz_support.h"
#include "helptable/help_line.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t units = size / 2;
    if (units > 9000) {
        units = 9000;
    }
    std::unique_ptr<char16_t[]> line(new char16_t[units + 1]);
    if (units) {
        memcpy(line.get(), data, units * 2);
    }
    line[units] = 0;

    std::unique_ptr<char16_t[]> countName(new char16_t[kNameUnits]);
    std::unique_ptr<char16_t[]> name(new char16_t[kNameUnits]);
    std::unique_ptr<char16_t[]> syntax(new char16_t[kSyntaxUnits]);
    std::unique_ptr<char16_t[]> info(new char16_t[kLineUnits]);

    int counted = ParseHelpLine(countName.get(), line.get(), nullptr, nullptr);
    int filled = ParseHelpLine(name.get(), line.get(), syntax.get(), info.get());
    FuzzAssert(counted == filled, "counting and filling forms agree");
    // The verdict form is the same parse, with the same outputs.
    std::unique_ptr<char16_t[]> vName(new char16_t[kNameUnits]);
    std::unique_ptr<char16_t[]> vSyntax(new char16_t[kSyntaxUnits]);
    std::unique_ptr<char16_t[]> vInfo(new char16_t[kLineUnits]);
    HelpLineVerdict verdict;
    int judged =
        ParseHelpLineVerdict(vName.get(), line.get(), vSyntax.get(), vInfo.get(), &verdict);
    FuzzAssert(judged == filled && (verdict.reason == kHelpLineEntry) == (filled > 0),
               "the verdict form parses alike");
    FuzzAssert(Str16Equal(vName.get(), name.get()), "the verdict form gives the same name");
    if (filled > 0) {
        FuzzAssert(Str16Equal(vSyntax.get(), syntax.get()) && Str16Equal(vInfo.get(), info.get()),
                   "the verdict form gives the same texts");
        FuzzAssert(verdict.syntaxKept == Str16Len(syntax.get()) && verdict.close <= units &&
                       verdict.info <= units,
                   "the verdict's places lie in the line");
    }
    FuzzAssert(filled >= 0 && filled <= 47, "result 0..47");
    if (filled > 0) {
        FuzzAssert(Str16Len(name.get()) == static_cast<size_t>(filled), "name length = result");
        FuzzAssert(Str16Equal(name.get(), countName.get()), "same name in both forms");
        FuzzAssert(Str16Len(syntax.get()) < kSyntaxUnits, "syntax terminated in buffer");
        FuzzAssert(syntax[0] != 0, "an entry has a syntax line");
        FuzzAssert(Str16Len(info.get()) < kLineUnits, "info terminated in buffer");
    } else {
        FuzzAssert(name[0] == 0 && countName[0] == 0, "no entry: empty name");
    }
    // Either output alone must give the same answer as both together.
    std::unique_ptr<char16_t[]> name2(new char16_t[kNameUnits]);
    FuzzAssert(ParseHelpLine(name2.get(), line.get(), syntax.get(), nullptr) == filled,
               "syntax-only form agrees");
    FuzzAssert(ParseHelpLine(name2.get(), line.get(), nullptr, info.get()) == filled,
               "info-only form agrees");
    return 0;
}
