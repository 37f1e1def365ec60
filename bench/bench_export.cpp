// HTML export of the generated 10,000-page wiki: a first run that writes every page, an
// unchanged second run that only lists the pages and skips the writing, and a run after the
// output encoding changed, which rebuilds every page.
#include "GeneratedWiki.h"
#include "render/UHtmlExport.h"
#include "render/UWikiSession.h"

#include <benchmark/benchmark.h>

#include <filesystem>

using namespace tarnel;

namespace {

const char* const kAppFolder = TARNEL_BENCH_APP_DIR;

TExportOptions Options(const std::string& folder) {
    TExportOptions options;
    options.folder = folder;
    return options;
}

// The export folder of the runs, and a session with the generated wiki open.
std::string OutFolder() {
    return (std::filesystem::temp_directory_path() / "tarnel-bench-export/").string();
}
void OpenGeneratedWiki(TWikiSession& session) {
    session.Start((std::filesystem::temp_directory_path() / "tarnel-bench-settings.ini").string());
    session.OpenWiki(bench::GeneratedWiki());
}
// The session and the folder after one complete export, for the runs that come after one.
void ExportOnce(TWikiSession& session, const std::string& out) {
    OpenGeneratedWiki(session);
    std::filesystem::create_directories(out);
    ExportHtml(session, Options(out));
}

void BM_ExportFirstRun(benchmark::State& state) {
    const std::string out = OutFolder();
    TWikiSession session(kAppFolder);
    OpenGeneratedWiki(session);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
        state.ResumeTiming();
        ExportHtml(session, Options(out));
    }
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(bench::kPages) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportFirstRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ExportUnchanged(benchmark::State& state) {
    const std::string out = OutFolder();
    TWikiSession session(kAppFolder);
    ExportOnce(session, out);
    for (auto _ : state)
        ExportHtml(session, Options(out));
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(bench::kPages) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ExportAfterEncodingChange(benchmark::State& state) {
    const std::string out = OutFolder();
    TWikiSession session(kAppFolder);
    ExportOnce(session, out);
    bool utf8 = false;
    for (auto _ : state) {
        utf8 = !utf8; // every run changes the encoding, so every page is stale
        TExportOptions options = Options(out);
        options.encoding = utf8 ? TExportEncoding::Utf8 : TExportEncoding::ShiftJis;
        ExportHtml(session, options);
    }
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(bench::kPages) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportAfterEncodingChange)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

} // namespace
