// Keystroke costs: "[" against a table of 100,000 functions, and "]" at the end of long lines.
#include "base/limits.h"
#include "base/product.h"
#include "base/text16.h"
#include "bench/help_files.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "livehelp/status_bar.h"
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

} // namespace
