#include "render/UWikiSession.h"

#include "storage/UPageFile.h"
#include "text/UFileIO.h"
#include "text/jconvert.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {} // namespace

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Everything that opening another wiki changes, prepared before any of it is taken over.
struct TWikiSession::TPreparedWiki {
    std::string folder;
    TTarnelReg settings;
    TDocumentSettings wiki;
    TTemplate templates;
    TWikiNotation notation = TWikiNotation::YukiWiki;
    TWikiFileList pageList;
    TPageNameSet pageNames;
};

TWikiSession::TWikiSession(std::string appFolder)
    : appFolder_(std::move(appFolder)), templates_(appFolder_), language_(appFolder_) {
    if (!appFolder_.empty() && appFolder_.back() != '/') appFolder_ += '/';
}

TWikiSession::~TWikiSession() = default;

void TWikiSession::Start(const std::string& settingsFile) {
    if (!settingsFile.empty()) settings_.SetFileName(settingsFile);
    settings_.Load();
    plugins_.LoadFolder(appFolder_ + "plugin/");
    notation_ =
        settings_.Notation == TWikiNotation::None ? TWikiNotation::YukiWiki : settings_.Notation;
    converter_ = MakeConverter(ConverterOptions());
    ApplyListSettings(pageList_, true);
    ApplyListSettings(searchResults_, false);
    recent_.useUtf8Names = settings_.NameEncodingUTF8;
    std::string language = language_.ChooseLanguage(settings_.Language);
    if (!language.empty()) {
        language_.LoadLanguage(language + ".txt");
        settings_.Language = language;
    }
}

void TWikiSession::Close() {
    LeaveWikiSettings(wikiSettings_, settings_, TemplateNames());
    settings_.Save();
}

TConverterOptions TWikiSession::ConverterOptions() const {
    return OptionsOf(settings_, ViewLinkMode(settings_), &pageNames_);
}

TConverterOptions TWikiSession::ConverterOptions(TLinkMode linkMode) const {
    return OptionsOf(settings_, linkMode, &pageNames_);
}

TLinkMode TWikiSession::ViewLinkMode(const TTarnelReg& settings) {
    return settings.NoWikiNameLink ? TLinkMode::BrowseQuiet : TLinkMode::Browse;
}

TConverterOptions TWikiSession::OptionsOf(const TTarnelReg& settings, TLinkMode linkMode,
                                          const TPageExistence* pages) const {
    TConverterOptions options;
    // The plug-ins are called with the shelf's own state only; a converter never changes
    // the shelf, but the plug-in interface takes it as it is.
    options.Plugins = const_cast<TPluginShelf*>(&plugins_);
    options.TemplateFolder = templates_.TemplateFolder();
    options.LinkMode = linkMode;
    options.Extension = settings.Extension;
    options.Utf8FileNames = settings.NameEncodingUTF8;
    options.KeepLineBreaks = settings.LineBreak;
    options.LooseWikiName = settings.LooseWikiName;
    options.Pages = pages;
    return options;
}

PageReadOptions TWikiSession::ReadOptionsOf(const TTarnelReg& settings) const {
    return PageReadOptions{settings.TitleEncodingUTF8, settings.ReadCharCode, readEncoding_};
}

std::unique_ptr<TWikiDocumentConverter>
TWikiSession::MakeConverter(const TConverterOptions& options) const {
    return TWikiDocumentConverterMaker::GetWikiDocumentConverter(notation_, options);
}

void TWikiSession::SwitchNotation(TWikiNotation notation) {
    if (notation == notation_ && converter_) return;
    converter_ =
        TWikiDocumentConverterMaker::GetWikiDocumentConverter(notation, converter_->Options);
    notation_ = notation;
    settings_.Notation = notation;
}

void TWikiSession::ApplyListSettings(TWikiFileList& list, bool pageList) const {
    list.extension = settings_.Extension;
    list.useUtf8Names = settings_.NameEncodingUTF8;
    if (pageList) list.displayHierarchy = settings_.DisplayHierarchy;
}

void TWikiSession::ApplySettings() {
    const bool reread = pageList_.extension != settings_.Extension ||
                        pageList_.useUtf8Names != settings_.NameEncodingUTF8;
    converter_->Options = ConverterOptions();
    ApplyListSettings(pageList_, true);
    ApplyListSettings(searchResults_, false);
    recent_.useUtf8Names = settings_.NameEncodingUTF8;
    if (reread) {
        searchResults_.Clear();
        if (!documentFolder_.empty()) RefreshPageList();
    }
}

void TWikiSession::RefreshPageList() {
    pageList_.folder = documentFolder_;
    pageList_.Update();
    pageNames_.Assign(pageList_);
}

bool TWikiSession::Search(const std::string& displayQuery, const SearchOptions& options,
                          const SearchProgress& progress) {
    ApplyListSettings(searchResults_, false);
    return RunSearch(displayQuery, documentFolder_, settings_.Extension, searchResults_, options,
                     progress, readEncoding_);
}

PageReadOptions TWikiSession::ReadOptions() const {
    return ReadOptionsOf(settings_);
}

TWikiTemplateNames TWikiSession::TemplateNames() const {
    TWikiTemplateNames names;
    names.exportTemplate = templates_.ExportFileName;
    names.listTemplate = templates_.ListFileName;
    names.mainTemplate = templates_.MainFileName;
    return names;
}

TWikiSession::TPreparedWiki TWikiSession::PrepareWiki(const std::string& folder) const {
    // The wiki is opened on a copy of the settings: leaving the open wiki copies the
    // settings into its Wiki.ini without changing them, so the copy opens exactly as the
    // settings themselves would after leaving.
    TPreparedWiki next{folder, settings_, {}, templates_, notation_, {}, {}};
    TWikiOpening opened = OpenWikiSettings(next.wiki, next.settings, folder);
    next.notation = opened.notation;
    next.templates.MainFileName = opened.templates.mainTemplate;
    next.templates.ListFileName = opened.templates.listTemplate;
    next.templates.ExportFileName = opened.templates.exportTemplate;
    next.pageList.folder = folder;
    next.pageList.extension = next.settings.Extension;
    next.pageList.useUtf8Names = next.settings.NameEncodingUTF8;
    next.pageList.displayHierarchy = next.settings.DisplayHierarchy;
    next.pageList.Update();
    next.pageNames.Assign(next.pageList);
    return next;
}

void TWikiSession::TakeWiki(TPreparedWiki&& next, std::vector<std::string>& messages) {
    // The wiki left behind keeps its settings; a Wiki.ini that cannot be written (a
    // read-only wiki) is reported, and the new wiki opens all the same.
    try {
        LeaveWikiSettings(wikiSettings_, settings_, TemplateNames());
    } catch (const EDocumentSettingsError& e) {
        messages.push_back(DisplayPath(e.what()));
    }
    settings_ = next.settings;
    wikiSettings_ = std::move(next.wiki);
    templates_ = std::move(next.templates);
    pageList_ = std::move(next.pageList);
    pageNames_ = std::move(next.pageNames);
    documentFolder_ = next.folder;
    if (next.notation != notation_) {
        notation_ = next.notation;
        converter_ = MakeConverter(ConverterOptions());
    } else {
        converter_->Options = ConverterOptions();
    }
    ApplyListSettings(searchResults_, false);
    searchResults_.Clear();
    searchResults_.folder = next.folder;
    recent_.Clear();
    recent_.useUtf8Names = settings_.NameEncodingUTF8;
}

std::vector<std::string> TWikiSession::OpenWiki(const std::string& folder) {
    std::vector<std::string> messages;
    if (folder == documentFolder_) return messages;
    TakeWiki(PrepareWiki(folder), messages);
    return messages;
}

std::optional<TShownPage> TWikiSession::ShowDocument(const std::string& fileName) {
    if (!IsPlainFile(fileName)) return std::nullopt;
    std::string text = ReadPageText(fileName, ReadOptions());

    // A page of another wiki is converted with that wiki's settings, prepared aside; a page
    // of the open wiki with the open wiki's, after its page names are brought up to date
    // when another program changed the folder.
    const std::string folder = FolderOf(fileName);
    std::optional<TPreparedWiki> next;
    if (folder != documentFolder_) {
        next.emplace(PrepareWiki(folder));
    } else if (!pageNames_.IsCurrent()) {
        RefreshPageList();
    }
    const TTarnelReg& settings = next ? next->settings : settings_;
    TTemplate templates = next ? next->templates : templates_;
    const TWikiNotation notation = next ? next->notation : notation_;

    auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(
        notation,
        OptionsOf(settings, ViewLinkMode(settings), next ? &next->pageNames : &pageNames_));
    converter->Convert(fileName, text);

    TShownPage shown = FillPage(*converter, notation, settings, templates, folder);
    if (!shown.Filled) return shown;

    // Shown: from here on nothing fails, and the session takes the page over.
    std::vector<std::string> messages;
    if (next) TakeWiki(std::move(*next), messages);
    shown.Messages.insert(shown.Messages.begin(), messages.begin(), messages.end());
    shown.SamePage = documentFileName_ == fileName;
    templates_ = std::move(templates);
    converter->Options.Pages = &pageNames_;
    converter_ = std::move(converter);
    documentFileName_ = fileName;
    documentText_ = std::move(text);
    recent_.Add(fileName);
    settings_.LastView = fileName;
    return shown;
}

TShownPage TWikiSession::FillMainTemplate() {
    return FillPage(*converter_, notation_, settings_, templates_, documentFolder_);
}

TShownPage TWikiSession::FillPage(const TWikiDocumentConverter& converter, TWikiNotation notation,
                                  const TTarnelReg& settings, TTemplate& templates,
                                  const std::string& folder) const {
    TShownPage shown;
    if (!IsPlainFile(templates.MainTemplatePath())) {
        shown.Messages.push_back(FormatText(LangText(language_, "Main.Message.TemplateNotFound"),
                                            DisplayPath(templates.MainTemplatePath())));
        // The standard template stands in from now on for this wiki.
        templates.MainFileName = TTemplate::StandardFileName;
        if (!IsPlainFile(templates.MainTemplatePath())) {
            shown.Messages.push_back(
                FormatText(LangText(language_, "Main.Message.StdTemplateNotFound"),
                           DisplayPath(templates.MainTemplatePath())));
            return shown;
        }
    }
    const bool utf8 = settings.TitleEncodingUTF8;
    TPageTags page = PageTagsOf(converter, utf8);
    page.TemplateFolder = templates.TemplateFolder();
    page.CssFolder = appFolder_ + "css";
    page.DesignName = settings.CssName;
    page.DocumentFolder = folder;
    page.EncodingName = shownCharset_.empty() ? CharsetName(utf8 ? 2 : 0) : shownCharset_;
    TMenuBarOptions menuBar = MenuBarOptionsOf(converter, notation, ReadOptionsOf(settings));
    page.MenuBar = [&] { return ConvertMenuBar(folder, menuBar); };

    TPageProducer producer;
    producer.HTMLFile = templates.MainTemplatePath();
    producer.OnHTMLTag = MainTagHandler(page);
    shown.Html = producer.Content();
    shown.Filled = true;
    return shown;
}

std::optional<TShownPage> TWikiSession::SetDesign(const std::string& design) {
    settings_.CssName = design;
    return ReshowDocument();
}

std::string TWikiSession::WindowTitle() const {
    return FormatText(LangText(language_, "Main.Title.Format"),
                      DecodeFileName(documentFileName_, settings_.NameEncodingUTF8));
}

std::string TWikiSession::TmpFilePath(const std::string& fileName) const {
    // The program's own tmp folder when it can be written, else the user's cache.
    std::string folder = appFolder_ + "tmp/";
    if (access(appFolder_.c_str(), W_OK) != 0 ||
        (access(folder.c_str(), F_OK) == 0 && access(folder.c_str(), W_OK) != 0)) {
        const char* cache = std::getenv("XDG_CACHE_HOME");
        const char* home = std::getenv("HOME");
        std::string base =
            cache && cache[0] == '/' ? cache : std::string(home ? home : "/tmp") + "/.cache";
        folder = base + "/tarnel/tmp/";
    }
    std::size_t slash = fileName.find_last_of('/');
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    // Every occurrence of the extension, compared without case, becomes ".html".
    const std::string& ext = converter_->Options.Extension;
    if (!ext.empty()) {
        std::string out;
        for (std::size_t i = 0; i < name.size();) {
            if (strncasecmp(name.c_str() + i, ext.c_str(), ext.size()) == 0) {
                out += ".html";
                i += ext.size();
            } else {
                out += name[i++];
            }
        }
        name = out;
    } else {
        name += ".html";
    }
    return folder + name;
}

std::string TWikiSession::WriteTmpFile(const std::string& fileName, const std::string& html) const {
    std::string path = TmpFilePath(fileName);
    std::error_code ec;
    std::filesystem::create_directories(FolderOf(path), ec);
    if (ec)
        throw std::runtime_error("cannot create the folder " + FolderOf(path) + ": " +
                                 ec.message());
    WriteFileAtomically(path, html);
    return FileUrl(path);
}

} // namespace tarnel
