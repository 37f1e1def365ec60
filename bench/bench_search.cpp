// Search over a generated wiki of 10,000 pages of about 4 KB each (EUC-JP, as Tarnel
// stores them), with one term and with three, beside `grep -rliF` of the same term over
// the same folder in the same run.
#include "storage/UDocumentSearching.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tarnel;

namespace {

constexpr int kPages = 10000;

// The wiki is made once per run in the temporary folder.
const std::string& GeneratedWiki()
{
    static const std::string folder = [] {
        std::string dir = (std::filesystem::temp_directory_path() / "tarnel-bench-search/").string();
        std::filesystem::create_directories(dir);
        // Shift_JIS prose turned into the stored EUC-JP form.
        const std::string ja = ShiftJisToEucJp(
            "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42");
        for (int i = 0; i < kPages; ++i) {
            std::string name = "Page" + std::to_string(i);
            std::string text;
            while (text.size() < 4000) {
                text += "*Heading " + std::to_string(text.size()) + "\n";
                text += "Some words about topic " + std::to_string(i % 97) + " and FrontPage " + ja + "\n";
                text += "-item one\n-item two with more words " + ja + ja + "\n";
            }
            if (i % 100 == 0) text += "The rare needle word appears here.\n";
            std::ofstream(dir + EncodePageName(name, false) + ".txt", std::ios::binary) << text;
        }
        return dir;
    }();
    return folder;
}

void BM_SearchOneTerm(benchmark::State& state)
{
    const std::string& folder = GeneratedWiki();
    TWikiFileList results;
    for (auto _ : state) RunSearch("needle", folder, ".txt", results, {});
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["found"] = results.Count();
}
BENCHMARK(BM_SearchOneTerm)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SearchThreeTerms(benchmark::State& state)
{
    const std::string& folder = GeneratedWiki();
    TWikiFileList results;
    for (auto _ : state) RunSearch("needle rare WORD", folder, ".txt", results, {});
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.counters["found"] = results.Count();
}
BENCHMARK(BM_SearchThreeTerms)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GrepOneTerm(benchmark::State& state)
{
    const std::string command = "grep -rliF needle " + GeneratedWiki() + " > /dev/null";
    for (auto _ : state) benchmark::DoNotOptimize(std::system(command.c_str()));
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GrepOneTerm)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
