// tarnel-cli show PAGEFILE: the whole page as the view gets it, main template filled,
// written in the output encoding (UTF-8 unless --encoding says otherwise) with LF line
// ends; the page's charset tag names what was written.
#include "cli/Cli.h"
#include "render/UWikiSession.h"
#include "text/jconvert.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace tarnel::cli {

const char* const kShowUsage =
    "usage: tarnel-cli show [options] PAGEFILE\n"
    "the whole page as the view shows it (main template filled)\n"
    "\n"
    "  --read auto|sjis|euc|jis|utf8   how page files are read (default: the settings)\n"
    "  --encoding utf8|sjis|euc        output encoding (default utf8, LF line ends)\n"
    "  --design NAME                   the design (style sheet) to name in the page\n";

int RunShow(Arguments& args, const CommonOptions& common) {
    CommandOptions shared;
    OutputEncoding encoding = OutputEncoding::Utf8;
    std::optional<std::string> design;
    std::string page;
    while (!args.Empty()) {
        if (TakeCommonOption(args, shared))
            continue;
        else if (args.Take("--encoding"))
            encoding = ParseOutputEncoding(args.Value("--encoding"));
        else if (args.Take("--design"))
            design = args.Value("--design");
        else if (args.Peek().starts_with("--"))
            throw UsageError{"unknown option: " + args.Peek()};
        else if (page.empty())
            page = args.Next();
        else
            throw UsageError{"show takes one PAGEFILE"};
    }
    if (page.empty()) throw UsageError{"show needs PAGEFILE"};
    RequirePageFile(page);

    auto session = OpenSession(FolderOf(page), common, shared);
    if (design) session->Settings().CssName = FindDesign(*session, *design);
    const bool utf8Titles = session->Settings().TitleEncodingUTF8;
    static const char* const kCharsets[] = {"UTF-8", "Shift_JIS", "EUC-JP"};
    session->SetShownCharset(kCharsets[static_cast<int>(encoding)]);
    std::optional<TShownPage> shown = session->ShowDocument(page);
    if (!shown) throw std::runtime_error("no such page file: " + page);
    for (const std::string& message : shown->Messages)
        std::fprintf(stderr, "tarnel-cli: %s\n", ShiftJisToUtf8(message).c_str());
    if (!shown->Filled) return kFailed;
    // With UTF-8 titles the view's page is UTF-8 already; otherwise it is in display form.
    if (!utf8Titles)
        WriteEncoded(shown->Html, encoding);
    else if (encoding == OutputEncoding::Utf8)
        WriteLfLines(shown->Html);
    else
        WriteEncoded(Utf8ToShiftJis(shown->Html), encoding);
    return kDone;
}

} // namespace tarnel::cli
