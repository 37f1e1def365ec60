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

TWikiSession::TWikiSession(std::string appFolder)
    : appFolder_(std::move(appFolder)), templates_(appFolder_), language_(appFolder_) {
    if (!appFolder_.empty() && appFolder_.back() != '/') appFolder_ += '/';
}

TWikiSession::~TWikiSession() = default;

void TWikiSession::Start(const std::string& settingsFile, bool pluginsWhenCalled) {
    if (!settingsFile.empty()) settings_.SetFileName(settingsFile);
    settings_.Load();
    if (pluginsWhenCalled)
        plugins_.LoadFolderWhenAsked(appFolder_ + "plugin/");
    else
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
    return ConverterOptions(ViewLinkMode(settings_));
}

TConverterOptions TWikiSession::ConverterOptions(TLinkMode linkMode) const {
    // The plug-ins are called with the shelf's own state only; a converter never changes
    // the shelf, but the plug-in interface takes it as it is.
    return ConverterOptionsOf(settings_, linkMode, &pageNames_,
                              const_cast<TPluginShelf*>(&plugins_), templates_);
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
    Changed();
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
    Changed();
    if (reread) {
        searchResults_.Clear();
        if (!documentFolder_.empty()) RefreshPageList();
    }
}

void TWikiSession::RefreshPageList() {
    pageList_.folder = documentFolder_;
    pageList_.Update();
    pageNames_.Assign(pageList_);
    Changed();
}

bool TWikiSession::Search(const std::string& displayQuery, const SearchOptions& options,
                          const SearchProgress& progress) {
    ApplyListSettings(searchResults_, false);
    return RunSearch(displayQuery, documentFolder_, settings_.Extension, searchResults_, options,
                     progress, readEncoding_);
}

PageReadOptions TWikiSession::ReadOptions() const {
    return ReadOptionsOf(settings_, readEncoding_);
}

TWikiTemplateNames TWikiSession::TemplateNames() const {
    TWikiTemplateNames names;
    names.exportTemplate = templates_.ExportFileName;
    names.listTemplate = templates_.ListFileName;
    names.mainTemplate = templates_.MainFileName;
    return names;
}

TPreparedWiki TWikiSession::PrepareWiki(const std::string& folder) const {
    return TPreparedWiki::Open(folder, settings_, templates_, notation_);
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
    Changed();
}

std::vector<std::string> TWikiSession::OpenWiki(const std::string& folder) {
    std::vector<std::string> messages;
    if (folder == documentFolder_) return messages;
    TakeWiki(PrepareWiki(folder), messages);
    return messages;
}

TConversionInputs TWikiSession::InputsFor(const std::string& fileName) const {
    TConversionInputs in;
    in.AppFolder = appFolder_;
    in.FileName = fileName;
    in.OtherWiki = FolderOf(fileName) != documentFolder_;
    in.Settings = settings_;
    in.Templates = templates_;
    in.Notation = notation_;
    in.Pages = &pageNames_;
    in.Plugins = const_cast<TPluginShelf*>(&plugins_);
    in.ReadEncoding = readEncoding_;
    in.ShownCharset = shownCharset_;
    in.TemplateNotFound = LangText(language_, "Main.Message.TemplateNotFound");
    in.StdTemplateNotFound = LangText(language_, "Main.Message.StdTemplateNotFound");
    in.Stamp = stamp_;
    in.DocumentFolder = documentFolder_;
    return in;
}

TPageConversion TWikiSession::PreparePage(const std::string& fileName, bool aside) {
    // A page of the open wiki is converted with the open wiki's settings, after its page
    // names are brought up to date when another program changed the folder; a page of
    // another wiki with that wiki's, prepared aside by the conversion itself.
    if (FolderOf(fileName) == documentFolder_ && !pageNames_.IsCurrent()) RefreshPageList();
    TConversionInputs in = InputsFor(fileName);
    if (aside) {
        auto copy = std::make_shared<const TPageNameSet>(pageNames_);
        in.Pages = copy.get();
        in.PagesCopy = std::move(copy);
    }
    return TPageConversion(std::move(in));
}

bool TWikiSession::IsCurrent(const TPageConversion& page) const {
    return page.Inputs().Stamp == stamp_ && page.Inputs().DocumentFolder == documentFolder_;
}

std::optional<TShownPage> TWikiSession::ShowDocument(const std::string& fileName) {
    if (!IsPlainFile(fileName)) return std::nullopt;
    std::string text = ReadPageText(fileName, ReadOptions());
    TPageConversion page = PreparePage(fileName);
    page.SetText(std::move(text));
    page.Run();
    return CommitPage(std::move(page));
}

std::optional<TShownPage> TWikiSession::CommitPage(TPageConversion&& page) {
    page.RethrowError();
    if (!page.Found()) return std::nullopt;
    TShownPage shown = std::move(page.shown_);
    if (!shown.Filled) return shown;

    // Shown: from here on nothing fails, and the session takes the page over.
    const std::string& fileName = page.FileName();
    std::vector<std::string> messages;
    if (page.wiki_) TakeWiki(std::move(*page.wiki_), messages);
    shown.Messages.insert(shown.Messages.begin(), messages.begin(), messages.end());
    shown.SamePage = documentFileName_ == fileName;
    templates_ = std::move(*page.templates_);
    converter_ = std::move(page.converter_);
    converter_->Options.Pages = &pageNames_;
    documentFileName_ = fileName;
    documentText_ = std::move(page.text_);
    recent_.Add(fileName);
    settings_.LastView = fileName;
    Changed();
    return shown;
}

TShownPage TWikiSession::FillMainTemplate() {
    return FillMainPage(*converter_, InputsFor(documentFileName_), settings_, templates_, notation_,
                        documentFolder_);
}

std::optional<TShownPage> TWikiSession::SetDesign(const std::string& design) {
    settings_.CssName = design;
    Changed();
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
