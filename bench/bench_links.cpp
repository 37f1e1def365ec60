// The cost of page links: a link-heavy 1 MB page in a wiki of 10,000 pages, converted with
// the file system asked for every link (a converter with no page names given) and with the
// session's page-name set. Each line holds five WikiNames and bracketed names, half of them
// existing pages.
#include "GeneratedWiki.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"
#include "render/UPageNameSet.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

std::string LinkPage(std::size_t bytes) {
    std::string page;
    for (int n = 0; page.size() < bytes; ++n) {
        page += "See [[Page" + std::to_string(n % 10000) + "]] and [[Missing" + std::to_string(n) +
                "]], FrontPage, WikiName" + std::to_string(n % 7) + " and [[Page" +
                std::to_string((n * 7) % 10000) + "]] for more.\n";
    }
    return page;
}

void BM_LinkHeavyPage(benchmark::State& state, TWikiNotation notation, bool nameSet) {
    const std::string& wiki = bench::GeneratedWiki();
    const std::string page = LinkPage(1 << 20);
    TPluginShelf plugins;
    TWikiFileList list;
    list.folder = wiki;
    list.Update();
    TPageNameSet names;
    names.Assign(list);
    TConverterOptions options;
    options.Plugins = &plugins;
    options.Pages = nameSet ? &names : nullptr;
    auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(notation, options);
    converter->FileName = wiki + "46726F6E7450616765.txt";
    for (auto _ : state) {
        converter->ResetConversionState();
        converter->FileName = wiki + "46726F6E7450616765.txt";
        benchmark::DoNotOptimize(converter->ConvertBlocks(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}

BENCHMARK_CAPTURE(BM_LinkHeavyPage, YukiWikiStatPerLink, TWikiNotation::YukiWiki, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LinkHeavyPage, YukiWikiPageNameSet, TWikiNotation::YukiWiki, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LinkHeavyPage, PukiWikiStatPerLink, TWikiNotation::PukiWiki, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LinkHeavyPage, PukiWikiPageNameSet, TWikiNotation::PukiWiki, true)
    ->Unit(benchmark::kMillisecond);

} // namespace
