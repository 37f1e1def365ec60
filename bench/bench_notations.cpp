// Every notation on a link-heavy page and on plain prose, 1 MB and 10 MB, through Convert
// (stored form in, so the display conversion and repair are counted), in a wiki of 10,000
// pages whose names the converter gets from the session's page-name set. The 1 MB and
// 10 MB runs side by side show whether the cost grows linearly.
#include "../tests/GeneratedPages.h"
#include "GeneratedWiki.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"
#include "render/UPageNameSet.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>

using namespace tarnel;

namespace {

enum class Corpus { Links, Prose };

const std::string& StoredPage(Corpus corpus, std::size_t bytes) {
    static std::map<std::pair<int, std::size_t>, std::string> pages;
    auto key = std::make_pair(static_cast<int>(corpus), bytes);
    auto it = pages.find(key);
    if (it != pages.end()) return it->second;
    std::string display =
        corpus == Corpus::Links ? generated::LinkHeavyPage(bytes) : generated::ProsePage(bytes);
    return pages[key] = ShiftJisToEucJp(display);
}

void BM_Notation(benchmark::State& state, TWikiNotation notation, Corpus corpus) {
    const std::string& wiki = bench::GeneratedWiki();
    const std::string& page = StoredPage(corpus, static_cast<std::size_t>(state.range(0)));
    TPluginShelf plugins;
    TWikiFileList list;
    list.folder = wiki;
    list.Update();
    TPageNameSet names;
    names.Assign(list);
    TConverterOptions options;
    options.Plugins = &plugins;
    options.Pages = &names;
    auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(notation, options);
    for (auto _ : state) {
        converter->Convert(wiki + "46726F6E7450616765.txt", page);
        benchmark::DoNotOptimize(converter->Html.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}

#define TARNEL_NOTATION_BENCH(name)                                                                \
    BENCHMARK_CAPTURE(BM_Notation, name##Links, TWikiNotation::name, Corpus::Links)                \
        ->Arg(1 << 20)                                                                             \
        ->Arg(10 << 20)                                                                            \
        ->Unit(benchmark::kMillisecond);                                                           \
    BENCHMARK_CAPTURE(BM_Notation, name##Prose, TWikiNotation::name, Corpus::Prose)                \
        ->Arg(1 << 20)                                                                             \
        ->Arg(10 << 20)                                                                            \
        ->Unit(benchmark::kMillisecond)

TARNEL_NOTATION_BENCH(YukiWiki);
TARNEL_NOTATION_BENCH(PukiWiki);
TARNEL_NOTATION_BENCH(Hatena);
TARNEL_NOTATION_BENCH(MediaWiki);
TARNEL_NOTATION_BENCH(LivedoorWiki);
TARNEL_NOTATION_BENCH(FreeStyleWiki);
TARNEL_NOTATION_BENCH(Textile);
TARNEL_NOTATION_BENCH(Markdown);

} // namespace
