// Arbitrary command lines, cursor positions and key codes through the keystroke handler,
// against a small help table and a host window with a status bar. The handler must never
// read outside the line, and what it sends the status bar must be a terminated text.
#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_windows.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "host/hostshell/host_control.h"
#include "livehelp/help_line.h"
#include "livehelp/status_bar.h"
#include "platform/platform.h"
#include "plugin/exports.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
char g_syntax[][24] = {"@A[x]", "@B[y,z]", "@LEFT[n,s]", "@LEN[s]", "@X_1$[q]"};
char g_info[] = "Some help\xc2\xb6with a break\xc2\xactab";

void BuildTable() {
    static HelpEntry entries[5] = {};
    const char16_t* names[] = {u"A", u"B", u"LEFT", u"LEN", u"X_1$"};
    for (int i = 0; i < 5; ++i) {
        entries[i].name = names[i];
        entries[i].syntax = g_syntax[i];
        entries[i].info = i % 2 ? g_info : nullptr;
    }
    FuzzAssert(LoadHelpEntries(entries, u"fuzz.txt"), "the table is built");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool prepared = false;
    if (!prepared) {
        BuildTable();
        FuzzMakeHostWindow();
        prepared = true;
    }
    if (size < 3) {
        return 0;
    }
    static const int kKeys[] = {u'[', u']', 0, u'[', u']', u'a', 0x5B5B, 8, u',', 0x1F600};
    int keyCode = kKeys[data[0] % 10];
    // The high bit: help follows the typing, so that every key goes through its decision.
    PlatformSetEnvironmentVariable(u"HintbarFollow", data[0] & 0x80 ? u"on" : nullptr);
    size_t units = std::min<size_t>((size - 2) / 2, 40000);
    std::unique_ptr<char16_t[]> line(new char16_t[units + 1]);
    if (units) {
        memcpy(line.get(), data + 2, units * 2);
    }
    line[units] = 0;
    size_t cursor = units ? data[1] * units / 255 : 0;

    KeyEvent event{};
    event.key = keyCode;
    event.line = (keyCode == 0 && (data[1] & 1)) ? nullptr : line.get();
    event.cursor = line.get() + cursor;
    FuzzAssert(key(&event) == 0, "key returns 0");
    FuzzAssert(event.line == nullptr || event.line == line.get(), "the event is not changed");
    FuzzAssert(!TextBeforeHelp() || LineCaptured(), "a saved text belongs to a line with help");
    return 0;
}
