#include "render/UPageConversion.h"

#include "settings/ULanguage.h"
#include "text/UFileIO.h"

namespace tarnel {

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

TPreparedWiki TPreparedWiki::Open(const std::string& folder, const TTarnelReg& settings,
                                  const TTemplate& templates, TWikiNotation notation) {
    // The wiki is opened on a copy of the settings: leaving the open wiki copies the
    // settings into its Wiki.ini without changing them, so the copy opens exactly as the
    // settings themselves would after leaving.
    TPreparedWiki next{folder, settings, {}, templates, notation, {}, {}};
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

TLinkMode ViewLinkMode(const TTarnelReg& settings) {
    return settings.NoWikiNameLink ? TLinkMode::BrowseQuiet : TLinkMode::Browse;
}

TConverterOptions ConverterOptionsOf(const TTarnelReg& settings, TLinkMode linkMode,
                                     const TPageExistence* pages, TPluginShelf* plugins,
                                     const TTemplate& templates) {
    TConverterOptions options;
    options.Plugins = plugins;
    options.TemplateFolder = templates.TemplateFolder();
    options.LinkMode = linkMode;
    options.Extension = settings.Extension;
    options.Utf8FileNames = settings.NameEncodingUTF8;
    options.KeepLineBreaks = settings.LineBreak;
    options.LooseWikiName = settings.LooseWikiName;
    options.Pages = pages;
    return options;
}

PageReadOptions ReadOptionsOf(const TTarnelReg& settings, PageEncoding readEncoding) {
    return PageReadOptions{settings.TitleEncodingUTF8, settings.ReadCharCode, readEncoding};
}

TShownPage FillMainPage(const TWikiDocumentConverter& converter, const TConversionInputs& inputs,
                        const TTarnelReg& settings, TTemplate& templates, TWikiNotation notation,
                        const std::string& folder) {
    TShownPage shown;
    if (!IsPlainFile(templates.MainTemplatePath())) {
        shown.Messages.push_back(
            FormatText(inputs.TemplateNotFound, DisplayPath(templates.MainTemplatePath())));
        // The standard template stands in from now on for this wiki.
        templates.MainFileName = TTemplate::StandardFileName;
        if (!IsPlainFile(templates.MainTemplatePath())) {
            shown.Messages.push_back(
                FormatText(inputs.StdTemplateNotFound, DisplayPath(templates.MainTemplatePath())));
            return shown;
        }
    }
    const bool utf8 = settings.TitleEncodingUTF8;
    TPageTags page = PageTagsOf(converter, utf8);
    page.TemplateFolder = templates.TemplateFolder();
    page.CssFolder = inputs.AppFolder + "css";
    page.DesignName = settings.CssName;
    page.DocumentFolder = folder;
    page.EncodingName =
        inputs.ShownCharset.empty() ? CharsetName(utf8 ? 2 : 0) : inputs.ShownCharset;
    TMenuBarOptions menuBar =
        MenuBarOptionsOf(converter, notation, ReadOptionsOf(settings, inputs.ReadEncoding));
    page.MenuBar = [&] { return ConvertMenuBar(folder, menuBar); };

    TPageProducer producer;
    producer.HTMLFile = templates.MainTemplatePath();
    producer.OnHTMLTag = MainTagHandler(page);
    shown.Html = producer.Content();
    shown.Filled = true;
    return shown;
}

TPageConversion::TPageConversion(TConversionInputs inputs) : in_(std::move(inputs)) {}
TPageConversion::TPageConversion(TPageConversion&&) noexcept = default;
TPageConversion& TPageConversion::operator=(TPageConversion&&) noexcept = default;
TPageConversion::~TPageConversion() = default;

std::string TPageConversion::Folder() const {
    return FolderOf(in_.FileName);
}

bool TPageConversion::Read() {
    try {
        if (!IsPlainFile(in_.FileName)) return false;
        SetText(ReadPageText(in_.FileName, ReadOptionsOf(in_.Settings, in_.ReadEncoding)));
        return true;
    } catch (...) {
        error_ = std::current_exception();
        found_ = true; // the file is there; the commit reports why it could not be read
        return false;
    }
}

void TPageConversion::SetText(std::string text) {
    text_ = std::move(text);
    found_ = true;
}

void TPageConversion::OpenOtherWiki() {
    if (in_.OtherWiki && !wiki_)
        wiki_ = std::make_unique<TPreparedWiki>(
            TPreparedWiki::Open(Folder(), in_.Settings, in_.Templates, in_.Notation));
}

std::unique_ptr<TWikiDocumentConverter> TPageConversion::MakeConverter() const {
    const TTarnelReg& settings = Settings();
    return TWikiDocumentConverterMaker::GetWikiDocumentConverter(
        Notation(),
        ConverterOptionsOf(settings, ViewLinkMode(settings), Pages(), in_.Plugins, in_.Templates));
}

std::optional<std::string> TPageConversion::ConvertFirstPart(std::size_t length) {
    try {
        if (error_) return std::nullopt;
        OpenOtherWiki();
        auto converter = MakeConverter();
        converter->Convert(in_.FileName, text_.substr(0, std::min(length, text_.size())));
        TTemplate templates = wiki_ ? wiki_->templates : in_.Templates;
        TShownPage part =
            FillMainPage(*converter, in_, Settings(), templates, Notation(), Folder());
        if (!part.Filled) return std::nullopt;
        return std::move(part.Html);
    } catch (...) {
        // The whole page meets the same fault and reports it.
        return std::nullopt;
    }
}

void TPageConversion::Run() {
    if (error_ || !found_) return;
    try {
        OpenOtherWiki();
        converter_ = MakeConverter();
        converter_->Convert(in_.FileName, text_);
        templates_.emplace(wiki_ ? wiki_->templates : in_.Templates);
        shown_ = FillMainPage(*converter_, in_, Settings(), *templates_, Notation(), Folder());
        done_ = true;
    } catch (...) {
        error_ = std::current_exception();
    }
}

void TPageConversion::RethrowError() const {
    if (error_) std::rethrow_exception(error_);
}

} // namespace tarnel
