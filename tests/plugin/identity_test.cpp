#include "base/limits.h"
#include "base/product.h"
#include "plugin/exports.h"
#include "tests/support/test_support.h"

namespace {

TEST(Identity, RecordIsFilledAndStable) {
    PluginInfo* first = GetPluginInfo();
    PluginInfo* second = GetPluginInfo();
    ASSERT_EQ(first, second);
    EXPECT_EQ(U8(first->name), "Hintbar");
    EXPECT_EQ(U8(first->description), "Provides status-bar help for functions.");
    EXPECT_EQ(U8(first->implements), "hbar,*key");
    EXPECT_EQ(first->major, 0u);
    EXPECT_EQ(first->minor, 93u);
    EXPECT_EQ(first->build, 0u);
    EXPECT_NE(first->author, nullptr);
    EXPECT_NE(first->email, nullptr);
    EXPECT_NE(first->web, nullptr);
}

TEST(Identity, UsageAnswersForTheCommandInAnyCase) {
    for (const char16_t* name : {u"hbar", u"HBAR", u"Hbar"}) {
        char16_t buffer[1024] = u"untouched";
        EXPECT_EQ(Usage(name, buffer), 1) << U8(name);
        EXPECT_EQ(U8(buffer), "HBAR /I /L:filename /Q /A:filename /F:pattern /S /Z\r\n\n"
                              "\t/A:\tadd a help file to the loaded help\n"
                              "\t/F:\tshow a function's help (* and ? match any characters)\n"
                              "\t/I\tshow detailed memory usage\n"
                              "\t/L:\treload the data file\n\t/Q\tquietly\n"
                              "\t/S\tshow the help files loaded and where help shows\n"
                              "\t/Z\tunload the help\n\t/??\tshow this help and the version\n\n"
                              "If you load help text with /L, the text from the file will\n"
                              "replace all currently loaded help text.\n"
                              "A file added with /A keeps the loaded help text; its functions\n"
                              "replace those of the same name.\n"
                              "A name that begins with \"/\" is quoted after a colon: "
                              "/L:\"/path/Hintbar.txt\"\n");
    }
}

TEST(Identity, UsageIgnoresFunctionsVariablesAndOtherNames) {
    for (const char16_t* name : {u"@hbar", u"_hbar", u"hba", u"hbarx", u""}) {
        char16_t buffer[1024] = u"untouched";
        EXPECT_EQ(Usage(name, buffer), 0) << U8(name);
        EXPECT_EQ(U8(buffer), "untouched");
    }
    char16_t buffer[1024] = u"untouched";
    EXPECT_EQ(Usage(nullptr, buffer), 0);
    EXPECT_EQ(U8(buffer), "untouched");
    EXPECT_EQ(Usage(u"hbar", nullptr), 0);
}

TEST(Identity, HelpRefusesOtherNames) {
    EXPECT_EQ(Help(u"other"), 0);
    EXPECT_EQ(Help(u"hbarx"), 0);
    EXPECT_EQ(Help(nullptr), 0);
}

} // namespace
