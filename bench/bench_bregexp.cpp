// Speed of the scan loop that every inline rule runs: one pass over a page, replacing
// WikiNames and addresses. The 1 MB and 10 MB runs side by side show whether the cost
// grows linearly with the text.
#include "text/BRegExp.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace tarnel;

namespace {

// Lines of mixed ASCII and Shift_JIS text with a link candidate every few words.
std::string MakeText(std::size_t bytes) {
    static const char* const kLines[] = {
        "This line links to FrontPage and to http://example.com/page?x=1 in passing.\n",
        "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42 WikiName "
        "\x82\xc6 [[\x83\x79\x81\x5b\x83\x57]]\n",
        "Plain words without any candidate at all, just text to copy through.\n",
        "|cell one|cell two|\x83\x7c\x83\x7c|cell four|\n",
    };
    std::string text;
    text.reserve(bytes + 128);
    for (std::size_t i = 0; text.size() < bytes; ++i)
        text += kLines[i % 4];
    return text;
}

const char* const kLinkPattern =
    "m/(((http|https|ftp|mailto|file):([^\\x00-\\x20()<>\\x7F-\\xFF])*)|(\\[\\[(.+?)\\]\\])|"
    "(\\b([A-Z][a-z]+([A-Z][a-z]+)+)\\b))/k";

void BM_ScanLoopLinks(benchmark::State& state) {
    std::string text = MakeText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out = ScanReplace(kLinkPattern, text, [](const RegexMatch& m, std::string& o) {
            o += "<a>";
            o += m.Group(1);
            o += "</a>";
        });
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ScanLoopLinks)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// A pattern anchored with "^" that resumes at each match: the form of the inline
// plug-in rule, where every pass consumes the text up to the next call.
void BM_ScanLoopAnchored(benchmark::State& state) {
    std::string text = MakeText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out =
            ScanReplace("m/^([^\\n]*?)(\\n)/k", text, [](const RegexMatch& m, std::string& o) {
                o += m.Group(1);
                o += "<br>\n";
            });
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ScanLoopAnchored)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

} // namespace
