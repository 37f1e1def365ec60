// tarnel-cli search WIKIDIR [--title-only|--body-only] QUERY: the names of the matching
// pages, one a line, in list order.
#include "cli/Cli.h"
#include "storage/UDocumentSearching.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <cstdio>
#include <unistd.h>

namespace tarnel::cli {

int RunSearch(Arguments& args, const CommonOptions& common) {
    SearchOptions options;
    std::string folder, query;
    bool haveQuery = false;
    while (!args.Empty()) {
        if (args.Take("--title-only"))
            options = {true, false};
        else if (args.Take("--body-only"))
            options = {false, true};
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

    WikiDefaults wiki = LoadWikiDefaults(folder, common);
    TWikiFileList results;
    results.useUtf8Names = wiki.utf8Names;
    Progress progress("Searching");
    tarnel::RunSearch(displayQuery, folder, wiki.extension, results, options,
                      [&](int done, int total) { return progress.Show(done, total); });
    progress.Done();
    for (int i = 0; i < results.Count(); ++i)
        PrintLine(results.PageName(i));
    return kDone;
}

} // namespace tarnel::cli
