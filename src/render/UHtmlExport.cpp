#include "render/UHtmlExport.h"

#include "conversion/UWikiDocumentConverterMaker.h"
#include "render/UTemplateLib.h"
#include "render/UWikiSession.h"
#include "storage/UPageFile.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace tarnel {

namespace fs = std::filesystem;

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Replaces the part from the last "." on by ".html", or appends it.
std::string WithHtmlExtension(std::string name) {
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name + ".html";
}

// Last-write time in nanoseconds; 0 for a file that does not exist.
long long ModifiedTime(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return 0;
    return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

// A display-form name as a file-system (UTF-8) name.
std::string FileSystemName(const std::string& display) {
    std::string name = ShiftJisToUtf8(display);
    return name.empty() && !display.empty() ? display : name;
}

// An href for a file of the export folder: characters that would end or redirect a
// relative address are percent-encoded; everything else stays as the page shows it.
std::string Href(const std::string& fileName) {
    std::string href;
    for (char c : fileName) {
        switch (c) {
        case '%':
            href += "%25";
            break;
        case '#':
            href += "%23";
            break;
        case '?':
            href += "%3F";
            break;
        case ' ':
            href += "%20";
            break;
        case '"':
            href += "%22";
            break;
        default:
            href += c;
        }
    }
    return href;
}

// Copies a folder into `destination` (made with its parents), overwriting what is there.
void CopyFolder(const fs::path& source, const fs::path& destination) {
    std::error_code ec;
    fs::create_directories(destination, ec);
    if (!ec)
        fs::copy(source, destination,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec)
        throw EExportError("cannot copy the folder " + source.string() + " to " +
                           destination.string() + ": " + ec.message());
}

// Fills a template; the error names the template and the page.
std::string Fill(const std::string& templatePath, THTMLTagEvent handler, const std::string& what) {
    TPageProducer producer;
    producer.HTMLFile = templatePath;
    producer.OnHTMLTag = std::move(handler);
    try {
        return producer.Content();
    } catch (const ETemplateError& e) {
        throw EExportError(what + ": " + e.what());
    }
}

void WriteOutput(const std::string& path, std::string_view bytes, const std::string& what) {
    try {
        // No fsync per page: an export is written again in full if the machine goes down.
        WriteFileAtomically(path, bytes, false);
    } catch (const EFileError& e) {
        throw EExportError(what + ": " + e.what());
    }
}

} // namespace

// Every line end becomes LF. (The filled page mixes the template's line ends with the
// converter's CR LF, so converting only the first kind found would leave CRs behind.)
std::string AllLinesLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string ConvertForExport(TExportEncoding encoding, std::string_view text) {
    switch (encoding) {
    case TExportEncoding::EucJp:
        return AllLinesLf(ShiftJisToEucJp(text));
    case TExportEncoding::Utf8:
        return ShiftJisToUtf8(text);
    case TExportEncoding::ShiftJis:
        break;
    }
    return std::string(text);
}

std::string TitleExportName(std::string_view pageName) {
    // Characters a file name cannot hold become their full-width forms (Shift_JIS). The
    // walk steps over double-byte characters, so a trail byte is never taken for "\" or "|".
    std::string name;
    for (std::size_t i = 0; i < pageName.size(); ++i) {
        auto c = static_cast<unsigned char>(pageName[i]);
        if (IsLeadByte(c) && i + 1 < pageName.size()) {
            name.append(pageName.substr(i, 2));
            ++i;
            continue;
        }
        switch (c) {
        case '\\':
            name += "\x81\x8F";
            break;
        case '/':
            name += "\x81\x5E";
            break;
        case ':':
            name += "\x81\x46";
            break;
        case '*':
            name += "\x81\x96";
            break;
        case '?':
            name += "\x81\x48";
            break;
        case '"':
            name += "\x81\x68";
            break;
        case '<':
            name += "\x81\x83";
            break;
        case '>':
            name += "\x81\x84";
            break;
        case '|':
            name += "\x81\x62";
            break;
        default:
            name += static_cast<char>(c);
        }
    }
    return WithHtmlExtension(name);
}

std::string StandardExportName(std::string_view pageFileName) {
    return WithHtmlExtension(std::string(pageFileName));
}

TExportOptions StoredExportOptions(const TTarnelReg& settings) {
    TExportOptions options;
    options.folder = settings.ExportFolder;
    options.encoding = settings.ExportEncoding;
    options.fileNameKind = settings.ExportFileNameKind;
    options.copyFolders = settings.ExportCopyFolder;
    options.index = settings.ExportIndex;
    options.oldFile = settings.ExportOldFile;
    return options;
}

TExportResult ExportHtml(TWikiSession& session, const TExportOptions& options,
                         const ExportProgress& progress) {
    if (options.folder.empty()) throw EExportError("no export folder is set");
    std::string out = options.folder;
    if (out.back() != '/') out += '/';
    std::error_code ec;
    if (!fs::is_directory(out, ec))
        throw EExportError("the export folder " + out + " does not exist");

    TTarnelReg& settings = session.Settings();
    const std::string wiki = session.DocumentFolder();
    session.RefreshPageList();
    const TWikiFileList& pages = session.PageList();

    // The export converter: the current notation with export links.
    auto converter = session.MakeConverter(session.ConverterOptions(TLinkMode::Export));
    const PageReadOptions read = session.ReadOptions();
    const bool utf8Titles = settings.TitleEncodingUTF8;
    const std::string exportTemplate = session.Templates().ExportTemplatePath();
    const TMenuBarOptions menuBar = MenuBarOptionsOf(*converter, session.Notation(), read);

    TExportResult result;
    std::string indexList;
    const int total = pages.Count();
    for (int i = 0; i < total; ++i) {
        if (progress && !progress(i, total)) throw EExportError("the export was cancelled");
        const std::string& fileName = pages.FileName(i);
        if (!options.all && !options.pages.count(fileName)) continue;
        const std::string source = pages.FilePath(i);
        const std::string pageName = pages.PageName(i);
        const std::string what = "page \"" + pageName + "\" (" + fileName + ")";

        std::string outName = options.fileNameKind == TExportFileNameKind::Title
                                  ? TitleExportName(pageName)
                                  : StandardExportName(fileName);
        std::string outPath = out + FileSystemName(outName);

        // The index line needs only the page's title, which comes from its file name, so an
        // unchanged page is listed without being read or converted.
        const std::string title = DecodeFileName(source, settings.NameEncodingUTF8);
        indexList += "<li><a href=\"" + Href(outName) + "\">" +
                     TWikiDocumentConverter::EscapeHtml(title) + "</a></li>\r\n";
        ++result.listed;
        if (!options.oldFile && ModifiedTime(source) <= ModifiedTime(outPath)) continue;

        std::string text;
        try {
            text = ReadPageText(source, read);
        } catch (const EPageFileError& e) {
            throw EExportError(what + ": " + e.what());
        }
        converter->Convert(source, text);
        TPageTags page = PageTagsOf(*converter, utf8Titles);
        page.TemplateFolder = session.Templates().TemplateFolder();
        page.CssFolder = session.AppFolder() + "css";
        page.DesignName = settings.CssName;
        page.DocumentFolder = wiki;
        page.EncodingName = utf8Titles ? "UTF-8" : CharsetName(static_cast<int>(options.encoding));
        page.MenuBar = [&] { return ConvertMenuBar(wiki, menuBar); };
        std::string html = Fill(exportTemplate, MainTagHandler(page), what);
        // With UTF-8 titles the tag texts are UTF-8 already: nothing is converted.
        if (!utf8Titles) html = ConvertForExport(options.encoding, html);
        WriteOutput(outPath, html, what);
        ++result.written;
    }
    if (progress) progress(total, total);

    // The design lands under css/<name>/, where the export template looks for it.
    const std::string design = session.AppFolder() + "css/" + settings.CssName;
    if (!fs::is_directory(design, ec))
        throw EExportError("the design folder " + design + " does not exist");
    CopyFolder(design, fs::path(out) / "css" / settings.CssName);

    if (options.copyFolders) {
        // Every sub-folder of the wiki, but never one that holds the export folder itself
        // (copying it into itself would never end).
        fs::path target = fs::weakly_canonical(out, ec);
        for (const auto& entry : fs::directory_iterator(wiki, ec)) {
            if (!entry.is_directory() || entry.is_symlink()) continue;
            fs::path from = fs::weakly_canonical(entry.path(), ec);
            auto [a, b] = std::mismatch(from.begin(), from.end(), target.begin(), target.end());
            if (a == from.end()) continue; // target lies inside this folder
            CopyFolder(entry.path(), fs::path(out) / entry.path().filename());
        }
    }

    if (options.index) {
        std::string list = "<ul>\r\n" + indexList + "</ul>\r\n";
        // index.html is converted to the export encoding as a whole, so its tags are filled
        // in display form, and its menu bar links to exported files.
        TPageTags page;
        page.TemplateFolder = session.Templates().TemplateFolder();
        page.CssFolder = session.AppFolder() + "css";
        page.DesignName = settings.CssName;
        page.DocumentFolder = wiki;
        page.EncodingName = CharsetName(static_cast<int>(options.encoding));
        page.MenuBar = [&] { return ConvertMenuBar(wiki, menuBar); };
        std::string html =
            Fill(session.Templates().ListTemplatePath(), ListTagHandler(page, list), "index.html");
        WriteOutput(out + "index.html", ConvertForExport(options.encoding, html), "index.html");
    }
    return result;
}

} // namespace tarnel
