#include "render/UHtmlExport.h"

#include "conversion/UWikiDocumentConverterMaker.h"
#include "render/UTemplateLib.h"
#include "render/UWikiSession.h"
#include "storage/UPageFile.h"
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
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

// The bytes of a template, read once for the whole export.
std::string LoadTemplateText(const std::string& templatePath) {
    try {
        return TTemplate::LoadFile(templatePath);
    } catch (const ETemplateError& e) {
        throw EExportError(e.what());
    }
}

// Fills a template; the error names the template and the page.
std::string Fill(std::string_view templateText, THTMLTagEvent handler, const std::string& what) {
    TPageProducer producer;
    producer.OnHTMLTag = std::move(handler);
    try {
        return producer.ContentFromString(templateText);
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
            // Control bytes (a NUL among them) cannot stand in a file name usefully.
            name += c < 0x20 || c == 0x7F ? '_' : static_cast<char>(c);
        }
    }
    // A name the file system takes as something else: empty, "." or "..", or one that
    // would make a hidden file.
    if (name.empty() || name[0] == '.') name.insert(0, "_");
    return name + ".html";
}

// Bytes a title name may take on disk before its suffix and ".html".
constexpr std::size_t kMaxBaseBytes = 200;

std::vector<std::string> TitleExportNames(const std::vector<std::string>& pageNames) {
    std::vector<std::string> names;
    std::set<std::string> taken = {"index.html"};
    for (const std::string& page : pageNames) {
        std::string base = TitleExportName(page);
        base.resize(base.size() - 5); // without ".html"
        // A file name holds at most 255 bytes (UTF-8 on disk): a longer name is cut at a
        // character boundary, leaving room for a suffix and ".html".
        if (FileSystemName(base).size() > kMaxBaseBytes) {
            std::string cut;
            for (std::size_t i = 0; i < base.size();) {
                std::size_t n = IsLeadByte(static_cast<unsigned char>(base[i])) ? 2 : 1;
                std::string longer = cut + base.substr(i, n);
                if (FileSystemName(longer).size() > kMaxBaseBytes) break;
                cut = std::move(longer);
                i += n;
            }
            base = cut;
        }
        std::string name = base + ".html";
        for (int n = 2; taken.count(name); ++n)
            name = base + "~" + std::to_string(n) + ".html";
        taken.insert(name);
        names.push_back(name);
    }
    return names;
}

void CheckExportFolder(const std::string& wikiFolder, const std::string& exportFolder) {
    std::error_code ec;
    fs::path wiki = fs::weakly_canonical(fs::absolute(wikiFolder, ec), ec);
    fs::path out = fs::weakly_canonical(fs::absolute(exportFolder, ec), ec);
    auto [a, b] = std::mismatch(wiki.begin(), wiki.end(), out.begin(), out.end());
    bool inside = a == wiki.end() || (a->empty() && std::next(a) == wiki.end());
    if (inside)
        throw EExportError("the export folder " + exportFolder +
                           " is the wiki folder or inside it: " + wikiFolder);
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

namespace {

// The manifest: a header line, then one line per file: the key of the settings it was
// written with, a tab, its path relative to the export folder.
using TManifest = std::map<std::string, std::string>; // path -> key

constexpr const char* kManifestHeader = "tarnel-export 1";

TManifest ReadManifest(const std::string& out) {
    TManifest manifest;
    std::string bytes;
    try {
        bytes = ReadWholeFile(out + kExportManifest, kExportManifest);
    } catch (const EFileError&) {
        return manifest;
    }
    std::size_t pos = 0;
    bool first = true;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (first) {
            first = false;
            if (line != kManifestHeader) return {};
            continue;
        }
        std::size_t tab = line.find('\t');
        if (tab != std::string::npos) manifest[line.substr(tab + 1)] = line.substr(0, tab);
    }
    return manifest;
}

void WriteManifest(const std::string& out, const TManifest& manifest) {
    std::string bytes = std::string(kManifestHeader) + "\n";
    for (const auto& [path, key] : manifest)
        bytes += key + "\t" + path + "\n";
    WriteOutput(out + kExportManifest, bytes, kExportManifest);
}

// What a file's content depends on besides its own page, as one text: a change of any of
// them makes every file written with the old text stale.
std::string FileStamp(const std::string& path) {
    return path + "@" + std::to_string(ModifiedTime(path));
}

// 64-bit FNV-1a, in hex: a short key for a long settings text.
std::string Hash(std::string_view text) {
    unsigned long long h = 1469598103934665603ULL;
    for (char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%016llx", h);
    return buffer;
}

// The files below `source`, relative to it (folders end in "/" and come first).
std::vector<std::string> FilesBelow(const fs::path& source) {
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(source, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file()) files.push_back(fs::relative(it->path(), source, ec).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void CopyFileInto(const fs::path& from, const std::string& to) {
    std::error_code ec;
    fs::create_directories(fs::path(to).parent_path(), ec);
    if (!ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) throw EExportError("cannot copy " + from.string() + " to " + to + ": " + ec.message());
}

// Deletes a file Tarnel wrote and the folders it leaves empty, up to the export folder.
void RemoveWritten(const std::string& out, const std::string& relative) {
    std::error_code ec;
    fs::path path = fs::path(out) / relative;
    fs::remove(path, ec);
    for (fs::path dir = path.parent_path(); !ec && dir.string().size() + 1 > out.size() &&
                                            fs::path(out) != dir && fs::is_empty(dir, ec);
         dir = dir.parent_path())
        fs::remove(dir, ec);
}

// Whether a file name is that of a temporary file of an atomic write (".tarnel-" and six
// characters, as mkstemp makes them); the export's own manifest is none.
bool IsTemporaryName(const std::string& name) {
    return name.size() == 14 && name.starts_with(".tarnel-") && name != kExportManifest;
}

// Removes what an export killed while writing left behind: the temporary files of its
// atomic writes, in the export folder and in the folders this run writes into. Each
// removal is reported.
void RemoveStaleTemporaries(const std::string& out, const std::vector<std::string>& planned,
                            std::vector<std::string>& warnings) {
    std::set<fs::path> folders{fs::path(out)};
    for (const std::string& path : planned)
        folders.insert((fs::path(out) / path).parent_path());
    for (const fs::path& folder : folders) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            std::string name = entry.path().filename().string();
            if (!IsTemporaryName(name) || !entry.is_regular_file(ec) || entry.is_symlink(ec))
                continue;
            std::error_code removeError;
            if (fs::remove(entry.path(), removeError))
                warnings.push_back(entry.path().string() +
                                   ": removed, left by an interrupted export");
        }
    }
}

// Takes the link to index.html out of a page when no index is written, keeping its text.
std::string WithoutIndexLink(std::string html) {
    const std::string open = "<a href=\"index.html\">";
    for (std::size_t at = html.find(open); at != std::string::npos; at = html.find(open, at)) {
        std::size_t close = html.find("</a>", at);
        if (close == std::string::npos) break;
        html = html.substr(0, at) + html.substr(at + open.size(), close - at - open.size()) +
               html.substr(close + 4);
    }
    return html;
}

} // namespace

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
    CheckExportFolder(wiki, out);
    if (options.refreshPageList) session.RefreshPageList();
    const TWikiFileList& pages = session.PageList();
    const std::string cssName = options.design.empty() ? settings.CssName : options.design;
    const std::string design = session.AppFolder() + "css/" + cssName;
    if (!fs::is_directory(design, ec))
        throw EExportError("the design folder " + design + " does not exist");

    // The output name of every page of the wiki, so that links follow the names even to
    // pages not chosen this time.
    const int total = pages.Count();
    std::vector<std::string> outNames;
    std::map<std::string, std::string> outNameOfFile;
    {
        std::vector<std::string> pageNames;
        for (int i = 0; i < total; ++i)
            pageNames.push_back(pages.PageName(i));
        if (options.fileNameKind == TExportFileNameKind::Title) {
            outNames = TitleExportNames(pageNames);
        } else {
            for (int i = 0; i < total; ++i)
                outNames.push_back(StandardExportName(pages.FileName(i)));
        }
        for (int i = 0; i < total; ++i)
            outNameOfFile[pages.FileName(i)] = outNames[static_cast<std::size_t>(i)];
    }

    // The export converter: the current notation with export links to the names above.
    TConverterOptions converterOptions = session.ConverterOptions(TLinkMode::Export);
    converterOptions.ExportHref = [&](const std::string& pageFile) {
        auto found = outNameOfFile.find(pageFile);
        return Href(found != outNameOfFile.end() ? found->second : StandardExportName(pageFile));
    };
    auto converter = session.MakeConverter(converterOptions);
    const PageReadOptions read = session.ReadOptions();
    const bool utf8Titles = settings.TitleEncodingUTF8;
    const std::string exportTemplate = session.Templates().ExportTemplatePath();
    const std::string listTemplate = session.Templates().ListTemplatePath();
    const TMenuBarOptions menuBar = MenuBarOptionsOf(*converter, session.Notation(), read);
    if (!fs::is_regular_file(exportTemplate, ec))
        throw EExportError("the export template " + exportTemplate + " does not exist");
    if (options.index && !fs::is_regular_file(listTemplate, ec))
        throw EExportError("the list template " + listTemplate + " does not exist");
    const std::string exportTemplateText = LoadTemplateText(exportTemplate);

    // The key of every page: what the HTML of a page depends on besides its own text.
    std::string pageSet;
    for (int i = 0; i < total; ++i)
        pageSet += pages.FileName(i) + "\n";
    const std::string menuBarFile = wiki +
                                    EncodePageName("MenuBar", converterOptions.Utf8FileNames) +
                                    converterOptions.Extension;
    const std::string settingsText =
        std::to_string(static_cast<int>(options.encoding)) + "|" +
        std::to_string(static_cast<int>(options.fileNameKind)) + "|" + cssName + "|" +
        (options.index ? "index" : "no-index") + "|" + FileStamp(exportTemplate) + "|" +
        FileStamp(menuBarFile) + "|" + std::to_string(static_cast<int>(session.Notation())) + "|" +
        std::to_string(static_cast<int>(read.encoding)) + std::to_string(read.utf8Text) +
        std::to_string(static_cast<int>(read.readCharCode)) + std::to_string(utf8Titles) + "|" +
        Hash(pageSet);
    const std::string pageKey = Hash(settingsText);
    const std::string indexKey = Hash(settingsText + "|" + FileStamp(listTemplate));

    TManifest previous = ReadManifest(out);
    if (options.clean) {
        for (const auto& [path, key] : previous)
            RemoveWritten(out, path);
        previous.clear();
    }

    // Everything this run may write, checked before anything is written: a file there
    // that an earlier export did not write is the user's.
    std::vector<std::pair<std::string, fs::path>> copies; // relative target, source
    for (const std::string& f : FilesBelow(design))
        copies.emplace_back("css/" + cssName + "/" + f, fs::path(design) / f);
    if (options.copyFolders) {
        for (const auto& entry : fs::directory_iterator(wiki, ec)) {
            if (!entry.is_directory() || entry.is_symlink()) continue;
            std::string name = entry.path().filename().string();
            for (const std::string& f : FilesBelow(entry.path()))
                copies.emplace_back(name + "/" + f, entry.path() / f);
        }
    }
    std::vector<std::string> planned;
    for (int i = 0; i < total; ++i)
        if (options.all || options.pages.count(pages.FileName(i)))
            planned.push_back(FileSystemName(outNames[static_cast<std::size_t>(i)]));
    for (const auto& copy : copies)
        planned.push_back(copy.first);
    if (options.index) planned.push_back("index.html");
    if (!options.overwriteForeign) {
        std::string foreign;
        std::vector<std::string> files;
        for (const std::string& path : planned) {
            if (previous.count(path) || !fs::exists(fs::path(out) / path, ec)) continue;
            if (files.size() < 5) foreign += (foreign.empty() ? "" : ", ") + path;
            files.push_back(path);
        }
        const std::size_t count = files.size();
        if (count)
            throw EExportForeignFiles(
                std::to_string(count) + " file(s) in " + out +
                    " were not written by Tarnel and would be overwritten: " + foreign +
                    (count > 5 ? ", ..." : "") + " (--force overwrites them)",
                std::move(files));
    }

    // The manifest names everything planned before the first write, with a key that
    // matches nothing: an export killed half-way leaves files that the next one knows as
    // its own and writes again.
    TExportResult result;
    result.warnings = pages.skipped;
    RemoveStaleTemporaries(out, planned, result.warnings);
    TManifest manifest = previous;
    for (const std::string& path : planned)
        if (!manifest.count(path)) manifest[path] = "-";
    WriteManifest(out, manifest);

    std::string indexList;
    for (int i = 0; i < total; ++i) {
        if (progress && !progress(i, total)) {
            WriteManifest(out, manifest);
            throw EExportError("the export was cancelled");
        }
        const std::string& fileName = pages.FileName(i);
        if (!options.all && !options.pages.count(fileName)) continue;
        const std::string source = pages.FilePath(i);
        const std::string pageName = pages.PageName(i);
        const std::string what = "page \"" + pageName + "\" (" + fileName + ")";
        const std::string& outName = outNames[static_cast<std::size_t>(i)];
        const std::string relative = FileSystemName(outName);
        const std::string outPath = out + relative;

        // The index line needs only the page's title, which comes from its file name, so an
        // unchanged page is listed without being read or converted.
        const std::string title = DecodeFileName(source, settings.NameEncodingUTF8);
        indexList += "<li><a href=\"" + TWikiDocumentConverter::EscapeAttribute(Href(outName)) +
                     "\">" + TWikiDocumentConverter::EscapeHtml(title) + "</a></li>\r\n";
        ++result.listed;
        auto old = previous.find(relative);
        if (!options.oldFile && old != previous.end() && old->second == pageKey &&
            ModifiedTime(source) <= ModifiedTime(outPath)) {
            ++result.unchanged;
            continue;
        }

        try {
            std::string text;
            try {
                text = ReadPageText(source, read);
            } catch (const EPageFileError& e) {
                throw EExportError(what + ": " + e.what());
            }
            converter->ConvertTaken(source, std::move(text));
            TPageTags page = PageTagsOf(*converter, utf8Titles);
            page.TemplateFolder = session.Templates().TemplateFolder();
            page.CssFolder = session.AppFolder() + "css";
            page.DesignName = cssName;
            page.DocumentFolder = wiki;
            page.EncodingName =
                utf8Titles ? "UTF-8" : CharsetName(static_cast<int>(options.encoding));
            page.MenuBar = [&] { return ConvertMenuBar(wiki, menuBar); };
            std::string html = Fill(exportTemplateText, MainTagHandler(page), what);
            if (!options.index) html = WithoutIndexLink(html);
            // With UTF-8 titles the tag texts are UTF-8 already: nothing is converted.
            if (!utf8Titles) html = ConvertForExport(options.encoding, html);
            WriteOutput(outPath, html, what);
            manifest[relative] = pageKey;
            ++result.written;
        } catch (const EExportError& e) {
            ++result.failed;
            result.failures.push_back(e.what());
        } catch (const std::exception& e) {
            ++result.failed;
            result.failures.push_back(what + ": " + e.what());
        }
    }
    if (progress) progress(total, total);

    // The design lands under css/<name>/, where the export template looks for it; the
    // wiki's sub-folders beside the pages.
    for (const auto& [relative, from] : copies) {
        CopyFileInto(from, out + relative);
        manifest[relative] = "copy";
    }

    if (options.index) {
        std::string list = "<ul>\r\n" + indexList + "</ul>\r\n";
        // index.html is converted to the export encoding as a whole, so its tags are filled
        // in display form, and its menu bar links to exported files.
        TPageTags page;
        page.TemplateFolder = session.Templates().TemplateFolder();
        page.CssFolder = session.AppFolder() + "css";
        page.DesignName = cssName;
        page.DocumentFolder = wiki;
        page.EncodingName = CharsetName(static_cast<int>(options.encoding));
        page.MenuBar = [&] { return ConvertMenuBar(wiki, menuBar); };
        std::string html =
            Fill(LoadTemplateText(listTemplate), ListTagHandler(page, list), "index.html");
        WriteOutput(out + "index.html", ConvertForExport(options.encoding, html), "index.html");
        manifest["index.html"] = indexKey;
    }

    // Files of earlier exports that this wiki no longer has: pages deleted or renamed,
    // names or design changed, the index dropped. Pages not chosen this time keep theirs.
    std::set<std::string> current;
    for (int i = 0; i < total; ++i)
        current.insert(FileSystemName(outNames[static_cast<std::size_t>(i)]));
    for (const auto& copy : copies)
        current.insert(copy.first);
    if (options.index) current.insert("index.html");
    for (auto it = manifest.begin(); it != manifest.end();) {
        if (current.count(it->first)) {
            ++it;
            continue;
        }
        RemoveWritten(out, it->first);
        ++result.removed;
        it = manifest.erase(it);
    }
    WriteManifest(out, manifest);
    return result;
}

} // namespace tarnel
