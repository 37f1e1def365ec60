// Speed of the MediaWiki converter on whole generated pages of 1 MB and 10 MB in stored
// form. The two sizes side by side show whether the cost grows linearly with the page.
#include "conversion/UMediaWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

// A page as people write them: headings, paragraphs of Japanese and ASCII text with
// decorations, links, WikiNames, tags and templates, lists, definitions and pre lines.
std::string MakePage(std::size_t bytes) {
    static const char* const kBlock[] = {
        "== 日記 ==",
        "今日は http://example.com/diary を見て [[FrontPage|表紙]] を直した。'''太字''' と "
        "''斜体''。",
        "MediaWiki 記法では <span class=\"x\">タグ</span> がそのまま通り、{{color|red|赤}} "
        "は呼び出し。",
        "WikiName も [[はじめに]] もリンクになり、http://example.com/a.png は画像になる。",
        "",
        "=== 箇条書き ===",
        "* 一つ目の項目",
        "** 入れ子の項目",
        "# 番号つき",
        "続きの行",
        "",
        "; 用語 : 説明の文",
        " int main() { return a < b && c > d; }",
        " 整形済みの二行目",
        "----",
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

void BM_MediaWikiPage(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)));
    TMediaWikiDocumentConverter converter;
    TPluginShelf none;
    converter.Options.Plugins = &none;
    for (auto _ : state) {
        converter.Convert("/nonexistent/wiki/46726F6E7450616765.txt", page);
        benchmark::DoNotOptimize(converter.Html);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_MediaWikiPage)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

} // namespace
