// Speed of the livedoor Wiki converter on whole generated pages of 1 MB and 10 MB in stored
// form. The two sizes side by side show whether the cost grows linearly with the page.
#include "conversion/ULivedoorWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

// A page as people write them: headings, paragraphs of Japanese and ASCII text with links,
// decorations, line breaks, footnotes and plug-in calls, lists, quotations, pipe and comma
// tables with spans and header rows, definitions, and ascii-art and verbatim blocks.
std::string MakePage(std::size_t bytes) {
    static const char* const kBlock[] = {
        "* 今日の作業",
        "// この行はコメント",
        "[[はじめに]] から http://example.com/diary?a=1&b=2 を見て [[トップ>>FrontPage]] "
        "を直した。",
        "''強調'' と '''斜体''' と %%%挿入%%% と %%取り消し%% と __下付き__、注釈((注釈の本文))。",
        "行の途中で~~改行し、&color(red){赤い字} と &size(20){大きい字} を使う。",
        "",
        "** 箇条書き",
        "-一つ目の項目",
        "--入れ子の項目",
        "項目の後の行",
        "+番号つき",
        "",
        "> 引用された段落。",
        " 空白で始まる引用",
        "",
        "|~名前|値|備考|",
        "|りんご|120|>|",
        "|^|center:bgcolor(yellow):黄色|color(red):赤|",
        ",CSV,表,",
        ",^,二行目,",
        ":用語|説明の文",
        "=|AA|",
        "  ∧＿∧",
        " （ ´∀｀）<こんにちは",
        "||=",
        "=||",
        "int main() { return a < b && c > d; }",
        "||=",
        "----",
        "",
    };
    std::string page;
    page.reserve(bytes + 512);
    while (page.size() < bytes) {
        for (const char* line : kBlock) {
            page += Utf8ToShiftJis(line);
            page += '\n';
        }
    }
    return ShiftJisToEucJp(page);
}

void BM_LivedoorPage(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)));
    TLivedoorWikiDocumentConverter converter;
    TPluginShelf none; // plug-in calls stay text
    converter.Options.Plugins = &none;
    for (auto _ : state) {
        converter.Convert("/nonexistent/wiki/46726F6E7450616765.txt", page);
        benchmark::DoNotOptimize(converter.Html);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_LivedoorPage)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);

} // namespace
