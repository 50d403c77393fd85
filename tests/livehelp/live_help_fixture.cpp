#include "tests/livehelp/live_help_fixture.h"

#include "base/text16.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "host/hostshell/host_control.h"
#include "livehelp/help_line.h"
#include "livehelp/status_bar.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "plugin/exports.h"
#include "tests/livehelp/test_windows.h"

#include <algorithm>
#include <cstring>

namespace {
std::vector<std::u16string> g_sent;

void HB_CDECL RecordUsage(const char16_t* text) {
    g_sent.emplace_back(text);
}

char* HeapCopy(const char* text) {
    if (!text) {
        return nullptr;
    }
    size_t n = strlen(text) + 1;
    char* copy = static_cast<char*>(PlatformAlloc(n));
    memcpy(copy, text, n);
    return copy;
}
} // namespace

void LiveHelpTest::SetUp() {
    HostTest::SetUp();
    g_sent.clear();
    HostSetStatusListener(RecordUsage);
    main_ = CreateTestWindow(nullptr, u"HintbarTestMain", u"Host");
    bar_ = CreateTestWindow(main_, u"XTPStatusBar", u"Ready");
    ASSERT_NE(bar_, nullptr);
    HostSetMainWindow(main_);
}

void LiveHelpTest::TearDown() {
    ResetPluginState();
    HostSetStatusListener(nullptr);
    HostSetMainWindow(nullptr);
    DestroyTestWindow(main_);
    EXPECT_EQ(PlatformLiveAllocations(), liveAtStart_) << "heap blocks left behind";
    HostTest::TearDown();
}

void LiveHelpTest::LoadHelp(const std::vector<HelpSpec>& specs) {
    UnloadHelp();
    std::vector<HelpEntry> entries(specs.size());
    std::vector<std::u16string> names(specs.size()); // the entries borrow them
    for (size_t i = 0; i < specs.size(); ++i) {
        names[i] = U16(specs[i].name);
        entries[i].name = names[i].c_str();
        entries[i].syntax = HeapCopy(specs[i].syntax);
        entries[i].info = HeapCopy(specs[i].info);
    }
    std::sort(entries.begin(), entries.end(), [](const HelpEntry& a, const HelpEntry& b) {
        return CompareHelpNames(a.name, b.name) < 0;
    });
    bool loaded = LoadHelpEntries(entries, nullptr);
    for (HelpEntry& entry : entries) { // the table holds copies
        PlatformFree(entry.syntax);
        PlatformFree(entry.info);
    }
    ASSERT_TRUE(loaded);
}

void LiveHelpTest::LoadSampleHelp() {
    LoadHelp({{"A", "@A[x]", "About A"},
              {"B", "@B[y]", nullptr},
              {"LE", "@LE[z]", nullptr},
              {"LEN", "@LEN[string]", "Length.\u00B6\u00ACSee also"},
              {"MY_FN$", "@MY_FN$[]", nullptr},
              {"EMPTY", "", "Info without syntax"},
              {kName47, "@N47[]", nullptr}});
}

void LiveHelpTest::UnloadHelp() {
    ::UnloadHelp();
}

void LiveHelpTest::Press(char16_t code, const std::u16string& line, size_t cursor) {
    std::u16string copy = line; // the host's own buffer, writable
    KeyEvent event = {};
    event.key = code;
    event.line = copy.data();
    event.cursor = copy.data() + std::min(cursor, copy.size());
    EXPECT_EQ(key(&event), 0);
    EXPECT_EQ(copy, line) << "the line must stay unchanged";
}

void LiveHelpTest::Boundary() {
    KeyEvent event = {};
    EXPECT_EQ(key(&event), 0);
}

void LiveHelpTest::SetSaved(const char16_t* text) {
    SeedHelpLine(text, LineCaptured());
}

void LiveHelpTest::MarkHelpShown() {
    SeedHelpLine(TextBeforeHelp(), true);
}

std::u16string LiveHelpTest::Bar() const {
    return TestWindowText(bar_);
}

std::u16string LiveHelpTest::Saved() {
    return TextBeforeHelp() ? std::u16string(TextBeforeHelp()) : u"(none)";
}

const std::vector<std::u16string>& LiveHelpTest::Sent() const {
    return g_sent;
}
void LiveHelpTest::ClearSent() {
    g_sent.clear();
}

std::u16string LiveHelpTest::Composed(const char* syntax, const char* info) {
    std::u16string text = u"\u200B";
    text += U16(syntax);
    if (info) {
        std::u16string body = U16(info);
        std::replace(body.begin(), body.end(), u'\u00B6', u'\n');
        std::replace(body.begin(), body.end(), u'\u00AC', u'\t');
        text += u"\r\n\n" + body;
    }
    return text;
}
