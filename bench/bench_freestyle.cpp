// Speed of the FreeStyleWiki converter on whole generated pages of 1 MB and 10 MB in
// stored form. The two sizes side by side show whether the cost grows linearly with the
// page.
#include "conversion/UFreeStyleWikiDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

// A page as people write them: headings with and without anchor names, paragraphs of
// Japanese and ASCII text with decorations, bracketed links, addresses, plug-in calls,
// comments, quotations, lists, definitions, tables and pre lines.
std::string MakePage(std::size_t bytes) {
    static const char* const kBlock[] = {
        "!!!日記 [#diary]",
        "今日は http://example.com/diary を見て [[FrontPage]] と [表紙|FrontPage] を直した。",
        "'''太字''' と ''斜体'' と ==取り消し== と __挿入__、{{color red,赤い文字}} も使う。",
        "// 書きかけのメモはコメントにしておく",
        "まだない [[新しいページ]] や [画像|http://example.com/a.png] もある。<b>タグ</b> "
        "は文字のまま。",
        "",
        "!!箇条書き",
        "*一つ目の項目 [はじめに]",
        "**入れ子の項目",
        "+番号つき",
        "",
        "\"\"引用の行 ''強調'' 付き",
        ":用語:説明の文",
        ",名前,値,備考",
        ",\"カンマ,入り\",42,\"引用符\"\"入り\"",
        " int main() { return a < b && c > d; }",
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

void BM_FreeStyleWikiPage(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)));
    TFreeStyleWikiDocumentConverter converter;
    TPluginShelf none;
    converter.Options.Plugins = &none;
    for (auto _ : state) {
        converter.Convert("/nonexistent/wiki/46726F6E7450616765.txt", page);
        benchmark::DoNotOptimize(converter.Html);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_FreeStyleWikiPage)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

} // namespace
