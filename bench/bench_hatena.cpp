// Speed of the Hatena converter on whole generated pages of 1 MB and 10 MB in stored form.
// The two sizes side by side show whether the cost grows linearly with the page.
#include "conversion/UHatenaDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

// A page as people write them: headings, paragraphs of Japanese and ASCII text with tags,
// links, footnotes and bracket calls, lists, a quotation, a table and verbatim blocks.
std::string MakePage(std::size_t bytes) {
    static const char* const kBlock[] = {
        "*日記 ((見出しの脚注))",
        "今日は http://example.com/diary を見て [[FrontPage]] を直した。<b>太字</b>も使える。",
        "Hatena 記法では <a href=\"http://example.com/\">タグ</a> がそのまま通り、[color:red] "
        "は呼び出し。",
        "脚注は((括弧二つで書く http://example.com/note))と本文の末尾に並ぶ。",
        "",
        "**箇条書き",
        "-一つ目の項目 [[はじめに]]",
        "--入れ子の項目",
        "+番号つき",
        ">>",
        "引用された段落。",
        "<<",
        "|*名前|*値|",
        "|幅|120|",
        ":用語:説明の文",
        ">||",
        "int main() { return a < b && c > d; }",
        "||<",
        ">|",
        "ソフト整形の中の一行",
        "|<",
        "",
        "",
    };
    std::string page;
    page.reserve(bytes + 256);
    while (page.size() < bytes) {
        for (const char* line : kBlock) {
            page += Utf8ToShiftJis(line);
            page += '\n';
        }
    }
    return ShiftJisToEucJp(page);
}

void BM_HatenaPage(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)));
    THatenaDocumentConverter converter;
    TPluginShelf none;
    converter.Options.Plugins = &none;
    for (auto _ : state) {
        converter.Convert("/nonexistent/wiki/46726F6E7450616765.txt", page);
        benchmark::DoNotOptimize(converter.Html);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_HatenaPage)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

} // namespace
