// Speed of the Markdown converter.
//
// BM_MarkdownPage converts a generated page as people write them (headings, paragraphs,
// lists, a quotation, tables, indented and fenced code, page links, inline and reference
// links, about a sixth of the bytes Japanese) at 100 KB, 1 MB and 10 MB in stored form:
// the same MB/s at every size means the cost grows linearly with the page.
//
// The other benchmarks are pages built to trap a converter that runs patterns over the
// whole text: openings whose closing part never comes, long runs of "*" and "_", and
// thousands of list items. Each runs at two sizes ten times apart.
//
// Files named in TARNEL_MARKDOWN_FILES (separated by ":") are converted as pages in stored
// form too; bench/compare-markdown.sh uses this to time Tarnel on the very inputs it
// gives to other Markdown converters.
#include "conversion/UMarkdownDocumentConverter.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

using namespace tarnel;

namespace {

const char* const kPageFile = "/nonexistent/wiki/46726F6E7450616765.txt";

// One section of the generated page (UTF-8 here; the page is built in Shift_JIS and
// stored as EUC-JP like a page file). bench/compare-markdown.sh writes the same section.
const char* const kSection[] = {
    "# Release notes and `code` for [[FrontPage]]",
    "",
    "This paragraph explains the *changes* of the **release** with a "
    "[link](http://example.com/page \"Title\")",
    "and an address <http://example.com/download>, refers to [the manual][manual] and ends with "
    "two blanks  ",
    "before the next line, which mentions a_b and 3 < 4 & 5.",
    "",
    "日本語の段落です。ソフトウェアの表示とポイントを確認します。**太字**と`コード`もあります。",
    "",
    "* first item with `inline code` and _emphasis_",
    "* second item linking [[Page Name]]",
    "* 三つ目の項目には [[日本語のページ]] へのリンク",
    "    * nested item",
    "    * another nested item",
    "* third item",
    "",
    "",
    "1. ordered one",
    "2. ordered two",
    "",
    "> A quotation with *emphasis*",
    "> over two lines.",
    "> 引用の二行目も日本語で書かれています。",
    "",
    "| Name | Value | Note |",
    "|:-----|------:|:----:|",
    "| alpha | 100 | 説明 |",
    "| beta | 2,000 | *note* |",
    "| ガンマ | 30 | 表の中の日本語 |",
    "",
    "    int main() { return a < b && c > d; }",
    "    // an indented code block",
    "",
    "```",
    "fenced code <with tags>",
    "```",
    "",
    "小見出しの例",
    "------------",
    "",
    "二つ目の段落では、変換の速さとページの大きさの関係を確かめます。",
    "",
    "An image ![alt](pic.png \"Picture\") and a reference image ![logo][logo].",
    "",
    "[manual]: http://example.com/manual \"Manual\"",
    "[logo]: http://example.com/logo.png",
    "",
};

std::string StoredForm(const std::string& shiftJis) {
    return ShiftJisToEucJp(shiftJis);
}

std::string MakePage(std::size_t bytes) {
    std::string section;
    for (const char* line : kSection) {
        section += Utf8ToShiftJis(line);
        section += '\n';
    }
    std::string page;
    page.reserve(bytes + section.size());
    while (page.size() < bytes)
        page += section;
    return StoredForm(page);
}

std::string Repeat(const std::string& piece, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes)
        text += piece;
    return text;
}

void ConvertPage(benchmark::State& state, const std::string& page) {
    TMarkdownDocumentConverter converter;
    for (auto _ : state) {
        converter.Convert(kPageFile, page);
        benchmark::DoNotOptimize(converter.Html);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}

void BM_MarkdownPage(benchmark::State& state) {
    std::string page = MakePage(static_cast<std::size_t>(state.range(0)));
    std::size_t japanese = 0;
    for (char c : EucJpToShiftJis(page))
        japanese += static_cast<unsigned char>(c) >= 0x80;
    state.counters["japanese%"] =
        100.0 * static_cast<double>(japanese) / static_cast<double>(page.size());
    ConvertPage(state, page);
}
BENCHMARK(BM_MarkdownPage)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond);

// Block openings at line starts whose closing tag comes only before them.
void BM_MarkdownUnclosedHtml(benchmark::State& state) {
    ConvertPage(state, "</div>\n" + Repeat("<div>\n<pre class=\"x\">\ntext\n",
                                           static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_MarkdownUnclosedHtml)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// Fences that never close, and "[[", "`", "**" and "<...@" that never close.
void BM_MarkdownUnclosedSpans(benchmark::State& state) {
    auto half = static_cast<std::size_t>(state.range(0)) / 2;
    ConvertPage(state, Repeat("\n\n```\ncode\n", half) +
                           Repeat("text **a [[b `c <d@e *f _g ", half) + "\n");
}
BENCHMARK(BM_MarkdownUnclosedSpans)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// Long runs of "*" and "_" inside paragraph lines, and lines of them alone.
void BM_MarkdownMarkRuns(benchmark::State& state) {
    auto quarter = static_cast<std::size_t>(state.range(0)) / 4;
    std::string page = "a " + std::string(quarter, '*') + " b\n\n" + "a " +
                       std::string(quarter, '_') + " b\n\n" + std::string(quarter, '*') + "\n\n" +
                       Repeat("*a **b __c _d ", quarter) + "\n";
    ConvertPage(state, page);
}
BENCHMARK(BM_MarkdownMarkRuns)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// 10,000 and 100,000 list items in one list, with nested items among them.
void BM_MarkdownListItems(benchmark::State& state) {
    std::string page;
    for (int64_t i = 0; i < state.range(0); ++i)
        page += i % 5 == 4 ? "    * nested item\n" : "* list item\n";
    ConvertPage(state, page);
}
BENCHMARK(BM_MarkdownListItems)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_MarkdownFile(benchmark::State& state, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string page((std::istreambuf_iterator<char>(in)), {});
    if (page.empty()) {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    ConvertPage(state, page);
}

const bool kFilesRegistered = [] {
    const char* files = std::getenv("TARNEL_MARKDOWN_FILES");
    if (!files) return false;
    std::string list(files);
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t colon = list.find(':', start);
        std::string path =
            list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!path.empty())
            benchmark::RegisterBenchmark(("BM_MarkdownFile/" + path).c_str(), BM_MarkdownFile, path)
                ->Unit(benchmark::kMillisecond);
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return true;
}();

} // namespace
