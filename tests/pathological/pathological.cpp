// The pathological suite: inputs built to make a converter slow or hungry, one case per
// run (`tarnel_pathological CASE NOTATION`). ctest gives each case a time budget well
// above what it needs; a case that grows faster than its input runs out of it. Each run
// prints its input size, time and output size, and fails when the output is out of all
// proportion to the input.
//
// Cases, each as large as the issue of it asks:
//   nest-list    lists nested 10,000 deep        nest-quote   quotations nested 10,000 deep
//   emphasis     100,000 unclosed emphasis marks brackets     50,000 unclosed brackets
//   long-line    one line of 10 MB               table-cells  100,000 cells in one row
//   footnotes    100,000 footnotes               headings     10,000 headings, contents too
#include "conversion/UWikiDocumentConverter.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>

using namespace tarnel;

namespace {

constexpr int kDeep = 10000;

// The marks of one notation that the cases are built from.
struct Marks {
    TWikiNotation notation;
    std::function<std::string(int depth)> listItem;  // one list line at a depth (1-based)
    std::function<std::string(int depth)> quoteLine; // one quotation line at a depth
    std::string quoteEnd;                            // closes one quotation level, or empty
    std::string emphasis;                            // an opening emphasis mark
    std::function<std::string(int cells)> tableRow;  // one row of that many cells
    std::string footnote;                            // one footnote in running text
    std::string heading;                             // one heading line, without its text
};

std::string Repeat(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string Cells(const std::string& open, const std::string& sep, const std::string& close,
                  int cells, const std::string& cell = "c") {
    std::string row = open;
    for (int i = 0; i < cells; ++i)
        row += (i ? sep : "") + cell;
    return row + close;
}

const std::map<std::string, Marks>& AllMarks() {
    auto marks = [](char c) { return [c](int d) { return std::string(d, c) + " item"; }; };
    auto pipes = [](int n) { return Cells("|", "|", "|", n); };
    static const std::map<std::string, Marks> all = {
        {"yukiwiki",
         {TWikiNotation::YukiWiki, marks('-'), marks('>'), "", "'''",
          [](int n) { return Cells(",", ",", "", n); }, "((note))", "*"}},
        {"pukiwiki",
         {TWikiNotation::PukiWiki, marks('-'), marks('>'), "", "''", pipes, "((note))", "*"}},
        {"hatena",
         {TWikiNotation::Hatena, marks('-'), [](int) { return std::string(">>"); }, "<<", "**",
          pipes, "((note))", "*"}},
        {"mediawiki",
         {TWikiNotation::MediaWiki, marks('*'), marks('#'), "", "''",
          [](int n) { return Cells("|", "||", "", n); }, "((note))", "=="}},
        {"livedoor",
         {TWikiNotation::LivedoorWiki, marks('-'), marks('>'), "", "''", pipes, "((note))", "*"}},
        {"freestyle",
         {TWikiNotation::FreeStyleWiki, marks('*'), [](int) { return std::string("\"\"q"); }, "",
          "''", [](int n) { return Cells(",", ",", "", n); }, "((note))", "!"}},
        {"textile",
         {TWikiNotation::Textile, marks('*'), [](int) { return std::string("bq. q"); }, "", "_",
          pipes, "[1]", "h2."}},
        {"markdown",
         {TWikiNotation::Markdown,
          [](int d) { return std::string(static_cast<std::size_t>(2 * (d - 1)), ' ') + "- item"; },
          [](int d) { return Repeat("> ", d) + "q"; }, "", "*",
          [](int n) {
              return Cells("", "|", "\n", n) + Cells("", "|", "\n", n, "-") + Cells("", "|", "", n);
          },
          "[^n]", "##"}},
    };
    return all;
}

std::string Build(const std::string& name, const Marks& m) {
    std::string text;
    if (name == "nest-list") {
        for (int d = 1; d <= kDeep; ++d)
            text += m.listItem(d) + "\n";
    } else if (name == "nest-quote") {
        for (int d = 1; d <= kDeep; ++d)
            text += m.quoteLine(d) + "\n";
        if (!m.quoteEnd.empty())
            for (int d = 1; d <= kDeep; ++d)
                text += m.quoteEnd + "\n";
    } else if (name == "emphasis") {
        text = Repeat(m.emphasis + "a ", 100000) + "\n";
    } else if (name == "brackets") {
        text = Repeat("[a ", 25000) + Repeat("[[b ", 25000) + "\n";
    } else if (name == "long-line") {
        const std::string piece = "word http://x.jp/ [[Page]] WikiName ";
        while (text.size() < 10 * 1024 * 1024)
            text += piece;
        text += "\n";
    } else if (name == "table-cells") {
        text = m.tableRow(100000) + "\n";
    } else if (name == "footnotes") {
        text = Repeat("a" + m.footnote + " ", 100000) + "\n";
    } else if (name == "headings") {
        for (int i = 0; i < kDeep; ++i)
            text += m.heading + " Heading " + std::to_string(i) + "\n\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || !AllMarks().count(argv[2])) {
        std::fprintf(stderr, "usage: tarnel_pathological CASE NOTATION\n");
        return 2;
    }
    const std::string name = argv[1];
    const Marks& marks = AllMarks().at(argv[2]);
    const std::string text = Build(name, marks);
    if (text.empty()) {
        std::fprintf(stderr, "unknown case %s\n", name.c_str());
        return 2;
    }
    TPluginShelf none;
    TConverterOptions options;
    options.Plugins = &none;
    auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(marks.notation, options);
    converter->FileName = "/nonexistent/wiki/50616765.txt";
    const auto start = std::chrono::steady_clock::now();
    converter->ResetConversionState();
    std::string html = converter->ConvertBlocks(text);
    std::string contents = converter->ContentsHtml(false);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s %s: %zu bytes in, %zu bytes out, %.3f s\n", name.c_str(), argv[2], text.size(),
                html.size() + contents.size(), seconds);
    // Every notation writes a bounded amount of markup per input byte; far more than that
    // means something is repeated per nesting level or per mark.
    if (html.size() + contents.size() > 64 * text.size() + 4096) {
        std::fprintf(stderr, "output out of proportion to the input\n");
        return 1;
    }
#ifndef TARNEL_SANITIZED
    // Peak memory a small multiple of what the page and its HTML take (sanitizers keep
    // memory of their own, so their builds skip this).
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
    const double held = static_cast<double>(text.size() + html.size() + contents.size());
    std::printf("peak memory %.0f MB\n", peak / 1e6);
    if (peak > 4 * held + 64e6) {
        std::fprintf(stderr, "peak memory out of proportion to the input\n");
        return 1;
    }
#endif
    return 0;
}
