// tarnel-cli search WIKIDIR [--title-only|--body-only] QUERY: the names of the matching
// pages, one a line, in list order.
#include "cli/Cli.h"
#include "render/UWikiSession.h"
#include "text/jconvert.h"

#include <filesystem>
#include <stdexcept>

namespace tarnel::cli {

const char* const kSearchUsage =
    "usage: tarnel-cli search [options] WIKIDIR QUERY\n"
    "the pages whose name or text holds every word of QUERY, one a line\n"
    "\n"
    "  --title-only | --body-only   search only the page names or only the texts\n"
    "  --read auto|sjis|euc|jis|utf8   how page files are read (default: each page's own\n"
    "                               encoding: UTF-8, Shift_JIS, EUC-JP or JIS)\n";

int RunSearch(Arguments& args, const CommonOptions& common) {
    SearchOptions options;
    CommandOptions shared;
    std::string folder, query;
    bool haveQuery = false;
    while (!args.Empty()) {
        if (args.Take("--title-only"))
            options = {true, false};
        else if (args.Take("--body-only"))
            options = {false, true};
        else if (TakeCommonOption(args, shared))
            continue;
        else if (args.Peek().starts_with("--") && args.Peek().size() > 2)
            throw UsageError{"unknown option: " + args.Peek()};
        else if (folder.empty())
            folder = AsFolder(args.Next());
        else if (!haveQuery) {
            query = args.Next();
            haveQuery = true;
        } else
            throw UsageError{"search takes WIKIDIR and one QUERY (quote a query of several words)"};
    }
    if (folder.empty() || !haveQuery) throw UsageError{"search needs WIKIDIR and QUERY"};
    std::string displayQuery = Utf8ToShiftJis(query);
    if (displayQuery.empty() && !query.empty()) throw UsageError{"the query is not valid UTF-8"};
    if (displayQuery.empty()) throw UsageError{"the query is empty"};

    if (!std::filesystem::is_directory(folder))
        throw std::runtime_error("no such wiki folder: " + folder);
    auto session = OpenSession(folder, common, shared);
    Progress progress("Searching");
    session->Search(displayQuery, options,
                    [&](int done, int total) { return progress.Show(done, total); });
    progress.Done();
    const TWikiFileList& results = session->SearchResults();
    for (const std::string& warning : results.skipped)
        std::fprintf(stderr, "tarnel-cli: %s\n", warning.c_str());
    for (int i = 0; i < results.Count(); ++i)
        PrintLine(results.PageName(i));
    return kDone;
}

} // namespace tarnel::cli
