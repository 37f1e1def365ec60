// tarnel-cli convert [options] PAGEFILE: the converter's HTML fragment of one page.
// Options not given come from the user's settings and the wiki's Wiki.ini.
#include "cli/Cli.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "render/UWikiSession.h"
#include "storage/UPageFile.h"
#include "text/jconvert.h"

#include <cctype>
#include <cstdio>
#include <optional>

namespace tarnel::cli {

const char* const kConvertUsage =
    "usage: tarnel-cli convert [options] PAGEFILE\n"
    "print the converter's HTML fragment of the page\n"
    "\n"
    "  --notation NAME     yukiwiki, pukiwiki, hatena, mediawiki, livedoor, freestyle,\n"
    "                      textile, markdown (any case) or 1..8\n"
    "  --link-mode 2|3|4   export links, browsing links without or with WikiName marks\n"
    "  --loose-wikiname  --keep-line-breaks  --menubar  --utf8-names  --extension EXT\n"
    "  --read auto|sjis|euc|jis|utf8   how the page file is read (default: the settings)\n"
    "  --toc               print the contents block instead\n"
    "  --title             print the page title instead\n"
    "  --encoding utf8|sjis|euc        output encoding (default utf8, LF line ends)\n";

namespace {

// A notation by name (any case) or number.
TWikiNotation ParseNotation(const std::string& value) {
    static const char* const kNames[] = {"yukiwiki", "pukiwiki",  "hatena",  "mediawiki",
                                         "livedoor", "freestyle", "textile", "markdown"};
    std::string lower = value;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string valid;
    for (int i = 0; i < 8; ++i) {
        if (lower == kNames[i] || lower == std::to_string(i + 1))
            return static_cast<TWikiNotation>(i + 1);
        valid += (i ? ", " : "") + std::string(kNames[i]);
    }
    throw UsageError{"unknown notation: " + value + " (" + valid + " or 1..8)"};
}

} // namespace

int RunConvert(Arguments& args, const CommonOptions& common) {
    std::optional<TWikiNotation> notation;
    std::optional<TLinkMode> linkMode;
    std::optional<std::string> extension;
    CommandOptions shared;
    bool loose = false, keepBreaks = false, menuBar = false, utf8Names = false;
    bool toc = false, title = false;
    OutputEncoding encoding = OutputEncoding::Utf8;
    std::string page;

    while (!args.Empty()) {
        if (args.Take("--notation"))
            notation = ParseNotation(args.Value("--notation"));
        else if (args.Take("--link-mode")) {
            std::string v = args.Value("--link-mode");
            if (v != "2" && v != "3" && v != "4") throw UsageError{"--link-mode is 2, 3 or 4"};
            linkMode = static_cast<TLinkMode>(v[0] - '0');
        } else if (args.Take("--loose-wikiname"))
            loose = true;
        else if (args.Take("--keep-line-breaks"))
            keepBreaks = true;
        else if (args.Take("--menubar"))
            menuBar = true;
        else if (args.Take("--utf8-names"))
            utf8Names = true;
        else if (args.Take("--extension"))
            extension = args.Value("--extension");
        else if (TakeCommonOption(args, shared))
            continue;
        else if (args.Take("--toc"))
            toc = true;
        else if (args.Take("--title"))
            title = true;
        else if (args.Take("--encoding"))
            encoding = ParseOutputEncoding(args.Value("--encoding"));
        else if (args.Peek().starts_with("--"))
            throw UsageError{"unknown option: " + args.Peek()};
        else if (page.empty())
            page = args.Next();
        else
            throw UsageError{"convert takes one PAGEFILE"};
    }
    if (page.empty()) throw UsageError{"convert needs PAGEFILE"};
    RequirePageFile(page);

    // The page is converted as the desktop program would convert it in its wiki; the
    // options given here go over the settings and the wiki's Wiki.ini.
    auto session = OpenSession(FolderOf(page), common, shared);
    TConverterOptions options = session->ConverterOptions();
    if (linkMode) options.LinkMode = *linkMode;
    if (extension) options.Extension = *extension;
    options.Utf8FileNames |= utf8Names;
    options.KeepLineBreaks |= keepBreaks;
    options.LooseWikiName |= loose;
    options.MenuBarMode = menuBar;
    auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(
        notation.value_or(session->Notation()), options);
    converter->ConvertTaken(page, ReadPageText(page, session->ReadOptions()));

    // The fragment is written as the converter left it: no whole copy of it is made.
    if (title)
        WriteEncoded(converter->Title + "\n", encoding);
    else if (toc)
        WriteEncoded(converter->ContentsHtml(false), encoding);
    else
        WriteEncoded(converter->Html, encoding);
    return kDone;
}

} // namespace tarnel::cli
