// tarnel-cli list WIKIDIR: the pages in list order, one a line, as the page list shows them
// (the wiki's extension and name encoding, the hierarchy display when it is on).
#include "cli/Cli.h"
#include "render/UWikiSession.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace tarnel::cli {

const char* const kListUsage =
    "usage: tarnel-cli list WIKIDIR\n"
    "the page names of a wiki folder, one a line, in UTF-8 (control bytes escaped on a\n"
    "terminal)\n";

int RunList(Arguments& args, const CommonOptions& common) {
    if (args.Empty()) throw UsageError{"list needs WIKIDIR"};
    std::string folder = AsFolder(args.Next());
    if (!args.Empty()) throw UsageError{"list takes one argument: WIKIDIR"};
    if (!std::filesystem::is_directory(folder))
        throw std::runtime_error("no such wiki folder: " + folder);
    auto session = OpenSession(folder, common);
    const TWikiFileList& list = session->PageList();
    for (const std::string& warning : list.skipped)
        std::fprintf(stderr, "tarnel-cli: %s\n", warning.c_str());
    for (int i = 0; i < list.Count(); ++i)
        PrintLine(list.DisplayName(i));
    return kDone;
}

} // namespace tarnel::cli
