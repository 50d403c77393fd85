// Keystroke costs: "[" against a table of 100,000 functions, and "]" at the end of long lines.
#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "bench/help_files.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "helptable/help_loader.h"
#include "host/hostshell/host_control.h"
#include "livehelp/help_decision.h"
#include "livehelp/help_text.h"
#include "livehelp/status_bar.h"
#include "platform/platform.h"
#include "plugin/exports.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// Loads the 100,000-function table into the HelpTable once.
void EnsureBigTable() {
    if (HelpTableRoot()) {
        return;
    }
    std::u16string name = Wide(HelpFilePath(100000, BenchEncoding::Utf8));
    (void)LoadHelpTable(name.c_str(), name.c_str());
}

// A name that is in the table: the middle one of an in-order walk.
std::u16string SomeLoadedName() {
    const HelpNode* node = HelpTableRoot();
    for (int i = 0; i < 6 && node->right; ++i) {
        node = node->right;
    }
    return std::u16string(node->name);
}

void BM_OpenBracket100k(benchmark::State& state) {
    EnsureBigTable();
    std::u16string line = u"echo %@" + SomeLoadedName();
    KeyEvent event{};
    event.key = u'[';
    event.line = line.data();
    event.cursor = line.data() + line.size();
    for (auto _ : state) {
        key(&event);
    }
}
BENCHMARK(BM_OpenBracket100k)->Unit(benchmark::kMicrosecond);

void BM_BaselineFind100k(benchmark::State& state) {
    EnsureBigTable();
    std::u16string name = SomeLoadedName();
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindHelpEntry(HelpTableRoot(), name.c_str()));
    }
}
BENCHMARK(BM_BaselineFind100k)->Unit(benchmark::kMicrosecond);

// A line of the given length with 64 open brackets and no "%", the cursor at its end.
std::u16string BracketLine(size_t length) {
    std::u16string line;
    for (int i = 0; i < 64; ++i) {
        line += u"ab[";
    }
    while (line.size() < length) {
        line += u'x';
    }
    return line;
}

// A line of nested function calls: %@f1[%@f2[... with arguments, closed now and then.
std::u16string NestedCallsLine(size_t length) {
    std::u16string line;
    int open = 0;
    for (int i = 0; line.size() < length; ++i) {
        if (open < 40 && i % 3 != 2) {
            line += u"%@left[" + std::u16string(u"12,");
            ++open;
        } else if (open > 0) {
            line += u"text]";
            --open;
        } else {
            line += u"%%x ";
        }
    }
    line.resize(length);
    return line;
}

void RunClose(benchmark::State& state, std::u16string line) {
    EnsureBigTable();
    KeyEvent event{};
    event.key = u']';
    event.line = line.data();
    event.cursor = line.data() + line.size();
    for (auto _ : state) {
        key(&event);
    }
    state.SetLabel(std::to_string(line.size()) + " units");
}

void BM_CloseBracket64Open(benchmark::State& state) {
    RunClose(state, BracketLine(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_CloseBracket64Open)->Arg(1024)->Arg(8192)->Arg(32768)->Unit(benchmark::kMicrosecond);

void BM_CloseBracketNestedCalls(benchmark::State& state) {
    RunClose(state, NestedCallsLine(static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_CloseBracketNestedCalls)->Arg(32768)->Unit(benchmark::kMicrosecond);

// The floor for any handler that looks at every unit before the cursor once.
void BM_BaselineScanLine(benchmark::State& state) {
    std::u16string line = BracketLine(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        int depth = 0;
        for (char16_t c : line) {
            depth += c == u'[' ? 1 : (c == u']' ? -1 : 0);
        }
        benchmark::DoNotOptimize(depth);
    }
}
BENCHMARK(BM_BaselineScanLine)->Arg(1024)->Arg(8192)->Arg(32768)->Unit(benchmark::kMicrosecond);

// Help that follows the typing, on the status bar where HintbarFollow=on turns it on: an
// ordinary character at the end of a 1,000-unit line inside a call, beside "[" at the same
// line, and the number of texts sent to the host over all the keys (0: the argument did not
// change, so nothing went).
uint64_t g_sent = 0;
void HB_CDECL CountSent(const char16_t* /*text*/) {
    ++g_sent;
}

std::u16string LongCallLine(const std::u16string& name) {
    std::u16string line = u"echo %@" + name + u"[12,";
    while (line.size() < 1000) {
        line += u'x';
    }
    return line;
}

void RunKeyAtLineEnd(benchmark::State& state, char16_t code, std::u16string line, bool follow) {
    EnsureBigTable();
    PlatformSetEnvironmentVariable(u"HintbarFollow", follow ? u"on" : nullptr);
    KeyEvent boundary{};
    key(&boundary);
    HostSetStatusListener(CountSent);
    g_sent = 0;
    KeyEvent event{};
    event.key = code;
    event.line = line.data();
    event.cursor = line.data() + line.size();
    key(&event); // the first help of the line, captured and sent once
    uint64_t first = g_sent;
    for (auto _ : state) {
        key(&event);
    }
    state.counters["sent"] = static_cast<double>(g_sent - first);
    HostSetStatusListener(nullptr);
    key(&boundary);
    PlatformSetEnvironmentVariable(u"HintbarFollow", nullptr);
}

void BM_FollowCharInCall1000(benchmark::State& state) {
    EnsureBigTable();
    RunKeyAtLineEnd(state, u'x', LongCallLine(SomeLoadedName()), true);
}
BENCHMARK(BM_FollowCharInCall1000)->Unit(benchmark::kMicrosecond);

void BM_OpenBracketAtLine1000(benchmark::State& state) {
    EnsureBigTable();
    std::u16string line = LongCallLine(u"x") + u" %@" + SomeLoadedName();
    RunKeyAtLineEnd(state, u'[', line, false);
}
BENCHMARK(BM_OpenBracketAtLine1000)->Unit(benchmark::kMicrosecond);

// Follow mode off (the default on the status bar): a key other than the three events.
void BM_OtherKeyFollowOff(benchmark::State& state) {
    EnsureBigTable();
    RunKeyAtLineEnd(state, u'x', LongCallLine(SomeLoadedName()), false);
}
BENCHMARK(BM_OtherKeyFollowOff)->Unit(benchmark::kMicrosecond);

// The names that begin with a two-letter prefix in a table of 10,000 functions.
void BM_MatchingNames10k(benchmark::State& state) {
    std::u16string name = Wide(HelpFilePath(10000, BenchEncoding::Utf8));
    HelpTree tree = LoadHelpFile(name.c_str()).tree;
    const HelpNode* node = tree.root;
    for (int i = 0; i < 5 && node && node->left; ++i) {
        node = node->left;
    }
    char16_t prefix[3] = {node ? node->name[0] : u'A', node ? node->name[1] : u'B', 0};
    const HelpNode* shown[kNamesShown];
    uint32_t total = 0;
    for (auto _ : state) {
        total = MatchingNames(tree.root, prefix, shown);
        benchmark::DoNotOptimize(total);
    }
    state.counters["matches"] = total;
}
BENCHMARK(BM_MatchingNames10k)->Unit(benchmark::kMicrosecond);

} // namespace
