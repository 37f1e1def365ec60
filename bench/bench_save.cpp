// One save of the internal editor's page: from the editor's text (UTF-8, CR LF) through the
// check for outside changes, the encoding check and the "~" copy to the atomic, flushed
// write. Pages of 10 KB and 1 MB of mixed Japanese and ASCII text; also the load and the
// conversion alone.
#include "storage/UEditedPage.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace tarnel;

std::string EditorText(std::size_t bytes, const std::string& mark) {
    std::string text;
    while (text.size() < bytes)
        text += mark + " 日本語の文章と ASCII の言葉 " + std::to_string(text.size()) + "\r\n";
    return text;
}

class AnswerYes : public IEditedPageUi {
public:
    TAnswer ConfirmDeleteEmptied(const std::string&) override { return TAnswer::No; }
    TOutsideChoice AskOutsideChange(TOutsideChange, const std::string&) override {
        return TOutsideChoice::Overwrite;
    }
    bool ConfirmUnencodable(const std::vector<TUnencodableChar>&, const std::string&) override {
        return true;
    }
};

std::string BenchFolder() {
    std::string dir = (std::filesystem::temp_directory_path() / "tarnel-bench-save/").string();
    std::filesystem::create_directories(dir);
    return dir;
}

void BM_SavePage(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::string a = EditorText(size, "A"), b = EditorText(size, "B");
    const std::string path = BenchFolder() + EncodePageName("Page", false) + ".txt";
    WriteFileAtomically(path, EditorTextToStored(a).Bytes);
    TLanguage language;
    TEditedPage page(language, false);
    page.Load(path, {});
    AnswerYes ui;
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        benchmark::DoNotOptimize(page.Save(flip ? b : a, ui));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_SavePage)->Arg(10 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_LoadPage(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::string path = BenchFolder() + EncodePageName("Load", false) + ".txt";
    WriteFileAtomically(path, EditorTextToStored(EditorText(size, "L")).Bytes);
    TLanguage language;
    TEditedPage page(language, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(page.Load(path, {}));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_LoadPage)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_EditorTextToStored(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::string text = EditorText(size, "C");
    for (auto _ : state)
        benchmark::DoNotOptimize(EditorTextToStored(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_EditorTextToStored)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace
