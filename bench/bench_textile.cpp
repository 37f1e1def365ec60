// Speed of the Textile converter on whole generated pages of 1 MB and 10 MB in stored
// form. The two sizes side by side show whether the cost grows linearly with the page.
#include "conversion/UTextileDocumentConverter.h"
#include "plugins/UPluginShelf.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

// A page as people write them: headings, paragraphs of Japanese and ASCII text with
// phrase modifiers in both forms, quoted and page links, styled spans, plug-in calls,
// aligned blocks, quotations, lists, tables with cell prefixes, pre lines and a <pre>
// block.
std::string MakePage(std::size_t bytes) {
    static const char* const kBlock[] = {
        "h2. 日記",
        "今日は \"例のサイト\":http://example.com/diary を見て [[FrontPage|表紙]] を直した。",
        "*太字* と _強調_ と -削除- と +挿入+ と ??引用?? と @code@、単[*語*]の中も。",
        "%{color:red}赤い文字% と {{color(red,赤)}} と [\"角括弧\":http://example.com/a] と "
        "[[新しいページ]]。",
        "<b>タグ</b> は文字のまま、裸の http://example.com/ もそのまま。",
        "",
        "p=. 中央寄せの段落",
        "bq. 引用の行",
        "* 一つ目の項目",
        "** 入れ子の項目",
        "# 番号つき",
        "",
        "|_. 名前|_. 値|",
        "|\\2. つないだセル|",
        "|<. 左|>. 右|",
        " int main() { return a < b && c > d; }",
        "<pre>",
        "if (a < b) { *そのまま* }",
        "</pre>",
        "---",
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

void BM_TextilePage(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)));
    TTextileDocumentConverter converter;
    TPluginShelf none;
    converter.Options.Plugins = &none;
    for (auto _ : state) {
        converter.Convert("/nonexistent/wiki/46726F6E7450616765.txt", page);
        benchmark::DoNotOptimize(converter.Html);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TextilePage)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

} // namespace
