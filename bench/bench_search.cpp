// Search over a generated wiki of 10,000 pages of about 4 KB each (EUC-JP, as Tarnel
// stores them), with one term and with three, and over one of 100,000 pages, beside
// `grep -rliF` of the same term over the same folder in the same run.
#include "GeneratedWiki.h"
#include "storage/UDocumentSearching.h"
#include "storage/UWikiFileList.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

using namespace tarnel;
using tarnel::bench::GeneratedWiki;
using tarnel::bench::kPages;

namespace {

void BM_SearchOneTerm(benchmark::State& state) {
    const std::string& folder = GeneratedWiki();
    TWikiFileList results;
    for (auto _ : state)
        RunSearch("needle", folder, ".txt", results, {});
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["found"] = results.Count();
}
BENCHMARK(BM_SearchOneTerm)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SearchThreeTerms(benchmark::State& state) {
    const std::string& folder = GeneratedWiki();
    TWikiFileList results;
    for (auto _ : state)
        RunSearch("needle rare WORD", folder, ".txt", results, {});
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["found"] = results.Count();
}
BENCHMARK(BM_SearchThreeTerms)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same search in a wiki of 100,000 pages (400 MB), beside grep.
constexpr int kLargeWiki = 100000;

void BM_SearchLargeWiki(benchmark::State& state) {
    const std::string& folder = GeneratedWiki(kLargeWiki);
    TWikiFileList results;
    for (auto _ : state)
        RunSearch("needle", folder, ".txt", results, {});
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(kLargeWiki) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["found"] = results.Count();
}
BENCHMARK(BM_SearchLargeWiki)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_GrepLargeWiki(benchmark::State& state) {
    const std::string command = "grep -rliF needle " + GeneratedWiki(kLargeWiki) + " > /dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(kLargeWiki) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GrepLargeWiki)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_GrepOneTerm(benchmark::State& state) {
    const std::string command = "grep -rliF needle " + GeneratedWiki() + " > /dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GrepOneTerm)->Unit(benchmark::kMillisecond)->UseRealTime();

// A Japanese term (Shift_JIS as typed; the pages hold it in EUC-JP) that no page holds, and
// grep of its EUC-JP bytes.
const char* const kJapaneseTerm = "\x8c\x9f\x8d\xf5"; // "search" in Japanese

void BM_SearchJapaneseTerm(benchmark::State& state) {
    const std::string& folder = GeneratedWiki();
    TWikiFileList results;
    for (auto _ : state)
        RunSearch(kJapaneseTerm, folder, ".txt", results, {});
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["found"] = results.Count();
}
BENCHMARK(BM_SearchJapaneseTerm)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GrepJapaneseTerm(benchmark::State& state) {
    const std::string command =
        "grep -rlF \"$(printf '\\270\\241\\272\\367')\" " + GeneratedWiki() + " > /dev/null";
    for (auto _ : state)
        benchmark::DoNotOptimize(std::system(command.c_str()));
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GrepJapaneseTerm)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
