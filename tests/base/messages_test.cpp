#include "base/messages.h"
#include "command/counts.h"
#include "command/error_messages.h"
#include "host/hostshell/host_control.h"
#include "interface/host_services.h"
#include "tests/support/test_support.h"

namespace {

class Messages : public HostTest {};

TEST_F(Messages, ErrorPrefixOutsideABatchFile) {
    WriteErrorPrefix();
    Qprintf(ErrorHandle(), u"message\r\n");
    EXPECT_EQ(CapturedErr(), "Hintbar plugin: message\r\n");
    EXPECT_EQ(CapturedOut(), "");
}

TEST_F(Messages, ErrorPrefixInsideABatchFileKeepsPercentSigns) {
    HostSetBatch(u"C:\\jobs\\50%done.btm", 12);
    WriteErrorPrefix();
    Qprintf(ErrorHandle(), u"message");
    EXPECT_EQ(CapturedErr(), "Hintbar plugin: C:\\jobs\\50%done.btm [12]  message");
}

TEST_F(Messages, CountsAreGroupedAndPluralised) {
    EXPECT_EQ(U8(FormatCount(0)), "0 functions");
    EXPECT_EQ(U8(FormatCount(1)), "1 function");
    EXPECT_EQ(U8(FormatCount(1234)), "1,234 functions");
    EXPECT_EQ(U8(FormatCount(5000000000ull)), "5,000,000,000 functions");
    EXPECT_EQ(U8(FormatCount(18446744073709551615ull)), "18,446,744,073,709,551,615 functions");
}

TEST_F(Messages, ByteCountsAreRightAlignedInNineColumns) {
    EXPECT_EQ(U8(FormatByteCount(0)), "        0 bytes");
    EXPECT_EQ(U8(FormatByteCount(0)).size(), 15u);
    EXPECT_EQ(U8(FormatByteCount(1)), "        1 byte");
    EXPECT_EQ(U8(FormatByteCount(1234567)), "1,234,567 bytes");
    EXPECT_EQ(U8(FormatByteCount(12)), "       12 bytes"); // starts afresh after a wide one
    EXPECT_EQ(U8(FormatByteCount(4294967296ull)), "4,294,967,296 bytes");
}

TEST_F(Messages, ByteCountResultIsOverwrittenByTheNextCall) {
    const char16_t* first = FormatByteCount(10);
    std::string printed = U8(first);
    const char16_t* second = FormatByteCount(20);
    EXPECT_EQ(printed, "       10 bytes");
    EXPECT_EQ(first, second);
    EXPECT_EQ(U8(first), "       20 bytes");
}

TEST(Pluralize, CountOfOneReturnsTheNounItself) {
    const char16_t* city = u"city";
    EXPECT_EQ(Pluralize(1, city), city);
    EXPECT_EQ(U8(Pluralize(1, nullptr)), "thing");
    EXPECT_EQ(U8(Pluralize(2, nullptr)), "things");
    EXPECT_EQ(U8(Pluralize(0, u"")), "things");
}

TEST(Pluralize, EnglishRulesInOrder) {
    const struct {
        const char16_t* noun;
        const char* plural;
    } cases[] = {
        {u"FUNCTION", "FUNCTIONS"},
        {u"CITY", "CITIES"},
        {u"city", "cities"},
        {u"AXIS", "AXES"},
        {u"X", "Xes"},
        {u"Function", "Functions"},
        {u"wolf", "wolfs"},
        {u"shelf", "shelves"},
        {u"day", "days"},
        {u"key", "keys"},
        {u"toy", "toys"},
        {u"guy", "guys"},
        {u"hero", "heroes"},
        {u"man", "men"},
        {u"woman", "women"},
        {u"human", "humen"},
        {u"index", "indices"},
        {u"bus", "buses"},
        {u"box", "boxes"},
        {u"church", "churches"},
        {u"bach", "baches"},
        {u"y", "ys"},
        {u"ex", "ices"}, // two letters: the first is the one before the last
        {u"byte", "bytes"},
        {u"\u00e9ty", "\u00e9ties"},
        // Each rule's letters one at a time: one letter off and the plain "s" applies.
        {u"2y", "2ys"},
        {u"kit", "kits"},
        {u"moth", "moths"},
        {u"dish", "dishes"},
        {u"can", "cans"},
        {u"mam", "mams"},
        {u"mon", "mons"},
        {u"kelp", "kelps"},
        {u"reef", "reefs"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(U8(Pluralize(2, c.noun)), c.plural) << U8(c.noun);
    }
}

TEST(Pluralize, ClassifiesCase) {
    EXPECT_EQ(ClassifyCase(nullptr), 0);
    EXPECT_EQ(ClassifyCase(u""), 0);
    EXPECT_EQ(ClassifyCase(u"123"), 0);
    EXPECT_EQ(ClassifyCase(u"X"), 1);
    EXPECT_EQ(ClassifyCase(u"X1"), 1);
    EXPECT_EQ(ClassifyCase(u"AB"), 2);
    EXPECT_EQ(ClassifyCase(u"ABc"), 0);
    EXPECT_EQ(ClassifyCase(u"\u00c9T\u00c9"), 2);
    EXPECT_EQ(ClassifyCase(u"\u0416\u0416"), 2); // Cyrillic capitals, from the system's tables
    EXPECT_EQ(ClassifyCase(u"\u0416\u0436"), 0);
}

TEST(Pluralize, NounTooLongForItsPluralIsReturnedUnchanged) {
    std::u16string fits(1021, u'x');
    EXPECT_EQ(U8(Pluralize(2, fits.c_str())), std::string(1021, 'x') + "es");
    std::u16string tooLong(1022, u'x');
    EXPECT_EQ(Pluralize(2, tooLong.c_str()), tooLong.c_str());
    std::u16string huge(5000, u'y');
    EXPECT_EQ(Pluralize(2, huge.c_str()), huge.c_str());
}

} // namespace
