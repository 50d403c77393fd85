// Start-up costs: loading help files of growing size in each encoding, beside what merely
// seeing every byte (memchr) or merely decoding (iconv) costs; encoding detection on small and
// huge files; and releasing a large table at shutdown.
#include "base/limits.h"
#include "base/product.h"
#include "bench/help_files.h"
#include "helptable/help_loader.h"
#include "helptable/help_sources.h"
#include "helptable/help_table.h"
#include "plugin/exports.h"
#include "textinput/encoding.h"

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void SetLabel(benchmark::State& state, BenchEncoding encoding, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetLabel(EncodingName(encoding));
}

// glibc keeps small freed blocks aside and merges them into free space only at the next large
// request. Asking for one right after a free charges that merge to the free that caused it,
// instead of to whatever runs next.
void SettleHeap() {
    void* block = malloc(64 << 10);
    benchmark::DoNotOptimize(block);
    free(block);
}

// Loads one file over and over; the table is freed outside the timing. Settling charges the
// free's deferred work to the free; without it the next load pays for it, as an "hbar" reload
// of a large file does under glibc. The repetitions of all cases run in a random order, so
// each begins with a load of its own, untimed: the first load after another case's pays for
// the heap that case left (grown, or given back), which no later load does.
void RunLoads(benchmark::State& state, int functions, BenchEncoding encoding, bool settle) {
    std::string path = HelpFilePath(functions, encoding);
    std::u16string name = Wide(path);
    size_t bytes = ReadAll(path).size();
    (void)LoadHelpFile(name.c_str()); // its tree frees itself
    if (settle) {
        SettleHeap();
    }
    for (auto _ : state) {
        HelpTree tree = LoadHelpFile(name.c_str()).tree;
        if (!tree.root) {
            state.SkipWithError("load failed");
            break;
        }
        state.PauseTiming();
        FreeHelpTree(tree);
        if (settle) {
            SettleHeap();
        }
        state.ResumeTiming();
    }
    SetLabel(state, encoding, bytes);
}

void BM_Load(benchmark::State& state, int functions, BenchEncoding encoding) {
    RunLoads(state, functions, encoding, true);
}

void BM_LoadRightAfterFree(benchmark::State& state, int functions, BenchEncoding encoding) {
    RunLoads(state, functions, encoding, false);
}

void BM_BaselineMemchrLines(benchmark::State& state, int functions, BenchEncoding encoding) {
    std::string bytes = ReadAll(HelpFilePath(functions, encoding));
    for (auto _ : state) {
        size_t lines = 0;
        const char* p = bytes.data();
        const char* end = p + bytes.size();
        while ((p = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p))))) {
            ++lines;
            ++p;
        }
        benchmark::DoNotOptimize(lines);
    }
    SetLabel(state, encoding, bytes.size());
}

void BM_BaselineIconv(benchmark::State& state, int functions, BenchEncoding encoding) {
    std::string bytes = ReadAll(HelpFilePath(functions, encoding));
    const char* from = encoding == BenchEncoding::Utf8      ? "UTF-8"
                       : encoding == BenchEncoding::Utf16LE ? "UTF-16LE"
                                                            : "CP1252";
    std::vector<char> out(bytes.size() * 2 + 16);
    for (auto _ : state) {
        iconv_t cd = iconv_open("UTF-16LE", from);
        char* in = bytes.data();
        size_t inLeft = bytes.size();
        char* o = out.data();
        size_t outLeft = out.size();
        iconv(cd, &in, &inLeft, &o, &outLeft);
        iconv_close(cd);
        benchmark::DoNotOptimize(o);
    }
    SetLabel(state, encoding, bytes.size());
}

// The cases are named by size and encoding, e.g. BM_Load/10000/utf8.
using LoadCase = void (*)(benchmark::State&, int, BenchEncoding);

void RegisterLoads(const char* name, LoadCase run, std::initializer_list<int> sizes,
                   std::initializer_list<BenchEncoding> encodings) {
    for (int size : sizes) {
        for (BenchEncoding encoding : encodings) {
            std::string full =
                std::string(name) + "/" + std::to_string(size) + "/" + EncodingName(encoding);
            benchmark::RegisterBenchmark(full.c_str(), run, size, encoding)
                ->Unit(benchmark::kMillisecond);
        }
    }
}

const bool g_loadsRegistered = [] {
    const auto all = {BenchEncoding::Utf8, BenchEncoding::Utf16LE, BenchEncoding::Ansi};
    const auto sizes = {1000, 10000, 100000};
    RegisterLoads("BM_Load", BM_Load, sizes, all);
    RegisterLoads("BM_LoadRightAfterFree", BM_LoadRightAfterFree, {10000, 100000}, all);
    RegisterLoads("BM_BaselineMemchrLines", BM_BaselineMemchrLines, sizes, all);
    RegisterLoads("BM_BaselineIconv", BM_BaselineIconv, sizes, all);
    return true;
}();

// Detection looks at a bounded start of the data, so a huge file costs what a small one does.
void BM_DetectEncoding(benchmark::State& state) {
    size_t size = static_cast<size_t>(state.range(0)) << 20;
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        text += "@left[n,string] - Returns the leftmost n characters of a string, caf\xc3\xa9.\n";
    }
    text.resize(size);
    TextSource source{};
    source.data = reinterpret_cast<const uint8_t*>(text.data());
    source.size = static_cast<uint32_t>(text.size());
    source.ansiCodePage = 1252;
    for (auto _ : state) {
        source.position = 0;
        source.bomLength = 0;
        benchmark::DoNotOptimize(DetectEncoding(&source));
    }
    state.SetLabel(std::to_string(state.range(0)) + " MiB");
}
BENCHMARK(BM_DetectEncoding)->Arg(1)->Arg(64)->Unit(benchmark::kMicrosecond);

// What any reader of the detector's window pays: one pass over its 256 KiB.
void BM_BaselineScan256KiB(benchmark::State& state) {
    std::string text(256 << 10, 'a');
    for (auto _ : state) {
        benchmark::DoNotOptimize(memchr(text.data(), 0x80, text.size()));
    }
}
BENCHMARK(BM_BaselineScan256KiB)->Unit(benchmark::kMicrosecond);

// Each repetition begins with an unload of its own, untimed, as the loads do: the first free
// after another case's work would give back to the system what that case left in the heap.
void BM_ShutdownFrees100k(benchmark::State& state) {
    std::u16string name = Wide(HelpFilePath(100000, BenchEncoding::Utf8));
    (void)LoadHelpTable(name.c_str(), name.c_str());
    ShutdownPlugin(0);
    SettleHeap();
    for (auto _ : state) {
        state.PauseTiming();
        (void)LoadHelpTable(name.c_str(), name.c_str());
        state.ResumeTiming();
        ShutdownPlugin(0);
        SettleHeap();
    }
}
// A fixed number of runs: each needs a load of 100,000 functions outside the timing, which
// takes far longer than the free that is timed.
BENCHMARK(BM_ShutdownFrees100k)->Iterations(20)->Unit(benchmark::kMillisecond);

// The floor for releasing as many blocks: plain free() of 100,000 nodes and their strings.
void BM_BaselineFree100k(benchmark::State& state) {
    std::vector<void*> blocks(300000);
    auto allocate = [&blocks] {
        for (size_t i = 0; i < blocks.size(); ++i) {
            blocks[i] = malloc(i % 3 == 0 ? 40 : 60);
        }
    };
    auto release = [&blocks] {
        for (void* block : blocks) {
            free(block);
        }
        SettleHeap();
    };
    allocate(); // the same untimed first round as the unload's
    release();
    for (auto _ : state) {
        state.PauseTiming();
        allocate();
        state.ResumeTiming();
        release();
    }
}
BENCHMARK(BM_BaselineFree100k)->Unit(benchmark::kMillisecond);

} // namespace
