// tarnel-cli export WIKIDIR OUTDIR [options]: the wiki as a static HTML site.
// Options not given come from the settings file and the wiki's Wiki.ini.
#include "cli/Cli.h"
#include "render/UHtmlExport.h"
#include "render/UWikiSession.h"
#include "text/jconvert.h"

#include <cstdio>
#include <filesystem>
#include <optional>

namespace tarnel::cli {

const char* const kExportUsage =
    "usage: tarnel-cli export [options] WIKIDIR OUTDIR\n"
    "write the wiki (or the named pages) as HTML files into OUTDIR\n"
    "\n"
    "  --encoding sjis|euc|utf8       encoding of the HTML files\n"
    "  --names standard|title         file names from the page files or the page names\n"
    "  --index | --no-index           write index.html or not\n"
    "  --page NAME                    export only this page (may be repeated)\n"
    "  --copy-folders                 copy the wiki's sub-folders too\n"
    "  --design NAME                  the design (style sheet) to use\n"
    "  --read auto|sjis|euc|jis|utf8  how page files are read (default: the settings)\n"
    "  --clean                        remove what earlier exports wrote, then write all\n"
    "  --force                        overwrite files in OUTDIR that Tarnel did not write\n"
    "OUTDIR keeps a list of what Tarnel wrote (.tarnel-export): pages are written again\n"
    "when they or the settings changed, and files of deleted pages are removed.\n"
    "Options not given come from the stored export settings.\n";

int RunExport(Arguments& args, const CommonOptions& common) {
    std::optional<TExportEncoding> encoding;
    std::optional<TExportFileNameKind> names;
    std::optional<bool> index;
    bool copyFolders = false, force = false, clean = false;
    std::optional<std::string> design;
    std::vector<std::string> pages;
    CommandOptions shared;
    std::string wiki, out;
    while (!args.Empty()) {
        if (TakeCommonOption(args, shared)) {
            continue;
        } else if (args.Take("--encoding")) {
            std::string v = args.Value("--encoding");
            if (v == "sjis")
                encoding = TExportEncoding::ShiftJis;
            else if (v == "euc")
                encoding = TExportEncoding::EucJp;
            else if (v == "utf8")
                encoding = TExportEncoding::Utf8;
            else
                throw UsageError{"--encoding is sjis, euc or utf8"};
        } else if (args.Take("--names")) {
            std::string v = args.Value("--names");
            if (v == "standard")
                names = TExportFileNameKind::Standard;
            else if (v == "title")
                names = TExportFileNameKind::Title;
            else
                throw UsageError{"--names is standard or title"};
        } else if (args.Take("--index"))
            index = true;
        else if (args.Take("--no-index"))
            index = false;
        else if (args.Take("--page"))
            pages.push_back(args.Value("--page"));
        else if (args.Take("--copy-folders"))
            copyFolders = true;
        else if (args.Take("--force"))
            force = true;
        else if (args.Take("--clean"))
            clean = true;
        else if (args.Take("--design"))
            design = args.Value("--design");
        else if (args.Peek().starts_with("--"))
            throw UsageError{"unknown option: " + args.Peek()};
        else if (wiki.empty())
            wiki = AsFolder(args.Next());
        else if (out.empty())
            out = AsFolder(args.Next());
        else
            throw UsageError{"export takes WIKIDIR and OUTDIR"};
    }
    if (wiki.empty() || out.empty()) throw UsageError{"export needs WIKIDIR and OUTDIR"};
    if (!std::filesystem::is_directory(wiki))
        throw std::runtime_error("no such wiki folder: " + wiki);
    CheckExportFolder(wiki, out); // before anything is made inside the wiki
    std::error_code ec;
    if (std::filesystem::exists(out, ec) && !std::filesystem::is_directory(out, ec))
        throw std::runtime_error("the export folder " + out + " is not a folder");
    std::filesystem::create_directories(out, ec);
    if (ec)
        throw std::runtime_error("cannot create the export folder " + out + ": " + ec.message());

    auto session = OpenSession(wiki, common, shared);
    const TTarnelReg& settings = session->Settings();

    // What is not given comes from the stored export settings, as in the export dialog.
    TExportOptions options = StoredExportOptions(settings);
    options.folder = out;
    if (encoding) options.encoding = *encoding;
    if (names) options.fileNameKind = *names;
    if (index) options.index = *index;
    if (copyFolders) options.copyFolders = true;
    options.overwriteForeign = force;
    options.clean = clean;
    if (design) options.design = FindDesign(*session, *design);
    options.all = pages.empty();
    for (const std::string& page : pages) {
        std::string display = Utf8ToShiftJis(page);
        if (display.empty()) throw UsageError{"--page " + page + ": not valid UTF-8"};
        std::string file = EncodePageName(display, settings.NameEncodingUTF8) + settings.Extension;
        // A name the file system cannot take (too long, say) is no page either.
        std::error_code ec;
        if (!std::filesystem::is_regular_file(wiki + file, ec))
            throw std::runtime_error("no such page: " + page);
        options.pages.insert(file);
    }

    Progress progress("Exporting");
    TExportResult result = ExportHtml(
        *session, options, [&](int done, int total) { return progress.Show(done, total); });
    progress.Done();
    // The warnings name files by their file-system names, which need no conversion.
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "tarnel-cli: %s\n", warning.c_str());
    for (const std::string& failure : result.failures)
        std::fprintf(stderr, "tarnel-cli: not written: %s\n", ShiftJisToUtf8(failure).c_str());
    std::fprintf(stderr, "%d pages listed, %d written, %d unchanged, %d failed in %s\n",
                 result.listed, result.written, result.unchanged, result.failed, out.c_str());
    return result.failed ? kFailed : kDone;
}

} // namespace tarnel::cli
