// tarnel-cli list WIKIDIR: the page names in list order, one a line.
#include "cli/Cli.h"
#include "storage/UWikiFileList.h"

namespace tarnel::cli {

int RunList(Arguments& args, const CommonOptions&) {
    if (args.Empty()) throw UsageError{"list needs WIKIDIR"};
    std::string folder = AsFolder(args.Next());
    if (!args.Empty()) throw UsageError{"list takes one argument: WIKIDIR"};
    TWikiFileList list;
    list.folder = folder;
    list.Update();
    for (int i = 0; i < list.Count(); ++i)
        PrintLine(list.PageName(i));
    return kDone;
}

} // namespace tarnel::cli
