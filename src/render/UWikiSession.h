// The page pipeline without windows: everything the main window owns apart from its
// widgets, and the road from a request to show a page file to the filled page HTML.
//
// The desktop window keeps one TWikiSession for the whole run and only adds the view and
// the widgets on top of it; tarnel-cli uses the same class, so a page looks the same in
// both. The session reads the page, opens and leaves wikis when the folder changes
// (Wiki.ini), switches the notation a wiki asks for, converts, fills the main template,
// keeps the recent list and the contents.
#pragma once

#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"
#include "render/UDesignList.h"
#include "render/UPageConversion.h"
#include "render/UPageNameSet.h"
#include "render/UTemplateLib.h"
#include "settings/ULanguage.h"
#include "settings/UTarnelReg.h"
#include "storage/UDocumentSearching.h"
#include "storage/UDocumentSettings.h"
#include "storage/URecentFileList.h"
#include "storage/UWikiFileList.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnel {

class TWikiSession {
public:
    // `appFolder` is the program folder (ending in "/"): templates, designs, plug-ins and
    // language files are found there. Nothing is read until Start.
    explicit TWikiSession(std::string appFolder);
    ~TWikiSession();
    TWikiSession(const TWikiSession&) = delete;
    TWikiSession& operator=(const TWikiSession&) = delete;

    // Start-up: loads the settings (from `settingsFile`, or the user's own file when empty),
    // the plug-ins of "plugin/", makes the view converter of the stored notation and the
    // page lists, and loads the chosen language file. With `pluginsWhenCalled` the plug-in
    // libraries are loaded only when a page first calls one (the command line's way).
    void Start(const std::string& settingsFile = {}, bool pluginsWhenCalled = false);
    // Closing: writes the open wiki's Wiki.ini, then the settings. Desktop only: the command
    // line never writes settings.
    void Close();

    // --- Showing pages --------------------------------------------------------------------
    // The pipeline: reads the page, opens its wiki when it lies in another folder, converts
    // and fills the main template. Returns nothing when no file `fileName` exists.
    //
    // All or nothing: when reading, opening the wiki, converting or filling fails, the
    // exception (or a result that is not Filled) leaves everything as it was before the call
    // (the page, its text and title, the contents, the recent list, the open wiki, its
    // settings and page list, the converter), so an editor opened next still edits the page
    // that is on the screen.
    std::optional<TShownPage> ShowDocument(const std::string& fileName);
    // The same pipeline in two halves, so that the conversion between them may run on
    // another thread: PreparePage takes what the conversion reads (with `aside`, copies of
    // everything it would otherwise share with the session, such as the page names);
    // the conversion's Read and Run may then run anywhere, while the session goes on; and
    // CommitPage takes the page over as ShowDocument does (nothing when there was no file;
    // the conversion's error is raised here). Commit only a page that IsCurrent: one
    // prepared before the notation, the settings, the open wiki or its page list changed
    // would show the page as it no longer is.
    TPageConversion PreparePage(const std::string& fileName, bool aside = false);
    std::optional<TShownPage> CommitPage(TPageConversion&& page);
    bool IsCurrent(const TPageConversion& page) const;
    // Opens the wiki in `folder` (ending in "/") without showing a page, as showing one of
    // its pages would (Wiki.ini, the notation, the page list of the folder, the search
    // results emptied); returns the messages that arose. Nothing happens for the open wiki.
    std::vector<std::string> OpenWiki(const std::string& folder);
    // Fills the main template for the page converted last, with the missing-template rule.
    TShownPage FillMainTemplate();
    // The caption of the main window: "%s - Tarnel" with the page name.
    std::string WindowTitle() const;
    // Where the temporary-file view method writes the page: the temporary folder + the
    // page's file name with its extension replaced by ".html".
    std::string TmpFilePath(const std::string& fileName) const;
    // Writes the HTML there (creating the folder) and returns the file:// address.
    std::string WriteTmpFile(const std::string& fileName, const std::string& html) const;

    // Shows the current page again (reload, a template or design chosen, the page saved).
    std::optional<TShownPage> ReshowDocument() { return ShowDocument(documentFileName_); }

    // --- Page list and search ---------------------------------------------------------------
    // Reads the open wiki's page list again (after pages were added, renamed or deleted),
    // and with it the names the converters link against.
    void RefreshPageList();
    // Searches the open wiki's pages (see storage/UDocumentSearching.h); the matching pages
    // end up in SearchResults(). False when the progress call cancelled it.
    bool Search(const std::string& displayQuery, const SearchOptions& options,
                const SearchProgress& progress = {});

    // --- Designs --------------------------------------------------------------------------
    // The designs beside the program (css/).
    TDesignList Designs() const { return TDesignList(appFolder_ + "css/"); }
    // Takes a design: the CSSPath and CSSFile tags follow it from now on, and the current
    // page is shown again in it (nothing is shown when no page is open).
    std::optional<TShownPage> SetDesign(const std::string& design);

    // --- Notation and converter options -------------------------------------------------------
    TWikiNotation Notation() const { return notation_; }
    // Replaces the view converter by one of `notation` with the same options; nothing
    // happens when it is the notation in use. Does not show the page again.
    void SwitchNotation(TWikiNotation notation);
    // The settings changed (the settings dialog): the converter, the page lists, the recent
    // list and the search take them over; the page list is read again when its extension or
    // name encoding changed. Does not show the page again.
    void ApplySettings();
    // The options every converter of this session is made with, from the settings and the
    // open wiki's Wiki.ini: the view converter's, or with `linkMode` those of an export.
    TConverterOptions ConverterOptions() const;
    TConverterOptions ConverterOptions(TLinkMode linkMode) const;
    // A new converter of the current notation with `options` (the menu bar, an export, the
    // command line's convert); the caller owns it.
    std::unique_ptr<TWikiDocumentConverter> MakeConverter(const TConverterOptions& options) const;

    // --- What the session owns --------------------------------------------------------------
    TTarnelReg& Settings() { return settings_; }
    const TTarnelReg& Settings() const { return settings_; }
    TDocumentSettings& WikiSettings() { return wikiSettings_; }
    TPluginShelf& Plugins() { return plugins_; }
    // The view converter, holding the page shown last (title, contents, footnotes). It is
    // replaced by every page shown: ask for it again rather than keeping the reference.
    const TWikiDocumentConverter& Converter() const { return *converter_; }
    TTemplate& Templates() { return templates_; }
    const TWikiFileList& PageList() const { return pageList_; }
    TWikiFileList& SearchResults() { return searchResults_; }
    TRecentFileList& Recent() { return recent_; }
    TLanguage& Language() { return language_; }
    const std::string& AppFolder() const { return appFolder_; }

    // The open wiki folder (ending in "/"), the page shown and its text in stored form.
    const std::string& DocumentFolder() const { return documentFolder_; }
    const std::string& DocumentFileName() const { return documentFileName_; }
    const std::string& DocumentText() const { return documentText_; }

    // How page files are read under the current settings.
    PageReadOptions ReadOptions() const;
    // An encoding every page is read in from now on, over the settings (the command line's
    // --read); PageEncoding::Settings goes back to the settings' rule.
    void SetReadEncoding(PageEncoding encoding) { readEncoding_ = encoding; }
    // The charset the main template's Encoding tag names, over the view's own choice, for
    // a caller that writes the page in another encoding (the command line's show).
    void SetShownCharset(std::string charset) { shownCharset_ = std::move(charset); }
    // The current template names (for Wiki.ini).
    TWikiTemplateNames TemplateNames() const;

private:
    // Everything opening `folder` changes, made aside from the session's own state.
    TPreparedWiki PrepareWiki(const std::string& folder) const;
    // Leaves the open wiki (a Wiki.ini that cannot be written becomes a message) and takes
    // the prepared one over. Throws nothing.
    void TakeWiki(TPreparedWiki&& wiki, std::vector<std::string>& messages);
    void ApplyListSettings(TWikiFileList& list, bool pageList) const;
    // What a conversion of `fileName` reads, taken now.
    TConversionInputs InputsFor(const std::string& fileName) const;
    // Something a conversion reads has changed.
    void Changed() { ++stamp_; }

    std::string appFolder_;
    TTarnelReg settings_;
    TDocumentSettings wikiSettings_;
    TPluginShelf plugins_;
    TWikiNotation notation_ = TWikiNotation::YukiWiki;
    std::unique_ptr<TWikiDocumentConverter> converter_;
    TTemplate templates_;
    TWikiFileList pageList_;
    TPageNameSet pageNames_; // the page files of pageList_, for the converters' links
    TWikiFileList searchResults_;
    TRecentFileList recent_;
    TLanguage language_;

    std::string documentFolder_;
    std::string documentFileName_;
    std::string documentText_;
    PageEncoding readEncoding_ = PageEncoding::Settings;
    std::string shownCharset_; // empty: the view's own
    std::uint64_t stamp_ = 0;  // counts the changes of what a conversion reads
};

} // namespace tarnel
