// tarnel-cli convert [options] PAGEFILE: the converter's HTML fragment of one page.
// Options not given come from the user's settings and the wiki's Wiki.ini.
#include "cli/Cli.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "render/UWikiSession.h"
#include "storage/UPageFile.h"
#include "text/jconvert.h"

#include <cstdio>
#include <optional>

namespace tarnel::cli {

namespace {

TWikiNotation ParseNotation(const std::string& value) {
    static const char* const kNames[] = {"yukiwiki", "pukiwiki",  "hatena",  "mediawiki",
                                         "livedoor", "freestyle", "textile", "markdown"};
    for (int i = 0; i < 8; ++i)
        if (value == kNames[i] || value == std::to_string(i + 1))
            return static_cast<TWikiNotation>(i + 1);
    throw UsageError{"unknown notation: " + value};
}

// Display form to the output encoding asked for.
std::string Encode(const std::string& display, const std::string& encoding) {
    if (encoding == "utf8") return ShiftJisToUtf8(display);
    if (encoding == "sjis") return display;
    if (encoding == "euc") return ShiftJisToEucJp(display);
    throw UsageError{"unknown encoding: " + encoding + " (utf8, sjis or euc)"};
}

} // namespace

int RunConvert(Arguments& args, const CommonOptions& common) {
    std::optional<TWikiNotation> notation;
    std::optional<TLinkMode> linkMode;
    std::optional<std::string> extension;
    std::optional<PageReadOptions> read;
    bool loose = false, keepBreaks = false, menuBar = false, utf8Names = false;
    bool toc = false, title = false;
    std::string encoding = "utf8";
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
        else if (args.Take("--read")) {
            std::string v = args.Value("--read");
            if (v == "auto")
                read = PageReadOptions{false, ReadCharCode::Automatic};
            else if (v == "euc")
                read = PageReadOptions{false, ReadCharCode::EucJp};
            else if (v == "utf8")
                read = PageReadOptions{true, ReadCharCode::EucJp};
            else
                throw UsageError{"--read is auto, euc or utf8"};
        } else if (args.Take("--toc"))
            toc = true;
        else if (args.Take("--title"))
            title = true;
        else if (args.Take("--encoding"))
            encoding = args.Value("--encoding");
        else if (args.Peek().starts_with("--"))
            throw UsageError{"unknown option: " + args.Peek()};
        else if (page.empty())
            page = args.Next();
        else
            throw UsageError{"convert takes one PAGEFILE"};
    }
    if (page.empty()) throw UsageError{"convert needs PAGEFILE"};
    Encode("", encoding); // reject a wrong encoding before any work

    // The page is converted as the desktop program would convert it in its wiki; the
    // options given here go over the settings and the wiki's Wiki.ini.
    auto session = OpenSession(FolderOf(page), common);
    TConverterOptions options = session->ConverterOptions();
    if (linkMode) options.LinkMode = *linkMode;
    if (extension) options.Extension = *extension;
    options.Utf8FileNames |= utf8Names;
    options.KeepLineBreaks |= keepBreaks;
    options.LooseWikiName |= loose;
    options.MenuBarMode = menuBar;
    auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(
        notation.value_or(session->Notation()), options);
    converter->Convert(page, ReadPageText(page, read.value_or(session->ReadOptions())));

    std::string out;
    if (title)
        out = converter->Title + "\n";
    else if (toc)
        out = converter->ContentsHtml(false);
    else
        out = converter->Html;
    out = Encode(out, encoding);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kDone;
}

} // namespace tarnel::cli
