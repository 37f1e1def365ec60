// Showing a page: read the page file, convert it, fill the main template (with the menu
// bar), as the view gets it. Realistic YukiWiki pages of 100 KB and 1 MB; Google Benchmark
// reports the median of the repetitions.
#include "render/UWikiSession.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

using namespace tarnel;

namespace {

std::string MakePage(std::size_t bytes) {
    const std::string ja =
        "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42";
    std::string page;
    for (int n = 0; page.size() < bytes; ++n) {
        page += "*Section " + std::to_string(n) + " " + ja + "\n";
        page += "Paragraph with FrontPage, [[" + ja + "]] and http://example.com/ plus ''bold''. " +
                ja + "\n\n";
        page += "-item " + ja + "\n--nested WikiName\n\n,a,b,c\n, x ,y,==\n\n";
    }
    return ShiftJisToEucJp(page);
}

void BM_ShowDocument(benchmark::State& state) {
    namespace fs = std::filesystem;
    std::string wiki = (fs::temp_directory_path() / "tarnel-bench-show/").string();
    fs::create_directories(wiki);
    std::string file =
        wiki + EncodePageName("Big" + std::to_string(state.range(0)), false) + ".txt";
    std::ofstream(file, std::ios::binary) << MakePage(static_cast<std::size_t>(state.range(0)));
    std::ofstream(wiki + EncodePageName("MenuBar", false) + ".txt", std::ios::binary)
        << "-FrontPage\n-[[Help]]\n";
    TWikiSession session(TARNEL_BENCH_APP_DIR);
    session.Start((fs::temp_directory_path() / "tarnel-bench-settings.ini").string());
    for (auto _ : state)
        benchmark::DoNotOptimize(session.ShowDocument(file));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ShowDocument)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace
