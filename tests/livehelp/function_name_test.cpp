// The function name that a bracket typed at the cursor would follow.
#include "base/limits.h"
#include "livehelp/help_decision.h"
#include "tests/support/test_support.h"

#include <string>

namespace {

// The name found before the end of text; "-" when none.
std::string NameBefore(const std::u16string& text) {
    char16_t name[kNameUnits];
    name[0] = u'?';
    int n = ExtractFunctionName(text.c_str(), static_cast<int>(text.size()), name);
    EXPECT_EQ(n, static_cast<int>(std::u16string(name).size())) << U8(text);
    return n > 0 ? U8(name) : "-";
}

TEST(ExtractFunctionName, TakesTheRunAfterTheLastPercentAt) {
    EXPECT_EQ(NameBefore(u"echo %@len"), "LEN");
    EXPECT_EQ(NameBefore(u"%%@len"), "LEN");
    EXPECT_EQ(NameBefore(u"%@a[%@Left"), "LEFT");
    EXPECT_EQ(NameBefore(u"%@my_fn$"), "MY_FN$");
    EXPECT_EQ(NameBefore(u"%@x1"), "X1");
    // Only a-z are upper-cased; other letters and digits of the help file's classes count
    // as they stand.
    EXPECT_EQ(NameBefore(u"%@caf\u00E9\u00B2"), U8(u"CAF\u00E9\u00B2"));
    EXPECT_EQ(NameBefore(u"%@\u03B1\u03B2"), U8(u"\u03B1\u03B2"));
}

TEST(ExtractFunctionName, FindsNothingWithoutAWholeNameRightBeforeTheCursor) {
    for (const char16_t* text :
         {u"", u"len", u"@len", u"%len", u"%@", u"%", u"%@2x", u"%@_x", u"%@len x", u"%@a-b",
          u"%@LEN%", u"%@A%@", u"%@a[", u"% @len", u"%@a\u00D7", u"a@left"}) {
        EXPECT_EQ(NameBefore(text), "-") << U8(text);
    }
}

TEST(ExtractFunctionName, AcceptsAtMost47Units) {
    std::u16string name47(47, u'n');
    EXPECT_EQ(NameBefore(u"%@" + name47), std::string(47, 'N'));
    EXPECT_EQ(NameBefore(u"%@" + name47 + u"n"), "-");
    EXPECT_EQ(NameBefore(u"%@" + std::u16string(5000, u'n')), "-");
}

TEST(ExtractFunctionName, LooksOnlyBeforeTheGivenLength) {
    const char16_t* line = u"%@left[x]%@right";
    char16_t name[kNameUnits];
    EXPECT_EQ(ExtractFunctionName(line, 6, name), 4);
    EXPECT_EQ(std::u16string(name), u"LEFT");
    EXPECT_EQ(ExtractFunctionName(line, 4, name), 2);
    EXPECT_EQ(std::u16string(name), u"LE");
    EXPECT_EQ(ExtractFunctionName(line, 0, name), 0);
    EXPECT_EQ(name[0], 0);
}

TEST(ExtractFunctionName, MissingBuffersAreRefusedUntouched) {
    char16_t name[kNameUnits] = u"keep";
    EXPECT_EQ(ExtractFunctionName(nullptr, 3, name), -1);
    EXPECT_EQ(std::u16string(name), u"keep");
    EXPECT_EQ(ExtractFunctionName(u"%@a", 3, nullptr), -1);
}

} // namespace
