// Speed of the PukiWiki converter on whole generated pages of 1 MB and 10 MB in stored form.
// The two sizes side by side show whether the cost grows linearly with the page.
#include "conversion/UPukiWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

// A page as people write them: headings with anchors, paragraphs of Japanese and ASCII text
// with links, decorations, footnotes and plug-in calls, lists with a pre block inside, a
// quotation, an aligned block, pipe and CSV tables, definitions and a block plug-in.
std::string MakePage(std::size_t bytes) {
    static const char* const kBlock[] = {
        "* 今日の作業 [#work]",
        "// この行はコメント",
        "[[FrontPage]] から http://example.com/diary?a=1&b=2 を見て WikiName を直した。~",
        "''強調'' と '''斜体''' と %%取り消し%% を使い、注釈((注釈の本文 [[はじめに]]))も付ける。",
        "&color(red){赤い字}; と &br; と &size(20){大きい字}; は行中のプラグイン。",
        "",
        "** 箇条書き",
        "-一つ目の項目 [[はじめに]]",
        "--入れ子の項目",
        " int main() { return a < b && c > d; }",
        "項目の続きの行",
        "+番号つき",
        "++番号の入れ子",
        "",
        "> 引用された段落。",
        ">> 二段目の引用",
        "",
        "|~名前|~値|~備考|h",
        "|りんご|120|>|",
        "|~|CENTER:BGCOLOR(yellow):黄色|COLOR(red):赤|",
        ",CSV,\"カンマ,入り\",右",
        ":用語|説明の文~",
        "RIGHT:右寄せの行",
        "#probe(){{",
        "ブロックプラグインの本文",
        "}}",
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

void BM_PukiWikiPage(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)));
    TPukiWikiDocumentConverter converter;
    TPluginShelf none; // plug-in calls stay text
    converter.Options.Plugins = &none;
    for (auto _ : state) {
        converter.Convert("/nonexistent/wiki/46726F6E7450616765.txt", page);
        benchmark::DoNotOptimize(converter.Html);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_PukiWikiPage)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);

} // namespace
