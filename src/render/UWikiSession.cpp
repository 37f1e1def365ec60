#include "render/UWikiSession.h"

#include "storage/UPageFile.h"
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

namespace {

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A message format with one "%s".
std::string FormatOne(const std::string& format, const std::string& value) {
    std::size_t p = format.find("%s");
    if (p == std::string::npos) return format;
    return format.substr(0, p) + value + format.substr(p + 2);
}

// A file-system path (UTF-8) shown in a display-form message.
std::string DisplayPath(const std::string& path) {
    std::string shown = Utf8ToShiftJis(path);
    return shown.empty() ? path : shown;
}

} // namespace

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

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
    converter_ = MakeConverter(notation_);
    for (TWikiFileList* list : {&pageList_, &searchResults_}) {
        list->extension = settings_.Extension;
        list->useUtf8Names = settings_.NameEncodingUTF8;
    }
    pageList_.displayHierarchy = settings_.DisplayHierarchy;
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

std::unique_ptr<TWikiDocumentConverter> TWikiSession::MakeConverter(TWikiNotation notation) {
    auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(
        notation, &plugins_, templates_.TemplateFolder(), settings_.NoWikiNameLink ? 3 : 4,
        settings_.Extension, settings_.NameEncodingUTF8, settings_.LineBreak);
    converter->LooseWikiName = settings_.LooseWikiName;
    return converter;
}

void TWikiSession::SwitchNotation(TWikiNotation notation) {
    if (notation == notation_ && converter_) return;
    // The new converter takes over the current one's options.
    auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(
        notation, converter_->Plugins, converter_->TemplateFolder, converter_->LinkMode,
        converter_->Extension, converter_->Utf8FileNames, converter_->KeepLineBreaks);
    converter->LooseWikiName = converter_->LooseWikiName;
    converter_ = std::move(converter);
    notation_ = notation;
    settings_.Notation = notation;
}

void TWikiSession::ApplySettingsToConverter() {
    converter_->LinkMode = settings_.NoWikiNameLink ? 3 : 4;
    converter_->LooseWikiName = settings_.LooseWikiName;
    converter_->KeepLineBreaks = settings_.LineBreak;
    converter_->Extension = settings_.Extension;
    converter_->Utf8FileNames = settings_.NameEncodingUTF8;
}

PageReadOptions TWikiSession::ReadOptions() const {
    return PageReadOptions{settings_.TitleEncodingUTF8, settings_.ReadCharCode};
}

TWikiTemplateNames TWikiSession::TemplateNames() const {
    TWikiTemplateNames names;
    names.exportTemplate = templates_.ExportFileName;
    names.listTemplate = templates_.ListFileName;
    names.mainTemplate = templates_.MainFileName;
    return names;
}

void TWikiSession::ChangeWiki(const std::string& folder, std::vector<std::string>& messages) {
    // The wiki left behind keeps its settings; a Wiki.ini that cannot be written (a
    // read-only wiki) is reported, and the new wiki opens all the same.
    try {
        LeaveWikiSettings(wikiSettings_, settings_, TemplateNames());
    } catch (const EDocumentSettingsError& e) {
        messages.push_back(DisplayPath(e.what()));
    }
    TWikiOpening opened = OpenWikiSettings(wikiSettings_, settings_, folder);
    if (opened.notationChanged || opened.notation != notation_) SwitchNotation(opened.notation);
    converter_->Extension = opened.extension;
    converter_->LooseWikiName = opened.looseWikiName;
    pageList_.extension = opened.extension;
    searchResults_.extension = opened.extension;
    pageList_.displayHierarchy = opened.displayHierarchy;
    templates_.MainFileName = opened.templates.mainTemplate;
    templates_.ListFileName = opened.templates.listTemplate;
    templates_.ExportFileName = opened.templates.exportTemplate;
    recent_.Clear();
    searchResults_.Clear();
}

std::vector<std::string> TWikiSession::OpenWiki(const std::string& folder) {
    std::vector<std::string> messages;
    if (folder == documentFolder_) return messages;
    ChangeWiki(folder, messages);
    documentFolder_ = folder;
    pageList_.folder = folder;
    return messages;
}

std::optional<TShownPage> TWikiSession::ShowDocument(const std::string& fileName) {
    if (!FileExists(fileName)) return std::nullopt;
    TShownPage shown;
    documentText_ = ReadPageText(fileName, ReadOptions());

    std::string folder = FolderOf(fileName);
    if (folder != documentFolder_) ChangeWiki(folder, shown.Messages);

    converter_->Convert(fileName, documentText_);
    shown.SamePage = documentFileName_ == fileName;
    documentFileName_ = fileName;
    documentFolder_ = folder;

    TShownPage filled = FillMainTemplate();
    shown.Html = std::move(filled.Html);
    shown.Filled = filled.Filled;
    shown.Messages.insert(shown.Messages.end(), filled.Messages.begin(), filled.Messages.end());
    if (!shown.Filled) return shown;

    recent_.Add(fileName);
    settings_.LastView = fileName;
    return shown;
}

TShownPage TWikiSession::FillMainTemplate() {
    TShownPage shown;
    if (!FileExists(templates_.MainTemplatePath())) {
        shown.Messages.push_back(FormatOne(LangText(language_, "Main.Message.TemplateNotFound"),
                                           DisplayPath(templates_.MainTemplatePath())));
        // The standard template stands in from now on for this wiki.
        templates_.MainFileName = TTemplate::StandardFileName;
        if (!FileExists(templates_.MainTemplatePath())) {
            shown.Messages.push_back(
                FormatOne(LangText(language_, "Main.Message.StdTemplateNotFound"),
                          DisplayPath(templates_.MainTemplatePath())));
            return shown;
        }
    }
    const bool utf8 = settings_.TitleEncodingUTF8;
    TPageTags page = PageTagsOf(*converter_, utf8);
    page.TemplateFolder = templates_.TemplateFolder();
    page.CssFolder = appFolder_ + "css";
    page.DesignName = settings_.CssName;
    page.DocumentFolder = documentFolder_;
    page.EncodingName = CharsetName(utf8 ? 2 : 0);
    TMenuBarOptions menuBar = MenuBarOptionsOf(*converter_, notation_, ReadOptions());
    std::string folder = documentFolder_;
    page.MenuBar = [&] { return ConvertMenuBar(folder, menuBar); };

    TPageProducer producer;
    producer.HTMLFile = templates_.MainTemplatePath();
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
    return FormatOne(LangText(language_, "Main.Title.Format"),
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
    const std::string& ext = converter_->Extension;
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
