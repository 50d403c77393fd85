#include "base/format16.h"
#include "base/host.h"
#include "command/error_messages.h"
#include "host/hostshell/host_control.h"
#include "interface/host_services.h"
#include "tests/support/test_support.h"

#include <vector>

namespace {

class HostServices : public HostTest {};

std::string Expanded(const char16_t* expression) {
    std::vector<char16_t> buffer(32768);
    Format16(buffer, u"%s", expression);
    ExpandVariables(buffer.data(), 1);
    return U8(buffer.data());
}

TEST_F(HostServices, PrintfFormatsTheDirectivesThePluginUses) {
    Printf(u"%s|%u|%d|%I64u|%%|%5u|%-4d|%04x|%.3s\r\n", u"text", 42u, -7, 12345678901ull, 7u, 3,
           0xabu, u"abcdef");
    EXPECT_EQ(CapturedOut(), "text|42|-7|12345678901|%|    7|3   |00ab|abc\r\n");
    Qprintf(ErrorHandle(), u"%s", u"err\u00e9");
    EXPECT_EQ(CapturedErr(), "err\u00e9");
    QPuts(u"100% as is");
    EXPECT_EQ(CapturedOut(), "text|42|-7|12345678901|%|    7|3   |00ab|abc\r\n100% as is");
}

TEST(Format16, NeverWritesPastTheBuffer) {
    char16_t buffer[8];
    buffer[7] = u'#';
    size_t n = Format16({buffer, 7}, u"%s and more", u"0123456789");
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(U8(buffer), "012345");
    EXPECT_EQ(buffer[7], u'#');
    EXPECT_EQ(Format16({buffer, 0}, u"x"), 0u);
    EXPECT_EQ(buffer[0], u'0');
    EXPECT_EQ(Format16(std::span<char16_t>{}, u"x"), 0u);
    EXPECT_EQ(Format16(buffer, nullptr), 0u);
    EXPECT_EQ(U8(buffer), "");
}

// One number or text through each directive, at the edges of its flags and width.
TEST(Format16, DirectivesWithTheirFlags) {
    const struct {
        const char16_t* format;
        int64_t number;
        const char* expected;
    } numbers[] = {
        {u"%5d", -7, "   -7"},      {u"%05d", -7, "-0007"},     {u"%-5d", -7, "-7   "},
        {u"%-05d", -7, "-7   "},    {u"%03d", -1234, "-1234"},  {u"%02d", -12, "-12"},
        {u"%3d", 123, "123"},       {u"%ld", -5, "-5"},         {u"%i", 0, "0"},
        {u"%x", 255, "ff"},         {u"%X", 255, "FF"},         {u"%hu", 65535, "65535"},
        {u"%q", 1, "%q"},           {u"100%", 1, "100"},        {u"%I5", 1, "%I5"},
        {u"%10d", 5, "         5"}, {u"%9x", 255, "       ff"}, // widths of every digit
    };
    char16_t buffer[64];
    for (const auto& c : numbers) {
        Format16(buffer, c.format, static_cast<int>(c.number));
        EXPECT_EQ(U8(buffer), c.expected) << U8(c.format);
    }
    Format16(buffer, u"%I64d|%I64x", INT64_MIN, uint64_t{0xFFFFFFFFFFull});
    EXPECT_EQ(U8(buffer), "-9223372036854775808|ffffffffff");
    Format16(buffer, u"[%s|%.s|%-4.2s|%04s|%c]", static_cast<const char16_t*>(nullptr), u"gone",
             u"abc", u"ab", u'z');
    EXPECT_EQ(U8(buffer), "[(null)||ab  |  ab|z]");
    Format16(buffer, u"%.10s|%.9s|%03c", u"0123456789ab", u"0123456789", u'z');
    EXPECT_EQ(U8(buffer), "0123456789|012345678|  z");
}

TEST_F(HostServices, ExpandsTheExpressionsThePluginHandsOver) {
    EXPECT_EQ(Expanded(u"%_batch"), "0");
    EXPECT_EQ(Expanded(u"%[_transient]%[_pipe]"), "00");
    HostSetTransient(1);
    EXPECT_EQ(Expanded(u"%[_transient]%[_pipe]"), "10");
    HostSetTransient(0);
    HostSetPipe(1);
    EXPECT_EQ(Expanded(u"%[_transient]%[_pipe]"), "01");
    HostSetPipe(0);
    HostSetBatch(u"job.btm", 7);
    EXPECT_EQ(Expanded(u"%_batch"), "1");
    EXPECT_EQ(Expanded(u"%_batchname [%_batchline]  "), "job.btm [7]  ");
    HostSetCommandSpec(u"C:\\Program Files\\Shell\\shell.exe");
    EXPECT_EQ(Expanded(u"%@path[%_cmdspec]"), "C:\\Program Files\\Shell\\");
    HostSetCommandSpec(u"/opt/shell/bin/shell");
    EXPECT_EQ(Expanded(u"%@path[%_cmdspec]"), "/opt/shell/bin/");
    HostSetCommandSpec(u"");
    EXPECT_EQ(Expanded(u"%@path[%_cmdspec]"), "");
}

TEST_F(HostServices, CommaGroupsThousands) {
    EXPECT_EQ(Expanded(u"%@comma[0]"), "0");
    EXPECT_EQ(Expanded(u"%@comma[999]"), "999");
    EXPECT_EQ(Expanded(u"%@comma[1000]"), "1,000");
    EXPECT_EQ(Expanded(u"%@comma[1234567]"), "1,234,567");
    EXPECT_EQ(Expanded(u"%@comma[-1234]"), "-1,234");
    EXPECT_EQ(Expanded(u"%@comma[12x]"), "12x");
    EXPECT_EQ(Expanded(u"%%@comma[5]"), "%@comma[5]");
}

TEST_F(HostServices, UnknownNamesStayAsWritten) {
    EXPECT_EQ(Expanded(u"%@nosuch[1] %_nosuch 100%"), "%@nosuch[1] %_nosuch 100%");
    EXPECT_EQ(Expanded(u"%@comma[1"), "%@comma[1");
}

TEST_F(HostServices, ExpansionIsCutToItsLimit) {
    std::u16string long_(3000, u'a');
    EXPECT_EQ(Expanded(long_.c_str()).size(), 1023u);
}

TEST_F(HostServices, TrueNameIsAbsoluteOrEmpty) {
    std::vector<char16_t> full(32768, u'?');
    EXPECT_EQ(QueryTrueName(u"", full.data()), -1);
    EXPECT_EQ(full[0], 0);
    full[0] = u'?';
    QueryTrueName(u"a|b", full.data());
    EXPECT_EQ(full[0], 0);
    QueryTrueName(u"some/./dir/../file.txt", full.data());
    std::string name = U8(full.data());
    EXPECT_NE(name, "");
    EXPECT_NE(name.find("some"), std::string::npos);
    EXPECT_EQ(name.find(".."), std::string::npos);
    EXPECT_EQ(name.substr(name.size() - 8), "file.txt");
}

TEST_F(HostServices, HwndIsAnsweredWithTheMainWindowOrNothing) {
    char16_t buffer[1024] = u"x";
    HostSetMainWindow(nullptr);
    HostIPC(u"HWND", buffer);
    EXPECT_EQ(U8(buffer), "");
    HostSetHwndAnswer(u"0");
    HostIPC(u"HWND", buffer);
    EXPECT_EQ(U8(buffer), "0");
    HostSetHwndAnswer(nullptr);
}

// A host that fills the buffers it is given to the brim: the door ends the text inside them.
TEST_F(HostServices, TheDoorEndsWhatAHostWritesToTheBrim) {
    HostSetFillBuffers(1);
    std::vector<char16_t> window(kMessageUnits + 1, u'x');
    EXPECT_TRUE(AskHostWindow(std::span<char16_t, kMessageUnits>(window.data(), kMessageUnits)));
    EXPECT_EQ(std::u16string(window.data()), std::u16string(kMessageUnits - 1, u'7'));
    EXPECT_EQ(window[kMessageUnits], u'x');
    std::vector<char16_t> full(kPathUnits + 1, u'x');
    HostTrueName(u"a.txt", std::span<char16_t, kPathUnits>(full.data(), kPathUnits));
    EXPECT_EQ(std::u16string(full.data()), std::u16string(kPathUnits - 1, u'A'));
    EXPECT_EQ(full[kPathUnits], u'x');
    HostSetFillBuffers(0);
}

std::u16string g_shown;
void HB_CDECL RecordShown(const char16_t* text) {
    g_shown = text;
}

TEST_F(HostServices, UsageWithoutATextShowsTheIdleText) {
    HostSetStatusListener(RecordShown);
    HostSetIdleText(u"Ready");
    char16_t help[] = u"help";
    char16_t empty[] = u"";
    HostIPC(u"USAGE", help);
    EXPECT_EQ(U8(g_shown), "help");
    HostIPC(u"USAGE", nullptr);
    EXPECT_EQ(U8(g_shown), "Ready");
    HostIPC(u"USAGE", help);
    HostIPC(u"USAGE", empty);
    EXPECT_EQ(U8(g_shown), "Ready");
    HostSetIdleText(nullptr);
    HostIPC(u"USAGE", nullptr);
    EXPECT_EQ(U8(g_shown), "");
    HostSetStatusListener(nullptr);
}

} // namespace
