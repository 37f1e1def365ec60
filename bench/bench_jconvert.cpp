// Throughput of the Japanese encoding conversions on about 1 MB of generated wiki text:
// Markdown-ish lines mixing ASCII markup and words with Japanese sentences, some half-width
// katakana, CR LF line ends as the editor produces them.
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace tarnel;

constexpr std::size_t kCorpusBytes = 1 << 20;

// Small deterministic generator, so every run converts the same text.
class Lcg {
public:
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    template <typename T> const T& Pick(const std::vector<T>& v) { return v[Next() % v.size()]; }

private:
    std::uint64_t state_ = 0x5EED;
};

std::string MakeUtf8Corpus() {
    const std::vector<std::string> japanese = {
        "日本語の文章を書きます。",
        "ページの見出しと本文",
        "このウィキは一つのフォルダです。",
        "表示形式と保存形式",
        "「引用」や『書名』、（括弧）も使います。",
        "全角数字１２３と記号★※",
        "変換の速さを測ります。",
        "ｶﾀｶﾅ半角ﾃｷｽﾄ",
        "漢字かな交じり文",
        "リンク先のページがありません。",
    };
    const std::vector<std::string> ascii = {
        "WikiName", "[[FrontPage]]", "http://example.com/", "**bold**", "- item", "| a | b |",
        "code();",  "Markdown",      "The quick brown fox", "123",      "#",      "> quote",
    };
    Lcg rng;
    std::string out;
    out.reserve(kCorpusBytes * 2);
    while (out.size() < kCorpusBytes * 3 / 2) { // UTF-8 is about 1.5 times the Shift_JIS size
        const unsigned words = 3 + rng.Next() % 8;
        for (unsigned w = 0; w < words; ++w) {
            out += (rng.Next() % 5 < 2) ? rng.Pick(ascii) : rng.Pick(japanese);
            out += ' ';
        }
        out += "\r\n";
    }
    return out;
}

struct Corpus {
    std::string utf8 = MakeUtf8Corpus();
    std::string sjis = Utf8ToShiftJis(utf8);
    std::string euc = ShiftJisToEucJp(sjis);
    std::string jis = ShiftJisToJis(sjis);
    std::string ascii = std::string(kCorpusBytes, 'a');
};

const Corpus& GetCorpus() {
    static const Corpus corpus;
    return corpus;
}

template <std::string (*Convert)(std::string_view)>
void Run(benchmark::State& state, const std::string& input) {
    for (auto _ : state) {
        std::string out = Convert(input);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void BM_ShiftJisToEucJp(benchmark::State& s) {
    Run<ShiftJisToEucJp>(s, GetCorpus().sjis);
}
void BM_EucJpToShiftJis(benchmark::State& s) {
    Run<EucJpToShiftJis>(s, GetCorpus().euc);
}
void BM_EucJpToJis(benchmark::State& s) {
    Run<EucJpToJis>(s, GetCorpus().euc);
}
void BM_ShiftJisToJis(benchmark::State& s) {
    Run<ShiftJisToJis>(s, GetCorpus().sjis);
}
void BM_JisToEucJp(benchmark::State& s) {
    Run<JisToEucJp>(s, GetCorpus().jis);
}
void BM_JisToShiftJis(benchmark::State& s) {
    Run<JisToShiftJis>(s, GetCorpus().jis);
}
void BM_ShiftJisToUtf8(benchmark::State& s) {
    Run<ShiftJisToUtf8>(s, GetCorpus().sjis);
}
void BM_Utf8ToShiftJis(benchmark::State& s) {
    Run<Utf8ToShiftJis>(s, GetCorpus().utf8);
}

void BM_CrLfToLf(benchmark::State& state) {
    const std::string& input = GetCorpus().euc;
    for (auto _ : state) {
        std::string out = ConvertLineBreaks(input, LineBreak::Lf);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

// Detection stops at the first decisive byte, so on Japanese text it costs next to nothing;
// pure ASCII is the case that walks the whole text.
void Detect(benchmark::State& state, const std::string& input) {
    for (auto _ : state)
        benchmark::DoNotOptimize(DetectJapaneseEncoding(input));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
void BM_DetectMixedEucJp(benchmark::State& s) {
    Detect(s, GetCorpus().euc);
}
void BM_DetectAsciiWholeText(benchmark::State& s) {
    Detect(s, GetCorpus().ascii);
}

// A page name: the per-call cost of the code page conversion on short strings.
void BM_PageNameToUtf8(benchmark::State& state) {
    const std::string name = Utf8ToShiftJis("ページ名の例");
    for (auto _ : state) {
        std::string out = ShiftJisToUtf8(name);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_ShiftJisToEucJp);
BENCHMARK(BM_EucJpToShiftJis);
BENCHMARK(BM_EucJpToJis);
BENCHMARK(BM_ShiftJisToJis);
BENCHMARK(BM_JisToEucJp);
BENCHMARK(BM_JisToShiftJis);
BENCHMARK(BM_ShiftJisToUtf8);
BENCHMARK(BM_Utf8ToShiftJis);
BENCHMARK(BM_CrLfToLf);
BENCHMARK(BM_DetectMixedEucJp);
BENCHMARK(BM_DetectAsciiWholeText);
BENCHMARK(BM_PageNameToUtf8);
