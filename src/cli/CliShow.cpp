// tarnel-cli show PAGEFILE: the whole page as the view gets it, main template filled, in
// the encoding the page names in its charset (Shift_JIS, or UTF-8 with UTF-8 titles).
#include "cli/Cli.h"
#include "render/UWikiSession.h"
#include "settings/AppFolder.h"
#include "text/jconvert.h"

#include <cstdio>
#include <stdexcept>

namespace tarnel::cli {

int RunShow(Arguments& args, const CommonOptions& common) {
    if (args.Empty()) throw UsageError{"show needs PAGEFILE"};
    std::string page = args.Next();
    if (!args.Empty()) throw UsageError{"show takes one PAGEFILE"};

    TWikiSession session(AppFolder());
    session.Start(common.configFile);
    std::optional<TShownPage> shown = session.ShowDocument(page);
    if (!shown) throw std::runtime_error("no such page file: " + page);
    for (const std::string& message : shown->Messages)
        std::fprintf(stderr, "tarnel-cli: %s\n", ShiftJisToUtf8(message).c_str());
    if (!shown->Filled) return kFailed;
    std::fwrite(shown->Html.data(), 1, shown->Html.size(), stdout);
    return kDone;
}

} // namespace tarnel::cli
