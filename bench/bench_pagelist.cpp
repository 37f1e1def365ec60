// Listing the page files of a folder of 10,000 pages: the page list of a big wiki.
#include "GeneratedWiki.h"
#include "storage/UWikiFileList.h"

#include <benchmark/benchmark.h>

using namespace tarnel;

namespace {

void BM_WikiFileListUpdate(benchmark::State& state) {
    TWikiFileList list;
    list.folder = bench::GeneratedWiki();
    for (auto _ : state)
        list.Update();
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(list.Count()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WikiFileListUpdate)->Unit(benchmark::kMillisecond);

void BM_PageNamesOfList(benchmark::State& state) {
    TWikiFileList list;
    list.folder = bench::GeneratedWiki();
    list.Update();
    for (auto _ : state)
        for (int i = 0; i < list.Count(); ++i)
            benchmark::DoNotOptimize(list.PageName(i));
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(list.Count()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PageNamesOfList)->Unit(benchmark::kMillisecond);

} // namespace
