// Filling the main template around a converted page: 100 KB, 1 MB and 10 MB fragments of
// Shift_JIS HTML, with the tag texts as they are (the usual case) and converted to UTF-8
// (TitleEncodingUTF8). Throughput is counted in fragment bytes; 1 MB against 10 MB shows
// whether filling stays linear.
#include "render/UTemplateLib.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace tarnel;

// The shape of the shipped main template: a head full of tags, then the page.
const char* const kMainTemplate = R"(<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="<#Encoding>">
<meta name="generator" content="Tarnel <#Version>">
<base href="<#DocumentPath>">
<title><#Title></title>
<link rel="icon" href="<#TemplatePath>/tarnel.svg">
<link rel="stylesheet" href="<#CSSPath>/<#CSSFile>">
</head>
<body class="view">
<div id="layout">
<nav id="menubar"><#Menubar></nav>
<div id="page">
<header id="header"><h1 class="page-title"><#Title></h1></header>
<div id="contents"><#Contents></div>
<main id="body">
<#Main>
</main>
</div>
</div>
</body>
</html>
)";

// A deterministic fragment of converter output: paragraphs, lists, tables and links
// mixing ASCII markup with Japanese text, in display form.
std::string MakeFragment(std::size_t bytes) {
    const std::vector<std::string> lines = {
        "<h2><a name=\"i0\">\xE8\xA6\x8B\xE5\x87\xBA\xE3\x81\x97</a></h2>",
        "<p>\xE3\x81\x93\xE3\x81\xAE\xE3\x82\xA6\xE3\x82\xA3\xE3\x82\xAD\xE3\x81\xAF "
        "<a href=\"WikiLink:46726F6E7450616765.txt\">FrontPage</a> "
        "\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82</p>",
        "<ul class=\"list1\">",
        "  <li>\xE9\xA0\x85\xE7\x9B\xAE <strong>bold</strong> "
        "<span class=\"newlink-name\">\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84</span>"
        "<a href=\"NewLink:A4A2.txt\" class=\"newlink\">?</a></li>",
        "</ul>",
        "<table><tr><td>\xE5\x90\x8D\xE5\x89\x8D</td><td>123</td></tr></table>",
        "<pre class=\"verbatim-hard\">code &lt;b&gt; \xE6\x95\xB4\xE5\xBD\xA2</pre>",
    };
    std::vector<std::string> display;
    for (const std::string& line : lines)
        display.push_back(Utf8ToShiftJis(line) + "\r\n");
    std::string out;
    out.reserve(bytes + 256);
    std::uint32_t state = 12345;
    while (out.size() < bytes) {
        state = state * 1103515245u + 12345u;
        out += display[(state >> 16) % display.size()];
    }
    return out;
}

void BM_FillMainTemplate(benchmark::State& state, bool utf8) {
    const std::string html = MakeFragment(static_cast<std::size_t>(state.range(0)));
    TPageTags page;
    page.Html = html;
    page.Title = Utf8ToShiftJis("\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8 & <title>");
    page.ContentsHtml = "<div class=\"toc\">\r\n<ul class=\"toc-1\">\r\n<li><a href=\"#i0\">x</a>"
                        "</li>\r\n</ul>\r\n</div>\r\n";
    page.TemplateFolder = "/usr/lib/tarnel/Template";
    page.CssFolder = "/usr/lib/tarnel/css";
    page.DesignName = "default";
    page.DocumentFolder = "/home/user/\xE3\x82\xA6\xE3\x82\xA3\xE3\x82\xAD/";
    page.TitleEncodingUTF8 = utf8;
    page.MenuBar = [] {
        return std::string("<ul class=\"list1\">\r\n  <li>menu</li>\r\n</ul>\r\n");
    };

    TPageProducer producer;
    producer.OnHTMLTag = MainTagHandler(page);
    for (auto _ : state) {
        std::string html = producer.ContentFromString(kMainTemplate);
        benchmark::DoNotOptimize(html.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.Html.size()));
}

BENCHMARK_CAPTURE(BM_FillMainTemplate, ShiftJis, false)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FillMainTemplate, Utf8Tags, true)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMicrosecond);

// A template of many tags and much plain markup: the filler's own scanning speed.
void BM_ScanLargeTemplate(benchmark::State& state) {
    std::string templ;
    while (templ.size() < (1u << 20))
        templ += "<div class=\"row\">< # Title a='>' > <span>text &amp; more</span> a < b</div>\n";
    TPageTags page;
    page.Title = "T";
    TPageProducer producer;
    producer.OnHTMLTag = MainTagHandler(page);
    for (auto _ : state) {
        std::string html = producer.ContentFromString(templ);
        benchmark::DoNotOptimize(html.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(templ.size()));
}
BENCHMARK(BM_ScanLargeTemplate)->Unit(benchmark::kMicrosecond);

} // namespace
