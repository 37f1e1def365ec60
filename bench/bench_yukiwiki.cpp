// YukiWiki conversion speed on a realistic generated page of 100 KB, 1 MB and 10 MB.
// The 1 MB and 10 MB runs side by side show whether the cost grows linearly.
#include "conversion/UYukiWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

// One section of a typical page in display form (Shift_JIS): headings, paragraphs with
// Japanese text and links, lists, a quotation, a table, a definition and a pre block.
std::string Section(int n) {
    const std::string ja =
        "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42"; // "Japanese
                                                                                    // sentence."
    std::string s;
    s += "*Section " + std::to_string(n) + " " + ja + "\n";
    s += "This paragraph links to FrontPage and [[" + ja + "]] and http://example.com/p" +
         std::to_string(n) + " with ''bold'' and '''italic''' text. " + ja + "\n";
    s += "A second line of the same paragraph, longer, so that lines look like real prose " + ja +
         ja + "\n\n";
    s += "**Items\n-first item with WikiName\n--nested item " + ja + "\n-second item\n\n";
    s += ">quoted text " + ja + "\n>>deeper quote\n\n";
    s += ",Name,Value,Note\n, centred ,right, " + ja + "\n,\"a,b\",==,c\n\n";
    s += ":Term:Description of the term " + ja + "\n";
    s += " preformatted line <with> & markup\n\n";
    return s;
}

std::string MakePage(std::size_t bytes) {
    std::string page;
    for (int n = 0; page.size() < bytes; ++n)
        page += Section(n);
    return page;
}

void BM_YukiWikiConvert(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)));
    TYukiWikiDocumentConverter converter;
    TPluginShelf plugins;
    converter.Options.Plugins = &plugins;
    converter.FileName = "/nonexistent/46726F6E7450616765.txt";
    for (auto _ : state)
        benchmark::DoNotOptimize(converter.ConvertBlocks(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_YukiWikiConvert)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);

} // namespace
