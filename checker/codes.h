// The findings the checker knows, each with a stable code, its severity and a paragraph that
// says what the plug-in does with such a line and how to mend it.
#pragma once

#include <cstddef>
#include <cstdint>

struct CheckCode {
    const char16_t* name;        // the stable code, such as u"duplicate"
    int32_t severity;            // kSeverity...
    const char16_t* summary;     // one line, for rule lists
    const char16_t* explanation; // the paragraph of --explain
    const char16_t* fix;         // what --fix does with such a finding, or null for nothing
};

extern const CheckCode kCheckCodes[];
extern const int kCheckCodeCount;

// A set of codes, one bit per index of kCheckCodes.
using CodeSet = uint64_t;
constexpr CodeSet kAllCodes = ~CodeSet{0};

// The codes looked for only when --select names them; a run without --select leaves them out.
CodeSet CodesOffByDefault();

// The index of the code of that name (the first length units of name), or -1.
int FindCheckCode(const char16_t* name, size_t length);
inline CodeSet CodeBit(int index) {
    return index >= 0 ? CodeSet{1} << index : 0;
}
// Reads a list of codes separated by commas into set; false, with the first unknown code
// copied to unknown (kMessageUnits units), when one is not a code.
bool ParseCodeList(const char16_t* list, CodeSet* set, char16_t* unknown);
