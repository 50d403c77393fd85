// The generated tables against the system's own conversion.
#include "textinput/encoding.h"
#include "tests/support/test_support.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Where the tables differ from MultiByteToWideChar on purpose.
bool AllowedDifference(int codePage, int byte, char16_t ours, wchar_t system) {
    // Undefined bytes: the system passes them through as C1 controls or private-use
    // characters, the tables give U+FFFD.
    if (ours == 0xFFFD && (system == byte || (system >= 0xE000 && system <= 0xF8FF))) {
        return true;
    }
    const struct {
        int codePage;
        int byte;
        char16_t ours;
        wchar_t system;
    } kKnown[] = {
        {1255, 0xCA, 0xFFFD, 0x05BA},  // a later addition, not in the published table
        {10000, 0xBD, 0x03A9, 0x2126}, // Greek capital omega, where the system has the ohm sign
        {10000, 0xF0, 0x0150, 0xF8FF}, // the reader's own choice over a private-use character
        {21866, 0xAE, 0x255D, 0x045E}, // box drawing of KOI8-U, where the system has the
        {21866, 0xBE, 0x256C, 0x040E}, // Belarusian short u of KOI8-RU
    };
    for (const auto& k : kKnown) {
        if (k.codePage == codePage && k.byte == byte && k.ours == ours && k.system == system) {
            return true;
        }
    }
    return false;
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
                    << "code page " << cp << " byte " << std::hex << byte << ": table "
                    << static_cast<unsigned>(ours) << ", system " << static_cast<unsigned>(out);
            }
        }
    }
    EXPECT_GE(compared, 20);
}

} // namespace
