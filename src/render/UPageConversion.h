// One page on its way from the page file to the filled page HTML, apart from the session.
//
// The session copies into a TPageConversion everything converting the page reads (the
// settings, the templates, the notation, the page names the links are checked against, the
// message texts), so that the conversion may run on another thread while the window goes
// on. Nothing here touches the session; the session takes the result over afterwards
// (TWikiSession::CommitPage), or drops it when something it read has changed meanwhile.
//
// Errors are kept, not thrown: Read and Run note an exception, and the commit raises it on
// the thread that shows the page.
#pragma once

#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"
#include "render/UPageNameSet.h"
#include "render/UTemplateLib.h"
#include "settings/UTarnelReg.h"
#include "storage/UDocumentSettings.h"
#include "storage/UPageFile.h"
#include "storage/UWikiFileList.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnel {

// The folder part of a path, with its trailing "/".
std::string FolderOf(const std::string& path);

// What showing one page produced.
struct TShownPage {
    std::string Html;      // the filled page; empty when no template could be filled
    bool Filled = false;   // false: the standard template is missing too (see Messages)
    bool SamePage = false; // the page shown before was this one (keep the scroll position)
    // Messages for the user, in display form, in the order they arose: a missing main
    // template (the standard one is used), a missing standard template, a Wiki.ini of the
    // wiki left behind that could not be written.
    std::vector<std::string> Messages;
};

// Everything that opening another wiki changes, prepared before any of it is taken over.
struct TPreparedWiki {
    std::string folder;
    TTarnelReg settings;
    TDocumentSettings wiki;
    TTemplate templates;
    TWikiNotation notation = TWikiNotation::YukiWiki;
    TWikiFileList pageList;
    TPageNameSet pageNames;

    // Opens the wiki in `folder` on copies of the settings, templates and notation in use.
    static TPreparedWiki Open(const std::string& folder, const TTarnelReg& settings,
                              const TTemplate& templates, TWikiNotation notation);
};

// What the conversion of one page reads, taken from the session when the page is asked for.
struct TConversionInputs {
    std::string AppFolder;  // the program folder, ending in "/"
    std::string FileName;   // the page file
    bool OtherWiki = false; // the page lies outside the open wiki, which it opens
    TTarnelReg Settings;
    TTemplate Templates{""};
    TWikiNotation Notation = TWikiNotation::YukiWiki;
    // The page names of the open wiki: the session's own set, or a copy kept alive here
    // for a conversion on another thread.
    const TPageExistence* Pages = nullptr;
    std::shared_ptr<const TPageNameSet> PagesCopy;
    TPluginShelf* Plugins = nullptr;
    PageEncoding ReadEncoding = PageEncoding::Settings;
    std::string ShownCharset; // empty: the view's own
    // The message formats of a missing main template and a missing standard one.
    std::string TemplateNotFound;
    std::string StdTemplateNotFound;
    // The session's state when the inputs were taken (see TWikiSession::IsCurrent).
    std::uint64_t Stamp = 0;
    std::string DocumentFolder;
};

// How a page of a wiki is read and converted under `settings` (one rule for the session and
// for a conversion apart from it).
TLinkMode ViewLinkMode(const TTarnelReg& settings);
TConverterOptions ConverterOptionsOf(const TTarnelReg& settings, TLinkMode linkMode,
                                     const TPageExistence* pages, TPluginShelf* plugins,
                                     const TTemplate& templates);
PageReadOptions ReadOptionsOf(const TTarnelReg& settings, PageEncoding readEncoding);

// Fills the main template for `converter`; a missing main template is replaced in
// `templates` by the standard one, with a message.
TShownPage FillMainPage(const TWikiDocumentConverter& converter, const TConversionInputs& inputs,
                        const TTarnelReg& settings, TTemplate& templates, TWikiNotation notation,
                        const std::string& folder);

class TPageConversion {
public:
    explicit TPageConversion(TConversionInputs inputs);
    TPageConversion(TPageConversion&&) noexcept;
    TPageConversion& operator=(TPageConversion&&) noexcept;
    ~TPageConversion();

    const std::string& FileName() const { return in_.FileName; }
    const TConversionInputs& Inputs() const { return in_; }

    // Reads the page file in stored form. False when there is no such file, or reading
    // failed (the error is kept for the commit).
    bool Read();
    // The text read (or given).
    void SetText(std::string text);
    const std::string& Text() const { return text_; }
    // The beginning of the page, text[0, length), converted and filled as the whole page
    // is: something to show while the whole is converted. Leaves what Run produces alone;
    // nothing when the template cannot be filled or anything fails.
    std::optional<std::string> ConvertFirstPart(std::size_t length);
    // Opens the other wiki aside when the page lies there, converts and fills the page.
    void Run();

    // The results, for the session's commit.
    bool Found() const { return found_; }
    bool Done() const { return done_; }
    const std::exception_ptr& Error() const { return error_; }
    // Raises the kept error, if any.
    void RethrowError() const;

private:
    friend class TWikiSession;
    void OpenOtherWiki();
    // The settings, templates, notation and page names this page is converted with: the
    // open wiki's, or those of the wiki it opens.
    const TTarnelReg& Settings() const { return wiki_ ? wiki_->settings : in_.Settings; }
    TWikiNotation Notation() const { return wiki_ ? wiki_->notation : in_.Notation; }
    const TPageExistence* Pages() const { return wiki_ ? &wiki_->pageNames : in_.Pages; }
    std::string Folder() const;
    std::unique_ptr<TWikiDocumentConverter> MakeConverter() const;

    TConversionInputs in_;
    std::string text_;
    bool found_ = false;
    bool done_ = false;
    std::exception_ptr error_;
    // Results of Run: the wiki opened aside, the converter holding the page, the templates
    // after the missing-template rule, the filled page.
    std::unique_ptr<TPreparedWiki> wiki_;
    std::unique_ptr<TWikiDocumentConverter> converter_;
    std::optional<TTemplate> templates_;
    TShownPage shown_;
};

} // namespace tarnel
